#pragma once
// Process set-up the browser engine needs before the application object
// exists, and the profiles pages are made with.
#include <QString>

class QObject;
class QWebEngineProfile;

namespace web {

// Turns the engine's sandbox off when running as root (Chromium refuses it
// there, and only there), and keeps the engine from calling home.
// windowless: pages are shown in no window (the report), so their timers are
// not slowed as a hidden page's would be.
void prepareWebEngineEnvironment(bool windowless = false);

// A profile for the program's pages: persistent under storageName, or kept
// in memory only (nothing of the pages is kept) when storageName is empty.
QWebEngineProfile *newProfile(const QString &storageName, QObject *parent);

} // namespace web
