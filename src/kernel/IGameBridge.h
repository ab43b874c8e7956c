#pragma once

#include "framework/widgets/Widget.h"

namespace Brisk {
class BriskAppBase;
}

namespace KernelLibrary {

class IGame;

// The one widget that joins the framework and the game: it turns the
// widget life cycle into the game's Initialize/Activate/Deactivate/Release.
// Owned by MainApp.
class IGameBridge : public Brisk::Widget {
public:
    // `app` and `game` must outlive the bridge.
    IGameBridge(Brisk::BriskAppBase* app, IGame* game) : m_app(app), m_game(game) {}

    void AddedToManager(Brisk::WidgetManager* manager) override;
    void RemovedFromManager(Brisk::WidgetManager* manager) override;

    bool IsStarted() const { return m_started; }

private:
    Brisk::BriskAppBase* m_app;  // not owned
    IGame* m_game;               // not owned
    bool m_started = false;
};

}  // namespace KernelLibrary
