#pragma once
// The panes of the main frame and their sizes: a main splitter with the left
// column (thumbnails over the command form, a fixed bar between them) and the
// right area (the image or capture view over the recognised-text pane). Knows
// the active view, the collapse state of the left column and the sizing rules;
// the panes themselves are children of the splitters. User-interface thread only.

#include "app/frame/FrameServices.h"
#include "app/frame/PaneLayout.h"

#include <QPointer>
#include <QWidget>

class CLeftFormView;
class CRecognizeView;
class CScrivaDoc;
class CScrivaView;
class CSplitterWndEx;
class CThumbView;
class CVideoView;
class QSplitter;

class FramePanes
{
public:
    FramePanes(CScrivaDoc& doc, FrameServices& services, QWidget* parent);

    QWidget* root() const;
    CSplitterWndEx* mainSplitter() const { return m_main; }
    QSplitter* leftSplitter() const { return m_left; }
    CSplitterWndEx* rightSplitter() const { return m_right; }
    CThumbView* thumbView() const { return m_thumbs; }
    CLeftFormView* leftForm() const { return m_form; }
    CRecognizeView* recognizeView() const { return m_text; }
    QWidget* rightView() const; // the view in the right area's upper row
    CScrivaView* imageView() const;
    CVideoView* videoView() const;

    QWidget* activeView() const { return m_active; }
    void setActiveView(QWidget* view) { m_active = view; }

    // The sizes the panes get when the frame is created, for a client area of W by H.
    void ApplyInitialSizes(int width, int height);
    // The same rules for the left column and its rows only (the text row keeps its size).
    void ApplyColumnSizes(int width, int height);
    // Upper right row to half the frame height (true) or the text row collapsed.
    void ShowResultPane(bool show, int frameClientHeight);
    // Column width from the thumbnail area; applied to the main splitter when asked.
    int UpdateLeftColumnWidth(bool apply, int clientWidth);
    void ToggleLeftColumn();
    bool LeftColumnCollapsed() const { return m_column.Collapsed(); }
    int LeftColumnWidth() const;

    // Puts `view` in place of the right area's upper view; the old one is
    // taken out of the document at once and deleted later. The new view
    // becomes active when the old one was (or when none was).
    void ReplaceRightView(QWidget* view);

private:
    void setColumn(const ColumnSize& size);

    CScrivaDoc& m_doc;
    QWidget* m_owner;
    CSplitterWndEx* m_main;
    QSplitter* m_left;
    CSplitterWndEx* m_right;
    CThumbView* m_thumbs;
    CLeftFormView* m_form;
    CRecognizeView* m_text;
    QPointer<QWidget> m_active;
    LeftColumnState m_column;
};
