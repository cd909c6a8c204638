#include "CCaptureGraph.h"

#include "DemoCamera.h"
#include "FrameBitmap.h"
#include "V4l2Device.h"

#include <gst/app/gstappsink.h>
#include <gst/app/gstappsrc.h>
#include <gst/gst.h>

namespace {

// The last non-zero video size of any graph, for the actual-size command.
int s_rememberedWidth = 0;
int s_rememberedHeight = 0;

const char* const kSink = "appsink name=sink max-buffers=2 drop=true sync=false";
// A launch description plays at its own timestamps: recorded frames come at
// their rate, live sources as they arrive.
const char* const kLaunchSink = "appsink name=sink max-buffers=2 drop=true sync=true";

GstFlowReturn OnNewSample(GstAppSink* sink, gpointer user)
{
    GstSample* sample = gst_app_sink_pull_sample(sink);
    if (!sample)
        return GST_FLOW_OK;
    static_cast<CGrabberCallback*>(user)->BufferCB(sample);
    gst_sample_unref(sample);
    return GST_FLOW_OK;
}

// Recorded frames (files read by multifilesrc and the like) come without
// timestamps in a byte segment, so the sink cannot play them at their rate.
// Such a stream gets a time segment and timestamps from its caps' frame rate;
// streams that carry time are left alone. Lives as long as the sink's pad.
struct Pacer
{
    GstClockTime frameDuration = GST_CLOCK_TIME_NONE;
    guint64 frames = 0;
    bool stamping = false; // the stream's segment was not in time
};

GstPadProbeReturn PaceFrames(GstPad*, GstPadProbeInfo* info, gpointer user)
{
    auto* pacer = static_cast<Pacer*>(user);
    if (GST_PAD_PROBE_INFO_TYPE(info) & GST_PAD_PROBE_TYPE_BUFFER) {
        GstBuffer* buffer = GST_PAD_PROBE_INFO_BUFFER(info);
        if (!pacer->stamping || GST_BUFFER_PTS_IS_VALID(buffer) ||
            !GST_CLOCK_TIME_IS_VALID(pacer->frameDuration))
            return GST_PAD_PROBE_OK;
        buffer = gst_buffer_make_writable(buffer); // the frame's bytes stay shared
        GST_BUFFER_PTS(buffer) = pacer->frames * pacer->frameDuration;
        GST_BUFFER_DURATION(buffer) = pacer->frameDuration;
        ++pacer->frames;
        GST_PAD_PROBE_INFO_DATA(info) = buffer;
        return GST_PAD_PROBE_OK;
    }
    GstEvent* event = GST_PAD_PROBE_INFO_EVENT(info);
    if (GST_EVENT_TYPE(event) == GST_EVENT_CAPS) {
        GstCaps* caps = nullptr;
        gst_event_parse_caps(event, &caps);
        const GstStructure* st =
            caps && gst_caps_get_size(caps) > 0 ? gst_caps_get_structure(caps, 0) : nullptr;
        gint num = 0;
        gint den = 0;
        if (st && gst_structure_get_fraction(st, "framerate", &num, &den) && num > 0 && den > 0)
            pacer->frameDuration = gst_util_uint64_scale_int(GST_SECOND, den, num);
    } else if (GST_EVENT_TYPE(event) == GST_EVENT_SEGMENT) {
        const GstSegment* segment = nullptr;
        gst_event_parse_segment(event, &segment);
        pacer->stamping = segment && segment->format != GST_FORMAT_TIME;
        if (pacer->stamping) {
            GstSegment time;
            gst_segment_init(&time, GST_FORMAT_TIME);
            GstEvent* replaced = gst_event_new_segment(&time);
            gst_event_unref(event);
            GST_PAD_PROBE_INFO_DATA(info) = replaced;
        }
    }
    return GST_PAD_PROBE_OK;
}

QString RateCaps(const V4l2::FrameRate& r)
{
    return r.numerator > 0 ? QStringLiteral(",framerate=%1/%2").arg(r.numerator).arg(r.denominator)
                           : QString();
}

} // namespace

CCaptureGraph::CCaptureGraph() = default;

CCaptureGraph::~CCaptureGraph()
{
    Shutdown();
}

