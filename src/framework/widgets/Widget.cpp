#include "framework/widgets/Widget.h"

namespace Brisk {

void Widget::Resize(int x, int y, int width, int height) {
    if (x == m_x && y == m_y && width == m_width && height == m_height) {
        return;
    }
    m_x = x;
    m_y = y;
    m_width = width;
    m_height = height;
    m_dirty = true;
}

}  // namespace Brisk
