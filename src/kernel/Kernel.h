#pragma once

namespace KernelLibrary {

class IGame;
class MainApp;

// What the program entry knows of the process: its arguments.
struct InstanceHandle {
    int argc = 0;
    const char* const* argv = nullptr;
};

// Creates the services and the application, runs it until shutdown and
// returns true; false when the control factory could not be made (then
// ShutdownApplication must not be called). `game` must outlive the call and
// the following ShutdownApplication.
bool RunApplication(const InstanceHandle* instance, IGame* game);
// Destroys, in order, what RunApplication made. Nothing without an application.
void ShutdownApplication();
// The running application, null before RunApplication and after shutdown.
MainApp* GetApp();

}  // namespace KernelLibrary
