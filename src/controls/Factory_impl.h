#pragma once

#include <memory>

namespace Brisk {
class BriskAppBase;
}

namespace ControlLibrary {

// The control factory: creates, registers, draws and routes input to every
// visible object. One exists per process, made by the kernel after the
// application object.
class Factory_impl {
public:
    // Throws std::invalid_argument when `app` is null or has no widget
    // manager. `app` must outlive the factory.
    explicit Factory_impl(Brisk::BriskAppBase* app);
    ~Factory_impl();
    Factory_impl(const Factory_impl&) = delete;
    Factory_impl& operator=(const Factory_impl&) = delete;

    Brisk::BriskAppBase* GetApp() const { return m_app; }

private:
    Brisk::BriskAppBase* m_app;  // not owned
};

// Process-wide access. CreateFactory leaves no factory when construction fails.
void CreateFactory(Brisk::BriskAppBase* app);
Factory_impl* GetFactory();
void DestroyFactory();

}  // namespace ControlLibrary
