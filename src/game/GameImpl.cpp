#include "game/GameImpl.h"

#include "kernel/ISysApp.h"

namespace Gamespace {

void GameImpl::RequestClose() {
    if (m_sysApp != nullptr) {
        m_sysApp->Quit();
    }
}

}  // namespace Gamespace
