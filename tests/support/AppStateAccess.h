#pragma once

#include "framework/app/BriskAppBase.h"
#include "framework/platform/Events.h"

namespace Brisk {

// Tests set up and inspect the application's state groups through here; the
// program itself reaches them only through the application's operations.
struct AppStateAccess {
    using App = BriskAppBase;
    static App::Identity& Identity(App& app) { return app.m_identity; }
    static App::WindowSettings& Window(App& app) { return app.m_windowSettings; }
    static App::Volumes& Volumes(App& app) { return app.m_volumes; }
    static App::FrameTiming& Timing(App& app) { return app.m_timing; }
    static App::Counters& Counters(App& app) { return app.m_counters; }
    static App::Loading& Loading(App& app) { return app.m_loading; }
    static App::LifeCycle& Life(App& app) { return app.m_life; }
    static App::Input& Input(App& app) { return app.m_input; }
    static App::CursorState& Cursor(App& app) { return app.m_cursor; }
    static App::CommandLine& CommandLine(App& app) { return app.m_commandLine; }
    static Brisk::Platform::EventPump* Pump(App& app) { return app.m_eventPump.get(); }
    static App::UrlOpening& Url(App& app) { return app.m_url; }
    static const std::array<uint8_t, 512>& AddTable(const App& app) { return app.m_addTable; }
};

}  // namespace Brisk

// Tests name it unqualified.
using Brisk::AppStateAccess;
