#pragma once
// The capture view of the right area: the live camera picture while the right
// area is in capture mode. The main frame creates it, calls StartCapture and
// destroys it when switching back; a view whose capture does not start is
// replaced by the image view at once. User-interface thread only.

#include "image/CScrivaDoc.h"
#include "image/IDocumentView.h"

#include <QAbstractScrollArea>

class CVideoView : public QAbstractScrollArea, public IDocumentView, public ICommandTarget
{
    Q_OBJECT
public:
    static constexpr int FormId = 154;

    explicit CVideoView(CScrivaDoc& doc, QWidget* parent = nullptr);
    ~CVideoView() override;

    CScrivaDoc& GetDocument() const { return m_doc; }

    // Starts the camera picture. False when no camera source can be opened;
    // the view then shows nothing and the caller takes it away.
    virtual bool StartCapture();
    bool IsCapturing() const { return m_capturing; }

    void OnDocumentUpdate(int hint) override;
    bool OnCommand(int id) override;
    std::optional<CommandState> OnUpdateCommand(int id) const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    bool m_capturing = false;

private:
    CScrivaDoc& m_doc;
};
