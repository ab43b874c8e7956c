// Program entry: creates the game, runs the application, destroys the game.

#include <memory>

#include "game/GameImpl.h"
#include "kernel/Kernel.h"

int main(int argc, char** argv) {
    const KernelLibrary::InstanceHandle instance{argc, argv};
    auto game = std::make_unique<Gamespace::GameImpl>();
    if (KernelLibrary::RunApplication(&instance, game.get())) {
        KernelLibrary::ShutdownApplication();
    }
    game.reset();
    return 0;
}
