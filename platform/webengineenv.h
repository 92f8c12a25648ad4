#pragma once
// Process set-up the browser engine needs before the application object exists.
namespace platform {

// Turns the engine's sandbox off when running as root (Chromium refuses it
// there, and only there), and keeps the engine from calling home.
void prepareWebEngineEnvironment();

} // namespace platform
