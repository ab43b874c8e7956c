#pragma once

#include "framework/widgets/Widget.h"

namespace Brisk {
class BriskAppBase;
}

namespace ControlLibrary {
class IFactoryFrameTarget;
}

namespace KernelLibrary {

class IGame;

// The one widget that joins the framework and the game: it turns the
// widget life cycle into the game's Initialize/Activate/Deactivate/Release
// and hands every frame, draw and input event to the control factory.
// Owned by MainApp. Main thread only.
class IGameBridge : public Brisk::Widget {
public:
    // `app`, `game` and `factory` (may be null) must outlive the bridge.
    IGameBridge(Brisk::BriskAppBase* app, IGame* game, ControlLibrary::IFactoryFrameTarget* factory)
        : m_app(app), m_game(game), m_factory(factory) {}

    void AddedToManager(Brisk::WidgetManager* manager) override;
    void RemovedFromManager(Brisk::WidgetManager* manager) override;
    void Update() override;
    // Draws only what the factory changed when nothing else asked for the
    // whole picture.
    void Draw(Brisk::Graphics* g) override;
    std::optional<Brisk::Rect> GetLastDrawnArea() const override;
    void KeyChar(char ch) override;
    void KeyDown(int key) override;
    void KeyUp(int key) override;
    void MouseMove(int x, int y) override;
    void MouseDown(int x, int y, int clickCount) override;
    void MouseUp(int x, int y, int clickCount) override;
    using Widget::MouseDown;
    using Widget::MouseUp;

    bool IsStarted() const { return m_started; }

private:
    Brisk::BriskAppBase* m_app;                      // not owned
    IGame* m_game;                                   // not owned
    ControlLibrary::IFactoryFrameTarget* m_factory;  // not owned
    bool m_started = false;
    bool m_factoryAsked = false;        // the factory's redraw request made it dirty
    uint64_t m_wholeDrawsSeen = ~0ull;  // the manager's count of whole redraws at the last draw
    std::optional<Brisk::Rect> m_lastDrawnArea;
};

}  // namespace KernelLibrary
