#pragma once
// The capture pipeline of the capture view: chooses the frame source (camera,
// demo camera, test pattern, a launch description), runs a GStreamer pipeline
// that delivers 24-bit BGR or JPEG frames to the grabber callback, and writes
// the held frame (a JPEG one decoded at full size) as a bitmap.
// User-interface thread only, except the callback (streaming thread). Errors
// and end of stream on the bus set a failure flag that the view polls.

#include "CDeviceGuard.h"
#include "CGrabberCallback.h"
#include "CaptureProfile.h"
#include "CaptureSource.h"

#include <QString>
#include <QStringList>
#include <atomic>
#include <mutex>

class CxImage;
typedef struct _GstElement GstElement;
typedef struct _GstBus GstBus;
typedef struct _GstMessage GstMessage;
typedef struct _GstCaps GstCaps;

class CCaptureGraph
{
public:
    static constexpr int kStartTimeoutMs = 5000;

    // What the last element of a launch description gives.
    enum class FrameKind { Raw, Jpeg, Unknown, Neither };
    static FrameKind ClassifyCaps(GstCaps* caps);

    CCaptureGraph();
    virtual ~CCaptureGraph();
    CCaptureGraph(const CCaptureGraph&) = delete;
    CCaptureGraph& operator=(const CCaptureGraph&) = delete;

    // Scans the capture nodes against the pidVid tokens, chooses the source
    // (SCRIVA_CAMERA, profile [camera] Source, else auto) and builds the
    // pipeline. False when there is no source or it cannot be built.
    bool Initialize(const QStringList& cameraTokens);
    // Builds the pipeline for a given source.
    bool Initialize(const CaptureSource& source);

    // Runs the pipeline; waits at most kStartTimeoutMs. False when it does not
    // start (busy or missing camera, a failed source); can be called again.
    bool StartPreview();
    bool StopPreview();
    // Stops, drops the pipeline, the held frame and the frame image.
    void Shutdown();

    // No video window exists: only the remembered size is kept.
    void FitVideoWindowToOwner() {}
    void SetVideoWindowToVideoSize();

    // Writes the held frame (without border) as a 24-bit BMP; false before
    // the first frame, when the frame and its sizes disagree or the file cannot
    // be written, with the reason (the system's for files) in *error.
    bool SaveFrameAsBitmap(const QString& path, QString* error = nullptr);
    // The same, and the rows written stay in `image` (bottom-up 24-bit, as
    // loading the file would give them): a photo develops them without
    // reading the file back, and a JPEG frame is decoded once, straight into
    // the image. On failure `image` is empty.
    bool SaveFrameAsBitmap(const QString& path, CxImage& image, QString* error = nullptr);
    // Copies the held frame (without border) into an image; false before the
    // first frame or when the frame and its sizes disagree.
    bool CopyHeldFrame(CxImage& image) const;

    bool IsInitialized() const { return m_initialized; }
    bool IsPreviewing() const { return m_previewing; }
    // Set by a bus error or end of stream while previewing.
    bool HasFailed() const { return m_failed.load(); }
    // The failure was the end of the stream (a recorded sequence played out).
    bool HasEnded() const { return m_ended.load(); }
    QString FailureText() const;

    const CaptureSource& Source() const { return m_source; }
    int CameraModel() const { return m_source.cameraModel; }
    QString FriendlyName() const { return m_source.friendlyName; }
    // The V4L2 node whose controls the camera settings dialog shows; empty for
    // the demo camera and the test pattern.
    QString ControlsDevice() const;
    int VideoWidth() const { return m_videoWidth; }
    int VideoHeight() const { return m_videoHeight; }
    static void RememberedVideoSize(int& width, int& height);
    double FrameRate() const { return m_frameRate; }
    int UseFrameRate() const { return m_useFrameRate; }

    CGrabberCallback& Callback() { return m_callback; }
    const CGrabberCallback& Callback() const { return m_callback; }
    CDeviceGuard& DeviceGuard() { return m_guard; }
    void SetProfile(const CaptureProfile& profile) { m_profile = profile; }

private:
    QString LaunchDescription(QString& error);
    QString DeviceLaunch(QString& error);
    QString SourceLaunch(QString& error);
    bool BuildPipeline();
    void DestroyPipeline();
    bool PushDemoPicture();
    void SetFailure(const QString& text);
    static int OnBusMessage(GstBus* bus, GstMessage* message, void* self);

    CaptureProfile m_profile;
    CDeviceGuard m_guard;
    CaptureSource m_source;
    CGrabberCallback m_callback;
    GstElement* m_pipeline = nullptr;
    int m_videoWidth = 0;
    int m_videoHeight = 0;
    int m_useFrameRate = 1;
    double m_frameRate = 15.0;
    bool m_initialized = false;
    bool m_previewing = false;
    std::atomic<bool> m_failed{false};
    std::atomic<bool> m_ended{false}; // end of stream (also a failure)
    mutable std::mutex m_failureMutex;
    QString m_failureText;
};
