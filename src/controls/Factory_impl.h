#pragma once

#include <memory>

namespace Brisk {
class BriskAppBase;
class Graphics;
}  // namespace Brisk

namespace ControlLibrary {

// What the game bridge hands to the factory: the per-frame redraw request,
// the drawing of all visible objects, and every mouse and keyboard event.
// Main thread.
class IFactoryFrameTarget {
public:
    virtual ~IFactoryFrameTarget() = default;
    // Sets *flag when a visible object changed since the last call.
    virtual void TakeRedrawRequest(bool* flag) = 0;
    virtual void DrawAll(Brisk::Graphics* g) = 0;
    virtual void MouseMove(int x, int y) = 0;
    // Click counts: 1 left, 2 left double, -1 right, -2 right double, 3 middle.
    virtual void MouseDown(int x, int y, int clickCount) = 0;
    virtual void MouseUp(int x, int y, int clickCount) = 0;
    virtual void KeyChar(char ch) = 0;
    virtual void KeyDown(int key) = 0;
    virtual void KeyUp(int key) = 0;
};

// The control factory: creates, registers, draws and routes input to every
// visible object. One exists per process, made by the kernel after the
// application object. Until visible objects exist there is nothing to draw
// or route, and no redraw is ever requested.
class Factory_impl : public IFactoryFrameTarget {
public:
    // Throws std::invalid_argument when `app` is null or has no widget
    // manager. `app` must outlive the factory.
    explicit Factory_impl(Brisk::BriskAppBase* app);
    ~Factory_impl() override;
    Factory_impl(const Factory_impl&) = delete;
    Factory_impl& operator=(const Factory_impl&) = delete;

    Brisk::BriskAppBase* GetApp() const { return m_app; }

    void TakeRedrawRequest(bool* flag) override;
    void DrawAll(Brisk::Graphics* /*g*/) override {}
    void MouseMove(int /*x*/, int /*y*/) override {}
    void MouseDown(int /*x*/, int /*y*/, int /*clickCount*/) override {}
    void MouseUp(int /*x*/, int /*y*/, int /*clickCount*/) override {}
    void KeyChar(char /*ch*/) override {}
    void KeyDown(int /*key*/) override {}
    void KeyUp(int /*key*/) override {}

private:
    Brisk::BriskAppBase* m_app;  // not owned
    bool m_redrawPending = false;
};

// Process-wide access. CreateFactory leaves no factory when construction fails.
void CreateFactory(Brisk::BriskAppBase* app);
Factory_impl* GetFactory();
void DestroyFactory();

}  // namespace ControlLibrary
