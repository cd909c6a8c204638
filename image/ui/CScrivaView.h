#pragma once
// The image view of the right area: shows the document's current image and
// takes the image commands while it is the active view. Created and destroyed
// by the main frame when the right area switches; it never outlives the
// document. User-interface thread only.

#include "image/CScrivaDoc.h"
#include "image/IDocumentView.h"

#include <QAbstractScrollArea>

class CScrivaView : public QAbstractScrollArea, public IDocumentView, public ICommandTarget
{
    Q_OBJECT
public:
    explicit CScrivaView(CScrivaDoc& doc, QWidget* parent = nullptr);
    ~CScrivaView() override;

    CScrivaDoc& GetDocument() const { return m_doc; }

    void OnDocumentUpdate(int hint) override;
    bool OnCommand(int id) override;
    std::optional<CommandState> OnUpdateCommand(int id) const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    CScrivaDoc& m_doc;
};
