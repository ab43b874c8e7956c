#pragma once

#include <functional>
#include <type_traits>
#include <vector>

#include "controls/Factory_impl.h"
#include "controls/Resources.h"

namespace Gamespace {

// The controls, fonts and sounds one part of the game made through the
// control factory, given back together: in the reverse order they were
// taken (children before the dialog that holds them), members set to null.
// Main thread.
class OwnedControls {
public:
    OwnedControls() = default;
    ~OwnedControls() { ReleaseAll(); }
    OwnedControls(const OwnedControls&) = delete;
    OwnedControls& operator=(const OwnedControls&) = delete;

    // Remembers `object` (a visible object, font or sound); returns it.
    template <class T>
    T* Own(T* object) {
        m_releases.push_back([object](ControlLibrary::Factory_impl* f) { Give(f, object); });
        return object;
    }
    // Remembers members that hold controls or resources: ReleaseAll gives
    // back what they hold then and sets them to null. They must outlive this.
    template <class... T>
    void Keep(T*&... members) {
        (m_releases.push_back([&members](ControlLibrary::Factory_impl* f) {
            Give(f, members);
            members = nullptr;
        }),
         ...);
    }
    // Gives everything back; nothing when the factory went first (it took
    // every control with it). Safe to call again.
    void ReleaseAll() {
        ControlLibrary::Factory_impl* factory = ControlLibrary::GetFactory();
        for (auto it = m_releases.rbegin(); factory != nullptr && it != m_releases.rend(); ++it) {
            (*it)(factory);
        }
        m_releases.clear();
    }

private:
    template <class T>
    static void Give(ControlLibrary::Factory_impl* factory, T* object) {
        if constexpr (std::is_base_of_v<ControlLibrary::IVisibleObject, T>) {
            factory->ReleaseVisibleObject(object);
        } else if constexpr (std::is_same_v<T, ControlLibrary::IFont>) {
            factory->ReleaseFont(object);
        } else {
            static_assert(std::is_same_v<T, ControlLibrary::ISound>);
            factory->ReleaseSound(object);
        }
    }

    std::vector<std::function<void(ControlLibrary::Factory_impl*)>> m_releases;
};

}  // namespace Gamespace
