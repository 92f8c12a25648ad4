#include "sessionkeeper.h"

#include "browsertabs.h"
#include "mainwindow.h"
#include "webtabsheet.h"

#include "platform/atomicfile.h"
#include "web/embeddedwb.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace shell {

TSessionKeeper::TSessionKeeper(TfrmBrwMain *window, const QString &path,
                               std::function<QString(TbxWebTabSheet *)> siteOf)
    : QObject(window), m_window(window), m_path(path), m_siteOf(std::move(siteOf))
{
    m_interrupted = readInterrupted(path);
    m_carry = !m_interrupted.isEmpty();
    m_pending.setSingleShot(true);
    m_pending.setInterval(500);
    connect(&m_pending, &QTimer::timeout, this, &TSessionKeeper::writeNow);
    // Tabs opened, closed, loading or finished: the list is written a moment
    // later, once for a burst of changes.
    connect(window->browserTabs(), &TBrowserTabs::pagesChanged, &m_pending, qOverload<>(&QTimer::start));
    writeNow();
}

QList<SessionTab> TSessionKeeper::readInterrupted(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    const QJsonObject o = QJsonDocument::fromJson(f.readAll()).object();
    if (o.isEmpty() || o.value(QStringLiteral("ended")).toBool(true))
        return {};
    QList<SessionTab> tabs;
    for (const QJsonValue &v : o.value(QStringLiteral("tabs")).toArray()) {
        const QJsonObject t = v.toObject();
        const QString address = t.value(QStringLiteral("address")).toString();
        if (!address.isEmpty())
            tabs << SessionTab {address, t.value(QStringLiteral("site")).toString()};
    }
    return tabs;
}

void TSessionKeeper::writeNow()
{
    if (m_ended)
        return;
    m_pending.stop();
    QJsonArray tabs;
    for (int i = 0; i < m_window->pageCount(); ++i) {
        TbxWebTabSheet *sheet = m_window->pageAt(i);
        if (!sheet || !sheet->browser())
            continue;
        const QString address = sheet->browser()->url().toString();
        if (address.isEmpty() || address == QLatin1String("about:blank"))
            continue;
        tabs.append(QJsonObject {{QStringLiteral("address"), address},
                                 {QStringLiteral("site"), m_siteOf ? m_siteOf(sheet) : QString()}});
    }
    if (m_carry)
        for (const SessionTab &t : m_interrupted)
            tabs.append(QJsonObject {{QStringLiteral("address"), t.address}, {QStringLiteral("site"), t.site}});
    const QJsonObject o {{QStringLiteral("ended"), false}, {QStringLiteral("tabs"), tabs}};
    QDir().mkpath(QFileInfo(m_path).absolutePath());
    platform::writeFileAtomically(m_path, QJsonDocument(o).toJson(QJsonDocument::Compact));
}

void TSessionKeeper::interruptedHandled()
{
    m_carry = false;
    m_pending.start();
}

void TSessionKeeper::endNormally()
{
    m_pending.stop();
    m_ended = true;
    const QJsonObject o {{QStringLiteral("ended"), true}, {QStringLiteral("tabs"), QJsonArray()}};
    platform::writeFileAtomically(m_path, QJsonDocument(o).toJson(QJsonDocument::Compact));
}

} // namespace shell
