#pragma once

#include <memory>

namespace CommonLibrary {

// The holder of a process-wide object of type T, which only the object's
// explicit destroy function deletes. The holder itself is never destroyed:
// when a library ends the process with exit() (a lost display connection),
// the object's destructor must not run while other threads still use it.
template <class T>
std::unique_ptr<T>& ProcessWide() {
    static auto* holder = new std::unique_ptr<T>();
    return *holder;
}

}  // namespace CommonLibrary
