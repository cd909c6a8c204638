#pragma once
// The image view of the right area: shows the document's current image at
// the document's zoom on a grey cross-hatched background, with scroll bars
// when the zoomed image is larger than the pane. The mouse drives the
// document's active tool (crop rectangle, lasso, hand, preset area, text
// placement); without a tool the image file can be dragged out to other
// programs and a double-click brings the camera view. The wheel zooms about
// the cursor. Tools ask the document for changes; the document applies them
// and records undo. Created and destroyed by the main frame when the right
// area switches; it never outlives the document. User-interface thread only.

#include "RectTracker.h"
#include "image/CScrivaDoc.h"
#include "image/IDocumentView.h"
#include "image/IImageView.h"

#include <QAbstractScrollArea>
#include <QCursor>
#include <QTimer>

class CScrivaView : public QAbstractScrollArea,
                    public IDocumentView,
                    public IImageView,
                    public ICommandTarget
{
    Q_OBJECT
public:
    static constexpr int LassoTimerMs = 333; // timer 2028: the outline's dashes crawl
    static constexpr int AntsPhases = 8;
    static constexpr int HatchSize = 8;
    static constexpr int WheelStep = 120;
    static constexpr int StrPresetQuestion = scriva::str::kPresetQuestion;

    explicit CScrivaView(CScrivaDoc& doc, QWidget* parent = nullptr);
    ~CScrivaView() override;

    CScrivaDoc& GetDocument() const { return m_doc; }
    // The hand tool's cursor (the pack's cursor 175); Qt's open hand without it.
    static void SetHandCursor(const QCursor& cursor);

    // IDocumentView
    void OnDocumentUpdate(int hint) override;
    // IImageView
    QSize ClientSize() const override;
    QPoint ScrollPosition() const override;
    void EmptyTracker() override;
    void StopLasso() override;
    void Repaint() override;

    bool OnCommand(int id) override;
    std::optional<CommandState> OnUpdateCommand(int id) const override;

    const RectTracker& Tracker() const { return m_tracker; }
    RectTracker& Tracker() { return m_tracker; }
    bool IsLassoAnimating() const { return m_antsTimer.isActive(); }
    int AntsPhase() const { return m_antsPhase; }
    bool IsDraggingText() const { return m_draggingText; }
    // Opens the text dialog on the shared text; true on OK.
    bool EditText();

signals:
    // A file drag is about to start (tests see the data that leaves).
    void fileDragStarting(const QString& path);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    bool isRectTool(int tool) const;
    QPoint imagePoint(QPoint client) const;
    bool insideImage(QPoint imagePoint) const;
    QSize zoomedSize() const;
    void updateScrollBars();
    void setScroll(QPoint position);
    void updateCursor(QPoint client);
    void paintBackground(QPainter& painter, const QRect& area);
    void paintLasso(QPainter& painter) const;
    void pressRectTool(QPoint at);
    void pressText(QPoint at);
    void moveLasso(QPoint image, bool shift);
    void moveHand(QPoint at);
    void startFileDrag();
    void releaseLasso();
    void doubleClickCrop(QPoint at);
    void doubleClickPresetArea();
    void doubleClickText(QPoint image);
    void wheelZoom(bool zoomIn, QPoint at);
    void onAntsTick();
    QRect lassoBounds() const;

    CScrivaDoc& m_doc;
    RectTracker m_tracker;
    QTimer m_antsTimer;
    int m_antsPhase = 0;
    QPoint m_pressPoint;
    QPoint m_pressScroll;
    bool m_newOutline = false;
    bool m_outlineDrawn = false; // this press drew lasso points
    bool m_fileDragArmed = false;
    bool m_draggingText = false;
    bool m_textDragShown = false;
    QPoint m_textDragAt; // client point of the dragged text's top-left
    bool m_leftDown = false;
    int m_wheelRemainder = 0;
};
