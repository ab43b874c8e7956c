#include "controls/Factory_impl.h"

#include <stdexcept>

#include "framework/app/BriskAppBase.h"

namespace ControlLibrary {
namespace {
std::unique_ptr<Factory_impl> g_factory;
}  // namespace

Factory_impl::Factory_impl(Brisk::BriskAppBase* app) : m_app(app) {
    if (app == nullptr || app->GetWidgetManager() == nullptr) {
        throw std::invalid_argument(
            "the control factory needs an application with a widget manager");
    }
}

Factory_impl::~Factory_impl() = default;

void Factory_impl::TakeRedrawRequest(bool* flag) {
    if (m_redrawPending) {
        *flag = true;
        m_redrawPending = false;
    }
}

void CreateFactory(Brisk::BriskAppBase* app) {
    try {
        g_factory = std::make_unique<Factory_impl>(app);
    } catch (const std::invalid_argument&) {
        g_factory.reset();
    }
}

Factory_impl* GetFactory() {
    return g_factory.get();
}

void DestroyFactory() {
    g_factory.reset();
}

}  // namespace ControlLibrary
