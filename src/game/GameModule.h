#pragma once

#include <cstdint>

namespace Gamespace {

// Hears a module that is done; the game root switches screens.
class GameModuleObserver {
public:
    virtual ~GameModuleObserver() = default;
    virtual void OnModuleFinished(int32_t /*moduleId*/) {}
    // The game screen's count-down before play starts (true) or ends (false);
    // the end arrives on the timer thread.
    virtual void OnCountDown(bool /*running*/) {}
    // The player asked for "Options" from a module's own menu.
    virtual void OnOptionsWanted() {}
};

// One screen of the game. Controls are made by Initialize and released by
// Release; Show and Hide switch the screen on and off.
class GameModule {
public:
    // `observer` must outlive the module.
    GameModule(GameModuleObserver* observer, int32_t id) : m_observer(observer), m_id(id) {}
    virtual ~GameModule() = default;
    GameModule(const GameModule&) = delete;
    GameModule& operator=(const GameModule&) = delete;

    virtual int32_t GetId() { return m_id; }
    virtual void Initialize() {}
    virtual void Release() {}
    virtual void Show() { m_active = true; }
    virtual void Hide() { m_active = false; }
    virtual bool IsActive() { return m_active; }

protected:
    GameModuleObserver* m_observer;  // not owned
    int32_t m_id;
    bool m_active = false;
};

inline constexpr int32_t kStartModuleId = 1;
inline constexpr int32_t kGameModuleId = 3;

}  // namespace Gamespace
