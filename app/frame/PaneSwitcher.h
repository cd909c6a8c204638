#pragma once
// Switches the right area between the image view (mode 101) and the capture
// view (mode 154): one view is destroyed and the other created on the same
// document. A capture view whose camera does not start is reported (string
// 61448) and the image view comes back, also when a running camera fails
// later (the view's captureFailed). A switch is refused while one is in
// progress or the program is busy. Emits modeChanged after every switch.
// User-interface thread only.

#include "app/frame/FrameServices.h"
#include "config/CommandIds.h"

#include <QObject>
#include <functional>

class CScrivaDoc;
class CVideoView;
class FramePanes;

class PaneSwitcher : public QObject
{
    Q_OBJECT
public:
    static constexpr int RetryMs = 200;
    using CaptureViewFactory = std::function<CVideoView*(CScrivaDoc&)>;

    PaneSwitcher(FramePanes& panes, CScrivaDoc& doc, FrameServices& services, QWidget* frame);

    int Mode() const { return m_mode; }
    bool IsSwitching() const { return m_switching; }
    // Replaces the capture view class (a camera-less test, a later camera).
    void setCaptureViewFactory(CaptureViewFactory factory) { m_factory = std::move(factory); }

    // False when refused (in progress or busy).
    bool SwitchRightPane();
    // For callers inside the view that is about to go: switches from the event loop.
    void PostSwitchRightPane();

signals:
    void modeChanged(int mode);
    // A capture view was made and is about to start its camera.
    void captureViewCreated(CVideoView* view);

private slots:
    void onCaptureFailed(const QString& reason);

private:
    void toCapture();
    void watchCapture(CVideoView* video);
    void captureLost(QObject* view, const QString& reason);
    void toImage();
    void setSwitching(bool on);

    FramePanes& m_panes;
    CScrivaDoc& m_doc;
    FrameServices& m_services;
    QWidget* m_frame;
    CaptureViewFactory m_factory;
    int m_mode = scriva::mode::kImage;
    bool m_switching = false;
};