bool CCaptureGraph::Initialize(const QStringList& cameraTokens)
{
    const QString setting = CaptureSourceSetting(m_profile);
    m_guard.ScanDevices(cameraTokens);
    return Initialize(
        ResolveCaptureSource(setting, m_guard, cameraTokens, CameraModelOverride(m_profile)));
}

bool CCaptureGraph::Initialize(const CaptureSource& source)
{
    Shutdown();
    m_failed = false;
    m_ended = false;
    m_source = source;
    m_useFrameRate = m_profile.UseFrameRate();
    m_frameRate = m_profile.FrameRate();
    if (source.kind == CaptureSource::Kind::None) {
        SetFailure(source.problem.isEmpty() ? QStringLiteral("no camera is chosen")
                                            : source.problem);
        return false;
    }
    // Building once here finds a missing node, mode or plug-in before the view shows.
    m_initialized = BuildPipeline();
    DestroyPipeline();
    return m_initialized;
}

QString CCaptureGraph::DeviceLaunch(QString& error)
{
    const QString problem = V4l2::CaptureNodeProblem(m_source.devicePath);
    if (!problem.isEmpty()) {
        error = QStringLiteral("cannot open the camera %1: %2").arg(m_source.devicePath, problem);
        return {};
    }
    const double wanted = m_useFrameRate != 0 ? m_frameRate : 15.0;
    const V4l2::ModeChoice mode =
        V4l2::ChooseMode(V4l2::EnumerateModes(m_source.devicePath), m_profile.Width(),
                         m_profile.Height(), wanted, m_useFrameRate != 0);
    if (!mode.valid) {
        error = QStringLiteral("%1 offers no usable picture format").arg(m_source.devicePath);
        return {};
    }
    m_videoWidth = mode.width;
    m_videoHeight = mode.height;
    const QString size = QStringLiteral(",width=%1,height=%2").arg(mode.width).arg(mode.height);
    // Compressed frames reach the sink as they come: the view decodes them at
    // the size it shows them, a photo at full size.
    if (mode.jpeg)
        return QStringLiteral("v4l2src name=src ! image/jpeg%1%2 ! %3 caps=image/jpeg")
            .arg(size, RateCaps(mode.rate), QLatin1String(kSink));
    const QString caps =
        QStringLiteral("video/x-raw,format=") + mode.rawFormat + size + RateCaps(mode.rate);
    return QStringLiteral("v4l2src name=src ! %1 ! videoconvert ! video/x-raw,format=BGR ! %2")
        .arg(caps, QLatin1String(kSink));
}

QString CCaptureGraph::SourceLaunch(QString& error)
{
    // Built once with a pass-through element at its end to learn what its last
    // element gives (a description may end in caps, which need an element after them).
    const QByteArray text =
        (m_source.pipeline + QStringLiteral(" ! identity name=scriva_probe")).toUtf8();
    GError* gerror = nullptr;
    GstElement* probe =
        gst_parse_launch_full(text.constData(), nullptr, GST_PARSE_FLAG_FATAL_ERRORS, &gerror);
    if (!probe || gerror) {
        error = QStringLiteral("cannot build the camera source '%1': %2")
                    .arg(m_source.pipeline,
                         QString::fromUtf8(gerror ? gerror->message : "unknown error"));
        g_clear_error(&gerror);
        if (probe)
            gst_object_unref(probe);
        return {};
    }
    GstElement* end =
        GST_IS_BIN(probe) ? gst_bin_get_by_name(GST_BIN(probe), "scriva_probe") : nullptr;
    GstPad* pad = end ? gst_element_get_static_pad(end, "src") : nullptr;
    GstCaps* caps = pad ? gst_pad_query_caps(pad, nullptr) : nullptr;
    const FrameKind kind = ClassifyCaps(caps);
    gchar* described = caps ? gst_caps_to_string(caps) : nullptr;
    const QString given = QString::fromUtf8(described ? described : "");
    g_free(described);
    if (caps)
        gst_caps_unref(caps);
    if (pad)
        gst_object_unref(pad);
    if (end)
        gst_object_unref(end);
    gst_object_unref(probe);
    switch (kind) {
    case FrameKind::Jpeg:
        return QStringLiteral("%1 ! %2 caps=image/jpeg")
            .arg(m_source.pipeline, QLatin1String(kLaunchSink));
    case FrameKind::Raw:
        return QStringLiteral("%1 ! videoconvert ! video/x-raw,format=BGR ! %2")
            .arg(m_source.pipeline, QLatin1String(kLaunchSink));
    case FrameKind::Unknown:
        // Known only once it plays (a pad that appears later): JPEG or BGR are taken.
        return QStringLiteral("%1 ! %2 caps=\"image/jpeg;video/x-raw,format=BGR\"")
            .arg(m_source.pipeline, QLatin1String(kLaunchSink));
    case FrameKind::Neither:
        break;
    }
    error = QStringLiteral("the camera source '%1' gives %2, neither raw video nor JPEG frames")
                .arg(m_source.pipeline, given);
    return {};
}

