// Program entry: creates the game, runs the application, destroys the game.

#include <cstdlib>
#include <exception>
#include <memory>
#include <string>

#include "framework/platform/MessageBox.h"
#include "framework/platform/Process.h"
#include "game/GameImpl.h"
#include "kernel/Kernel.h"

namespace {

// Tells the player what the system did not give the game; the exit code.
int EndForShortage(const std::string& text) {
    Brisk::Platform::ShowMessageBox("Vornique", text, Brisk::Platform::MessageBoxIcon::Error,
                                    Brisk::Platform::MessageBoxButtons::Ok, nullptr);
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (const std::string shortage = Brisk::Platform::PrepareProcess(); !shortage.empty()) {
        return EndForShortage(shortage);
    }
    Brisk::Platform::InstallShortageHandler();
    try {
        const KernelLibrary::InstanceHandle instance{argc, argv};
        auto game = std::make_unique<Gamespace::GameImpl>();
        if (KernelLibrary::RunApplication(&instance, game.get())) {
            KernelLibrary::ShutdownApplication();
        }
        game.reset();
    } catch (...) {
        const std::string shortage =
            Brisk::Platform::ResourceShortageText(std::current_exception());
        if (shortage.empty()) {
            throw;
        }
        // The objects the failure left half made are not torn down: the
        // process ends here, and the one-copy lock with it.
        std::_Exit(EndForShortage(shortage));
    }
    return 0;
}
