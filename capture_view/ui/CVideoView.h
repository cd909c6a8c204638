#pragma once
// The capture view of the right area: owns the capture graph while the right
// area shows the camera, paints its latest frame (with the red page frame)
// every 100 ms at fit or zoomed size, zooms with the wheel and pans with the
// left button, and takes photos (command, camera button, auto-capture at an
// interval or hands-free when the page changes; the picture flashes on each
// photo and hands-free capture says discreetly what it waits for). The
// main frame creates it, calls StartCapture and destroys it when switching
// back. User-interface thread only. Emits captureFailed when a running camera
// fails (error, end of stream, no pictures any more) and photoSaved after
// each saved photo.

#include "capture/CCaptureGraph.h"
#include "capture_view/ui/FramePainter.h"
#include "capture_view/ui/PhotoTaker.h"
#include "image/CScrivaDoc.h"
#include "image/IDocumentView.h"

#include <QAbstractScrollArea>
#include <QCursor>
#include <QElapsedTimer>
#include <QTimer>
#include <memory>
#include <optional>

class CConfigFile;
class QPainter;

class CVideoView : public QAbstractScrollArea, public IDocumentView, public ICommandTarget
{
    Q_OBJECT
public:
    static constexpr int kRepaintTimer = 128; // its id, and what it paces
    static constexpr int kRepaintMs = 100;
    static constexpr int kStallMs = 10000; // no new picture this long: the camera failed
    static constexpr float kZoomStep = 0.1f;
    static constexpr float kMaxZoom = 10.0f;
    static constexpr int kWheelStep = 120;
    static constexpr int kNoteMargin = 4;      // pixels around the note's text
    static constexpr int kNoteShade = 160;     // opacity of the note's band
    static constexpr int kFlashMs = 250;       // the picture flashes this long on a photo
    static constexpr int kFlashAlpha = 170;    // how white the flash starts
    static constexpr int kTakenShownMs = 1500; // hands-free: "taken" stays this long

    explicit CVideoView(CScrivaDoc& doc, QWidget* parent = nullptr);
    ~CVideoView() override;

    CScrivaDoc& GetDocument() const { return m_doc; }

    // The settings store read for the supported cameras and the page size,
    // handed over by whoever makes the view; it must outlive the view. A view
    // without one knows no supported camera and draws no page frame.
    void SetSettings(const CConfigFile* settings) { m_settings = settings; }
    const CConfigFile* Settings() const { return m_settings; }
    // The same store, writable, also for the photo counter.
    void SetSettings(CConfigFile* settings);
    // The hand shown while panning (the language pack's cursor); a closed
    // hand until one is given.
    static void SetPanCursor(const QCursor& cursor);
    // Opens this source instead of the one SCRIVA_CAMERA or the profile names.
    void SetCaptureSource(const CaptureSource& source) { m_forcedSource = source; }

    // Starts the camera picture. False when the camera cannot be opened or
    // does not start; the graph is then shut down and the view shows nothing.
    virtual bool StartCapture();
    // How long a running camera may send no new picture before it counts as failed.
    void SetStallLimitMs(int ms) { m_stallLimitMs = ms; }
    bool IsCapturing() const { return m_capturing; }
    // Why the last StartCapture failed or the running camera was given up (also
    // said on stderr); empty while all is well.
    QString FailureReason() const { return m_failureReason; }
    // "Demo camera: no camera is connected" when the demo stands in for a camera
    // the user did not name; shown on the picture. Empty otherwise.
    QString SourceNote() const;
    // Compressed frames that failed to decode since the camera started
    // (counted on each repaint tick, kept after the camera stopped).
    uint64_t DroppedFrames() const { return m_droppedFrames; }
    // The source note and the count of damaged frames dropped, as the
    // view's tool tip shows them; empty while there is nothing to say.
    QString CameraStatus() const;

    // While another window shows the picture (presenter mode) this view
    // paints nothing and leaves the size the picture is shown at to that
    // window; it keeps watching the camera and taking photos.
    void SetShownElsewhere(bool elsewhere);
    bool IsShownElsewhere() const { return m_shownElsewhere; }

    void ZoomIn(int x, int y);
    void ZoomOut(int x, int y);
    float Zoom() const { return m_zoom; }
    int FitMode() const { return m_fitMode; }

    // Takes a photo of the held frame (see PhotoTaker); with noSave only the
    // processed image is made (printing). True when a photo was made.
    bool TakePhoto(bool noSave = false);
    PhotoTaker& Photos() { return *m_photos; }
    const PhotoTaker& Photos() const { return *m_photos; }

    // What hands-free capture shows on the picture now ("waiting for a new
    // page", "hold still", "taken: NAME"); empty while it does not run.
    QString WatchNote() const;
    // The picture flashes: a photo was saved less than kFlashMs ago.
    bool IsFlashing() const;

    CCaptureGraph& Graph() { return m_graph; }
    const CCaptureGraph& Graph() const { return m_graph; }

    void OnDocumentUpdate(int hint) override;
    bool OnCommand(int id) override;
    std::optional<CommandState> OnUpdateCommand(int id) const override;

signals:
    void captureFailed(const QString& reason);
    void photoSaved(const QString& path);

protected:
    void paintEvent(QPaintEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void resizeEvent(QResizeEvent* event) override;
    bool m_capturing = false;

private:
    void OnRepaintTimer();
    void OnPhotoSaved();
    void OnWatchPhoto(const QString& path);
    void PaintWatchNote(QPainter& painter);
    void PublishPageFrame();
    void PublishShownSize();
    // The size the whole picture is drawn at: the viewport's, times the zoom.
    QSize ShownSize() const;
    bool CheckHealth();
    void UpdateDropped();
    void Fail(const QString& reason);
    void SetScrollSizes(int width, int height);
    void ScrollTo(int x, int y);
    void ApplyZoom(float oldZoom, int x, int y);
    bool Busy() const;

    CScrivaDoc& m_doc;
    CCaptureGraph m_graph;
    FramePainter m_painter;
    QTimer m_repaintTimer;
    bool m_repaintPending = false;
    bool m_shownElsewhere = false;
    int m_fitMode = 1;
    float m_zoom = 1.0f;
    int m_wheelRemainder = 0;
    QPoint m_dragCursor;
    QPoint m_dragScroll;
    bool m_dragging = false;
    uint64_t m_lastFrameCount = 0;
    uint64_t m_droppedFrames = 0;
    uint64_t m_droppedAtLastFrame = 0; // dropped before the last picture that came
    QElapsedTimer m_sinceNewFrame;
    int m_stallLimitMs = kStallMs;
    const CConfigFile* m_settings = nullptr;
    PhotoTaker* m_photos = nullptr;
    std::optional<CaptureSource> m_forcedSource;
    QString m_failureReason;
    QElapsedTimer m_sinceFlash;      // valid after the first photo
    QElapsedTimer m_sinceWatchPhoto; // valid after the first hands-free photo
    QString m_watchPhotoName;
};