CCaptureGraph::FrameKind CCaptureGraph::ClassifyCaps(GstCaps* caps)
{
    if (!caps || gst_caps_is_any(caps) || gst_caps_is_empty(caps))
        return FrameKind::Unknown;
    GstCaps* jpeg = gst_caps_from_string("image/jpeg");
    GstCaps* raw = gst_caps_from_string("video/x-raw");
    const bool canJpeg = gst_caps_can_intersect(caps, jpeg);
    const bool canRaw = gst_caps_can_intersect(caps, raw);
    gst_caps_unref(jpeg);
    gst_caps_unref(raw);
    // A source offering both (a camera without caps) is taken raw, as before.
    if (canRaw)
        return FrameKind::Raw;
    return canJpeg ? FrameKind::Jpeg : FrameKind::Neither;
}

QString CCaptureGraph::LaunchDescription(QString& error)
{
    switch (m_source.kind) {
    case CaptureSource::Kind::Demo:
        m_videoWidth = DemoCamera::kWidth;
        m_videoHeight = DemoCamera::kHeight;
        return QStringLiteral("appsrc name=demo is-live=true format=time ! imagefreeze is-live=true"
                              " ! video/x-raw,format=BGR,width=%1,height=%2,framerate=%3/1 ! %4")
            .arg(DemoCamera::kWidth)
            .arg(DemoCamera::kHeight)
            .arg(DemoCamera::kFramesPerSecond)
            .arg(QLatin1String(kSink));
    case CaptureSource::Kind::Test:
        m_videoWidth = 1920;
        m_videoHeight = 1080;
        return QStringLiteral(
                   "videotestsrc is-live=true ! video/x-raw,format=BGR,width=1920,height=1080,"
                   "framerate=15/1 ! %1")
            .arg(QLatin1String(kSink));
    case CaptureSource::Kind::Pipeline:
        return m_source.pipeline;
    case CaptureSource::Kind::Launch:
        return SourceLaunch(error);
    case CaptureSource::Kind::Device:
        return DeviceLaunch(error);
    case CaptureSource::Kind::None:
        break;
    }
    error = QStringLiteral("no camera is chosen");
    return {};
}

bool CCaptureGraph::BuildPipeline()
{
    // main() initialises GStreamer; tools and tests that forgot still work.
    if (!gst_is_initialized() && !gst_init_check(nullptr, nullptr, nullptr)) {
        SetFailure(QStringLiteral("GStreamer cannot be initialised"));
        return false;
    }
    QString error;
    const QString launch = LaunchDescription(error);
    if (launch.isEmpty()) {
        SetFailure(error);
        return false;
    }
    GError* gerror = nullptr;
    GstElement* pipeline = gst_parse_launch(launch.toUtf8().constData(), &gerror);
    if (gerror || !pipeline) {
        SetFailure(QStringLiteral("cannot build the capture pipeline: %1")
                       .arg(QString::fromUtf8(gerror ? gerror->message : "unknown error")));
        g_clear_error(&gerror);
        if (pipeline)
            gst_object_unref(pipeline);
        return false;
    }
    GstElement* sink = gst_bin_get_by_name(GST_BIN(pipeline), "sink");
    if (!sink || !GST_IS_APP_SINK(sink)) {
        if (sink)
            gst_object_unref(sink);
        gst_object_unref(pipeline);
        SetFailure(QStringLiteral("the capture pipeline has no frame sink"));
        return false;
    }
    GstAppSinkCallbacks callbacks{};
    callbacks.new_sample = &OnNewSample;
    gst_app_sink_set_callbacks(GST_APP_SINK(sink), &callbacks, &m_callback, nullptr);
    if (m_source.kind == CaptureSource::Kind::Launch) {
        if (GstPad* pad = gst_element_get_static_pad(sink, "sink")) {
            gst_pad_add_probe(
                pad,
                GstPadProbeType(GST_PAD_PROBE_TYPE_BUFFER | GST_PAD_PROBE_TYPE_EVENT_DOWNSTREAM),
                &PaceFrames, new Pacer, [](gpointer p) { delete static_cast<Pacer*>(p); });
            gst_object_unref(pad);
        }
    }
    gst_object_unref(sink);
    if (GstElement* src = gst_bin_get_by_name(GST_BIN(pipeline), "src")) {
        g_object_set(src, "device", m_source.devicePath.toLocal8Bit().constData(), nullptr);
        gst_object_unref(src);
    }
    GstBus* bus = gst_element_get_bus(pipeline);
    gst_bus_set_sync_handler(bus, reinterpret_cast<GstBusSyncHandler>(&CCaptureGraph::OnBusMessage),
                             this, nullptr);
    gst_object_unref(bus);
    m_pipeline = pipeline;
    return true;
}

