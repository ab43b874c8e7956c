#include "kernel/Kernel.h"
#include "common/ProcessWide.h"

#include <memory>

#include "controls/Factory_impl.h"
#include "effects/EffectSystem_impl.h"
#include "framework/platform/Process.h"
#include "kernel/MainApp.h"
#include "time/TimeSystem_impl.h"

namespace KernelLibrary {
namespace {
const InstanceHandle* g_instance = nullptr;
std::unique_ptr<MainApp>& g_mainApp = CommonLibrary::ProcessWide<MainApp>();
}  // namespace

MainApp* GetApp() {
    return g_mainApp.get();
}

bool RunApplication(const InstanceHandle* instance, IGame* game) {
    if (g_instance != nullptr) {
        ShutdownApplication();
    }
    g_instance = instance;
    TimeLibrary::CreateTimeSystem();
    if (instance != nullptr) {
        Brisk::Platform::SetCommandLine(instance->argc, instance->argv);
    }
    g_mainApp = std::make_unique<MainApp>(game);
    g_mainApp->Init();

    ControlLibrary::CreateFactory(g_mainApp.get());
    if (ControlLibrary::GetFactory() == nullptr) {
        return false;
    }
    EffectLibrary::CreateEffectSystem();
    if (auto* effects = EffectLibrary::GetEffectSystem()) {
        effects->SetTimeSystem(TimeLibrary::GetTimeSystem());
    }
    g_mainApp->StartTime();
    g_mainApp->Start();
    return true;
}

void ShutdownApplication() {
    if (g_mainApp == nullptr) {
        return;
    }
    auto* timeSystem = TimeLibrary::GetTimeSystem();
    if (timeSystem != nullptr) {
        timeSystem->StopTimer();
    }
    if (auto* effects = EffectLibrary::GetEffectSystem()) {
        effects->DestroyAllEffects();
    }
    if (timeSystem != nullptr) {
        timeSystem->DestroyAllTimeObjects();
    }
    EffectLibrary::DestroyEffectSystem();
    ControlLibrary::DestroyFactory();
    TimeLibrary::DestroyTimeSystem();
    g_mainApp.reset();
    g_instance = nullptr;
}

}  // namespace KernelLibrary
