#pragma once
// Process set-up the browser engine needs before the application object exists.
namespace platform {

// Turns the engine's sandbox off when running as root (Chromium refuses it
// there, and only there), and keeps the engine from calling home.
// windowless: pages are shown in no window (the report), so their timers are
// not slowed as a hidden page's would be.
void prepareWebEngineEnvironment(bool windowless = false);

} // namespace platform
