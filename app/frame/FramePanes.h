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
#include <functional>

class CLeftFormView;
class CRecognizeView;
class CScrivaDoc;
class CScrivaView;
class CSplitterWndEx;
class CThumbView;
class CVideoView;
class QSplitter;

class FramePanes : public QObject
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
    // Sizes kept from an earlier run: the left column's width and the text
    // pane's height (either -1 for none). Applied whenever a splitter takes a
    // new size, each within the room it has (the column's rows follow the
    // rules), until ForgetSavedSizes.
    void KeepSavedSizes(int columnWidth, int textHeight);
    void ForgetSavedSizes() { m_keepSaved = false; }
    // The left column's width when open (its width before it was collapsed).
    int OpenColumnWidth() const;
    int TextRowHeight() const;
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
    bool eventFilter(QObject* watched, QEvent* event) override;
    void applySavedColumn();
    void applySavedTextRow();
    void setColumn(const ColumnSize& size);
    // Names screen readers announce for the panes (the right view's follows the view).
    void nameViews();
    void applyLeftRows(int height);

    CScrivaDoc& m_doc;
    FrameServices& m_services; // outlives the panes
    QWidget* m_owner;
    CSplitterWndEx* m_main;
    QSplitter* m_left;
    CSplitterWndEx* m_right;
    CThumbView* m_thumbs;
    CLeftFormView* m_form;
    CRecognizeView* m_text;
    QPointer<QWidget> m_active;
    LeftColumnState m_column;
    bool m_keepSaved = false;
    int m_savedColumn = -1;
    int m_savedTextRow = -1;
};
