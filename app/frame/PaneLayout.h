#pragma once
// The sizing arithmetic of the main frame's panes, free of widgets so it can be
// checked on its own: the left column width derived from the thumbnail area,
// the rows of the left column and of the right area, and the collapse state of
// the left column. Pure functions and a plain value class; any thread.

namespace PaneLayout {

constexpr int MinPane = 10; // smallest size a pane is given by the layout rules

struct Rows
{
    int top = 0;
    int bottom = 0;
};

// Thumbnail area height assumed before the panes exist: 2W/3 - W/30.
int InitialThumbHeight(int clientWidth);
// Left column width for a thumbnail area of the given height: 10 + 4(F - 10)/9.
int LeftColumnWidth(int thumbHeight);
// Left column rows for a column of height H: the button row gets the larger of
// H - T (T = 2H/3 + H/13 + H/4) and the form's own minimum height, never more
// than H; the thumbnails take the rest.
Rows LeftRows(int height, int formMinHeight);
// Right area rows inside a splitter of the given height: shown, the upper row
// gets half the frame's client height (at least MinPane, at most the splitter);
// hidden, the text row is collapsed to 0.
Rows ResultRows(int frameClientHeight, int splitterHeight, bool showResult);

} // namespace PaneLayout

// Width and minimum width of the left column.
struct ColumnSize
{
    int width = 0;
    int minimum = 0;
    bool operator==(const ColumnSize& o) const { return width == o.width && minimum == o.minimum; }
};

// Collapse and restore of the left column: collapsing keeps the width the
// column had, restoring gives exactly that back. A new width computed while
// collapsed is kept for the restore instead of re-opening the column.
class LeftColumnState
{
public:
    bool Collapsed() const { return m_collapsed; }
    // Flips the state and returns the size the column gets now.
    ColumnSize Toggle(const ColumnSize& current);
    // A freshly computed width: true when it is to be applied now, false when
    // the column is collapsed and the width was kept for the restore.
    bool AcceptWidth(int width);
    const ColumnSize& Saved() const { return m_saved; }

private:
    bool m_collapsed = false;
    ColumnSize m_saved;
};
