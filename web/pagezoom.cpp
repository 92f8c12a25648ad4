#include "web/pagezoom.h"

#include <QHash>
#include <QWebEnginePage>
#include <QWebEngineView>
#include <array>

namespace web {

namespace {

// The steps of the zoom, as desktop browsers offer them.
constexpr std::array<qreal, 13> kSteps {0.25, 0.33, 0.5, 0.67, 0.75, 0.9, 1.0, 1.1, 1.25, 1.5, 1.75, 2.0, 3.0};

QHash<QString, qreal> &zooms()
{
    static QHash<QString, qreal> hosts;
    return hosts;
}

QString hostOf(QWebEngineView *view)
{
    const QUrl url = view->url();
    return url.host().isEmpty() ? url.scheme() : url.host().toLower();
}

void set(QWebEngineView *view, qreal factor)
{
    zooms().insert(hostOf(view), factor);
    view->setZoomFactor(factor);
}

} // namespace

void PageZoom::follow(QWebEngineView *view)
{
    QObject::connect(view->page(), &QWebEnginePage::urlChanged, view, [view] {
        const qreal factor = zooms().value(hostOf(view), 1.0);
        if (!qFuzzyCompare(view->zoomFactor(), factor))
            view->setZoomFactor(factor);
    });
    // The engine may reset the factor when a new document commits.
    QObject::connect(view->page(), &QWebEnginePage::loadFinished, view, [view] {
        const qreal factor = zooms().value(hostOf(view), 1.0);
        if (!qFuzzyCompare(view->zoomFactor(), factor))
            view->setZoomFactor(factor);
    });
}

void PageZoom::zoomIn(QWebEngineView *view)
{
    for (qreal step : kSteps)
        if (step > view->zoomFactor() + 0.001) {
            set(view, step);
            return;
        }
}

void PageZoom::zoomOut(QWebEngineView *view)
{
    for (auto it = kSteps.rbegin(); it != kSteps.rend(); ++it)
        if (*it < view->zoomFactor() - 0.001) {
            set(view, *it);
            return;
        }
}

void PageZoom::reset(QWebEngineView *view) { set(view, 1.0); }

void PageZoom::clear() { zooms().clear(); }

} // namespace web
