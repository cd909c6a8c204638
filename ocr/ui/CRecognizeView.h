#pragma once
// The recognised-text pane under the right area's view. It remembers the path
// of the image its text belongs to (the text path), so the text is stored back
// under the right image. User-interface thread only.

#include "image/CScrivaDoc.h"
#include "image/IDocumentView.h"

#include <QPlainTextEdit>

class CRecognizeView : public QPlainTextEdit, public IDocumentView
{
    Q_OBJECT
public:
    explicit CRecognizeView(CScrivaDoc& doc, QWidget* parent = nullptr);
    ~CRecognizeView() override;

    void SetResultText(const QString& path, const QString& text);
    const QString& TextPath() const { return m_textPath; }

    void OnDocumentUpdate(int hint) override;

private:
    CScrivaDoc& m_doc;
    QString m_textPath;
};