void CCaptureGraph::DestroyPipeline()
{
    if (!m_pipeline)
        return;
    gst_element_set_state(m_pipeline, GST_STATE_NULL);
    GstBus* bus = gst_element_get_bus(m_pipeline);
    gst_bus_set_sync_handler(bus, nullptr, nullptr, nullptr);
    gst_object_unref(bus);
    gst_object_unref(m_pipeline);
    m_pipeline = nullptr;
    m_previewing = false;
}

bool CCaptureGraph::PushDemoPicture()
{
    GstElement* src = gst_bin_get_by_name(GST_BIN(m_pipeline), "demo");
    if (!src)
        return true;
    const CxImage& picture = DemoCamera::Picture();
    bool ok = picture.IsValid();
    if (ok) {
        const int width = int(picture.GetWidth());
        const int height = int(picture.GetHeight());
        GstCaps* caps = gst_caps_new_simple("video/x-raw", "format", G_TYPE_STRING, "BGR", "width",
                                            G_TYPE_INT, width, "height", G_TYPE_INT, height,
                                            "framerate", GST_TYPE_FRACTION, 0, 1, nullptr);
        gst_app_src_set_caps(GST_APP_SRC(src), caps);
        gst_caps_unref(caps);
        // The stream wants top-down rows of 4-byte-aligned BGR, the image
        // object keeps them bottom-up with the same alignment.
        const gsize stride = gsize(picture.GetEffWidth());
        GstBuffer* buffer = gst_buffer_new_allocate(nullptr, stride * gsize(height), nullptr);
        for (int y = 0; y < height; ++y)
            gst_buffer_fill(buffer, gsize(y) * stride, picture.GetBits(uint32_t(height - 1 - y)),
                            stride);
        GST_BUFFER_PTS(buffer) = 0;
        ok = gst_app_src_push_buffer(GST_APP_SRC(src), buffer) == GST_FLOW_OK;
        gst_app_src_end_of_stream(GST_APP_SRC(src));
    }
    gst_object_unref(src);
    if (!ok)
        SetFailure(QStringLiteral("the demo camera's picture is missing"));
    return ok;
}

bool CCaptureGraph::StartPreview()
{
    if (m_previewing)
        return true;
    if (!m_initialized)
        return false;
    m_failed = false;
    m_ended = false;
    if (!m_pipeline && !BuildPipeline())
        return false;
    const uint64_t framesBefore = m_callback.FrameCount();
    if (!PushDemoPicture()) {
        DestroyPipeline();
        return false;
    }
    GstStateChangeReturn r = gst_element_set_state(m_pipeline, GST_STATE_PLAYING);
    if (r != GST_STATE_CHANGE_FAILURE)
        r = gst_element_get_state(m_pipeline, nullptr, nullptr,
                                  GstClockTime(kStartTimeoutMs) * GST_MSECOND);
    // A short recording may end while the pipeline starts: its frames are
    // kept and the end stays flagged for the view (or scriva-cli) to act on.
    const bool failed = m_failed; // read first: the end is flagged before the failure
    const bool endedWithFrames = m_ended && m_callback.FrameCount() > framesBefore;
    if (r == GST_STATE_CHANGE_FAILURE || r == GST_STATE_CHANGE_ASYNC ||
        (failed && !endedWithFrames)) {
        if (r == GST_STATE_CHANGE_ASYNC)
            SetFailure(
                QStringLiteral("the camera did not start within %1 s").arg(kStartTimeoutMs / 1000));
        else if (!m_failed)
            SetFailure(QStringLiteral("the camera could not be started"));
        DestroyPipeline();
        return false;
    }
    m_previewing = true;
    return true;
}

