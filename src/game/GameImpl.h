#pragma once

#include "kernel/IGame.h"

namespace Gamespace {

// The game root. Until the game itself exists it only answers its name and
// version and accepts every close request.
class GameImpl final : public KernelLibrary::IGame {
public:
    void SetSysApp(KernelLibrary::ISysApp* sysApp) override { m_sysApp = sysApp; }
    void Initialize() override {}
    void Release() override {}
    void Activate() override {}
    void Deactivate() override {}
    void GetName(std::string& out) override { out = "Vornique"; }
    void GetVersion(std::string& out) override { out = "1.0"; }
    void RequestClose() override;

private:
    KernelLibrary::ISysApp* m_sysApp = nullptr;  // not owned
};

}  // namespace Gamespace
