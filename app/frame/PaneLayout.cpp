#include "app/frame/PaneLayout.h"

#include <algorithm>

namespace PaneLayout {

int InitialThumbHeight(int clientWidth)
{
    return 2 * clientWidth / 3 - clientWidth / 30;
}

int LeftColumnWidth(int thumbHeight)
{
    return 10 + 4 * (thumbHeight - 10) / 9;
}

Rows LeftRows(int height, int formMinHeight)
{
    height = std::max(0, height);
    const int thumbs = 2 * height / 3 + height / 13 + height / 4;
    const int buttons = std::min(height, std::max(height - thumbs, formMinHeight));
    return {height - buttons, buttons};
}

Rows ResultRows(int frameClientHeight, int splitterHeight, bool showResult)
{
    splitterHeight = std::max(0, splitterHeight);
    if (!showResult)
        return {splitterHeight, 0};
    const int top = std::min(splitterHeight, std::max(MinPane, frameClientHeight / 2));
    return {top, splitterHeight - top};
}

} // namespace PaneLayout

ColumnSize LeftColumnState::Toggle(const ColumnSize& current)
{
    m_collapsed = !m_collapsed;
    if (m_collapsed) {
        m_saved = current;
        return {0, 0};
    }
    return m_saved;
}

bool LeftColumnState::AcceptWidth(int width)
{
    if (!m_collapsed)
        return true;
    m_saved.width = width;
    return false;
}