bool CCaptureGraph::StopPreview()
{
    if (!m_previewing)
        return false;
    DestroyPipeline();
    return true;
}

void CCaptureGraph::Shutdown()
{
    StopPreview();
    DestroyPipeline();
    m_callback.Reset();
    m_initialized = false;
}

void CCaptureGraph::SetVideoWindowToVideoSize()
{
    int w = 0;
    int h = 0;
    if (m_callback.FrameSize(w, h) || (m_videoWidth > 0 && m_videoHeight > 0)) {
        s_rememberedWidth = w > 0 ? w : m_videoWidth;
        s_rememberedHeight = h > 0 ? h : m_videoHeight;
    }
}

void CCaptureGraph::RememberedVideoSize(int& width, int& height)
{
    width = s_rememberedWidth;
    height = s_rememberedHeight;
}

bool CCaptureGraph::SaveFrameAsBitmap(const QString& path, QString* error)
{
    GstSample* sample = m_callback.HeldSample();
    if (!sample) {
        if (error)
            *error = QStringLiteral("no frame has arrived yet");
        return false;
    }
    const bool ok = FrameBitmap::Write(sample, path, error);
    gst_sample_unref(sample);
    return ok;
}

bool CCaptureGraph::SaveFrameAsBitmap(const QString& path, CxImage& image, QString* error)
{
    GstSample* sample = m_callback.HeldSample();
    if (!sample) {
        image.Destroy();
        if (error)
            *error = QStringLiteral("no frame has arrived yet");
        return false;
    }
    const bool ok = FrameBitmap::WriteKeeping(sample, path, image, error);
    gst_sample_unref(sample);
    return ok;
}

bool CCaptureGraph::CopyHeldFrame(CxImage& image) const
{
    GstSample* sample = m_callback.HeldSample();
    if (!sample)
        return false;
    const bool ok = FrameBitmap::ToImage(sample, image);
    gst_sample_unref(sample);
    return ok;
}

QString CCaptureGraph::ControlsDevice() const
{
    return m_source.kind == CaptureSource::Kind::Device ? m_source.devicePath : QString();
}

QString CCaptureGraph::FailureText() const
{
    std::lock_guard<std::mutex> lock(m_failureMutex);
    return m_failureText;
}

void CCaptureGraph::SetFailure(const QString& text)
{
    {
        std::lock_guard<std::mutex> lock(m_failureMutex);
        m_failureText = text;
    }
    m_failed = true;
}

int CCaptureGraph::OnBusMessage(GstBus*, GstMessage* message, void* self)
{
    auto* graph = static_cast<CCaptureGraph*>(self);
    if (GST_MESSAGE_TYPE(message) == GST_MESSAGE_ERROR) {
        GError* err = nullptr;
        gchar* debug = nullptr;
        gst_message_parse_error(message, &err, &debug);
        QString text = QString::fromUtf8(err ? err->message : "camera error");
        // The driver's own reason (busy, gone) sits in the details as "system error: ...".
        const QString details = QString::fromUtf8(debug ? debug : "");
        const qsizetype at = details.indexOf(QLatin1String("system error: "));
        if (at >= 0)
            text +=
                QStringLiteral(" (%1)").arg(details.mid(at + 14).section(u'\n', 0, 0).trimmed());
        // Which element failed says where: a launch description may have many.
        if (GST_MESSAGE_SRC(message))
            text = QStringLiteral("%1: %2").arg(QString::fromUtf8(GST_MESSAGE_SRC_NAME(message)),
                                                text);
        graph->SetFailure(text);
        g_clear_error(&err);
        g_free(debug);
    } else if (GST_MESSAGE_TYPE(message) == GST_MESSAGE_EOS) {
        graph->m_ended = true;
        graph->SetFailure(QStringLiteral("the camera stopped sending pictures"));
    }
    // A dropped message belongs to this handler: each one holds its source element, so one
    // left alive keeps the whole pipeline (with its bus sockets and frames) alive.
    gst_message_unref(message);
    return GST_BUS_DROP;
}
