// Entering and leaving the capture view many times with the demo camera frees every pipeline:
// GStreamer's leaks tracer (switched on for this executable before GStreamer starts) finds no
// bus (each pipeline owns one, freed with it), message or sample of the cycles alive
// afterwards, and the process's open file descriptors (each bus holds two sockets) do not grow.

#include "QtTestRegistry.h"
#include "capture_view/ui/CVideoView.h"
#include "config/CConfigFile.h"

#include <QDir>
#include <QTest>
#include <cstdlib>
#include <gst/gst.h>

namespace {

// Before main(), so that gst_init of whichever test comes first starts the tracer.
const bool s_tracerRequested = [] {
    setenv("GST_TRACERS", "leaks(filter=GstBus,GstMessage,GstSample)", 0);
    return true;
}();

GstTracer* LeaksTracer()
{
    GstTracer* found = nullptr;
    GList* tracers = gst_tracing_get_active_tracers();
    for (GList* t = tracers; t; t = t->next) {
        if (!found && g_strcmp0(G_OBJECT_TYPE_NAME(t->data), "GstLeaksTracer") == 0)
            found = GST_TRACER(gst_object_ref(t->data));
    }
    g_list_free_full(tracers, gst_object_unref);
    return found;
}

struct LiveCounts
{
    int buses = 0, messages = 0, samples = 0;
};

LiveCounts CountLive(GstTracer* tracer)
{
    LiveCounts c;
    GstStructure* info = nullptr;
    g_signal_emit_by_name(tracer, "get-live-objects", &info);
    if (!info)
        return c;
    const GValue* list = gst_structure_get_value(info, "live-objects-list");
    for (guint i = 0; list && i < gst_value_list_get_size(list); ++i) {
        const GstStructure* obj = gst_value_get_structure(gst_value_list_get_value(list, i));
        const GType type = gst_structure_get_field_type(obj, "object");
        if (g_type_is_a(type, GST_TYPE_BUS))
            ++c.buses;
        else if (g_type_is_a(type, GST_TYPE_MESSAGE))
            ++c.messages;
        else if (g_type_is_a(type, GST_TYPE_SAMPLE))
            ++c.samples;
    }
    gst_structure_free(info);
    return c;
}

int OpenFileDescriptors()
{
    return int(QDir(QStringLiteral("/proc/self/fd"))
                   .entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot)
                   .size());
}

} // namespace

class TestCaptureViewCycles : public QObject
{
    Q_OBJECT
    CScrivaDoc m_doc;
    CConfigFile m_config;

    // One entry into the capture view and back: the view shows demo frames, then goes.
    bool Cycle()
    {
        CVideoView view(m_doc);
        view.SetSettings(&m_config);
        view.SetCaptureSource(CaptureSource::Demo());
        view.resize(320, 240);
        view.show();
        if (!view.StartCapture())
            return false;
        return QTest::qWaitFor([&] { return view.Graph().Callback().FrameCount() > 0; }, 20000);
    }

private slots:
    void initTestCase()
    {
        QVERIFY(s_tracerRequested);
        gst_init(nullptr, nullptr);
    }

    void fiftyEntriesLeaveNoPipelineBehind()
    {
        GstTracer* tracer = LeaksTracer();
        QVERIFY2(tracer, "GStreamer's leaks tracer is not running");
        const LiveCounts before = CountLive(tracer);
        // Two warm-up entries open what GStreamer keeps for the whole run (clock, plug-ins).
        QVERIFY(Cycle());
        QVERIFY(Cycle());
        QCoreApplication::processEvents();
        const int fdsAfterWarmUp = OpenFileDescriptors();
        for (int i = 2; i < 50; ++i)
            QVERIFY2(Cycle(), qPrintable(QStringLiteral("entry %1").arg(i + 1)));
        QCoreApplication::processEvents();
        const LiveCounts after = CountLive(tracer);
        gst_object_unref(tracer);
        QCOMPARE(after.buses, before.buses);
        QCOMPARE(after.messages, before.messages);
        QCOMPARE(after.samples, before.samples);
        QCOMPARE(OpenFileDescriptors(), fdsAfterWarmUp);
    }
};

SCRIVA_QTEST(TestCaptureViewCycles)
#include "test_CaptureViewCycles.moc"
