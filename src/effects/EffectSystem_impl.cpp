#include "effects/EffectSystem_impl.h"
#include "common/ProcessWide.h"

#include <memory>
#include <new>

namespace EffectLibrary {
namespace {
std::unique_ptr<EffectSystem_impl>& g_effectSystem =
    CommonLibrary::ProcessWide<EffectSystem_impl>();
}  // namespace

void CreateEffectSystem() {
    g_effectSystem.reset(new (std::nothrow) EffectSystem_impl());
}

EffectSystem_impl* GetEffectSystem() {
    return g_effectSystem.get();
}

void DestroyEffectSystem() {
    g_effectSystem.reset();
}

}  // namespace EffectLibrary
