#pragma once
// The recognised-text pane under the right area's view. It remembers the path
// of the image its text belongs to (the text path), so the text is stored back
// under the right image; it holds "\n" line breaks where stored texts have
// "\r\n". Region text dragged from the image view is dropped here: it goes in
// front of the document image's own text and is stored under that image. No
// other drop is taken (the pane's own text may be moved within it).
// User-interface thread only.

#include "image/CScrivaDoc.h"
#include "image/IDocumentView.h"

#include <QFont>
#include <QPlainTextEdit>

class CRecognizeView : public QPlainTextEdit, public IDocumentView
{
    Q_OBJECT
public:
    static constexpr double kFontPoints = 11.5;
    // The drag of a recognised region's text from the image view.
    static const char* const kRegionTextMime;

    explicit CRecognizeView(CScrivaDoc& doc, QWidget* parent = nullptr);
    ~CRecognizeView() override;

    // Shows a stored text ("\r\n" breaks) as the text of the image at `path`;
    // the edits of the text it replaces are kept first.
    void SetResultText(const QString& path, const QString& text);
    // Stores the text under its path when the user has changed it: an emptied
    // pane removes the entry, an image without one gets one.
    void KeepEdits();
    const QString& TextPath() const { return m_textPath; }
    // The pane's text with "\r\n" breaks, as it is stored and saved.
    QString StoredText() const;
    // While held, the end of a recognition leaves the pane alone. Nothing in
    // the program holds it yet.
    bool IsHeld() const { return m_hold != 0; }
    void SetHeld(bool held) { m_hold = held ? 1 : 0; }

    // A region's text dropped on the pane: shown in front of the document
    // image's own text, and the whole pane stored under the document's path.
    void DropRegionText(const QString& text);

    void OnDocumentUpdate(int hint) override;

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    bool takesDrop(const QDropEvent* event) const;

    CScrivaDoc& m_doc;
    int m_hold = 0;
    QString m_textPath;
    QFont m_font;
};
