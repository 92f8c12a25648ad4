#pragma once
// Page zoom by steps (Ctrl+plus, Ctrl+minus, Ctrl+0), remembered per host
// until the program ends: every page of that host opens at the zoom chosen
// last for it.
class QWebEngineView;

namespace web {

class PageZoom {
public:
    // Keeps view's zoom at its host's remembered zoom as it navigates.
    static void follow(QWebEngineView *view);
    static void zoomIn(QWebEngineView *view);
    static void zoomOut(QWebEngineView *view);
    static void reset(QWebEngineView *view);
    static void clear();
};

} // namespace web
