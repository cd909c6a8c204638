// Recognition stays on one thread per page whatever the user's environment
// holds for OpenMP: "scriva-cli ocr" is run with OMP_THREAD_LIMIT removed (and
// with OpenMP asked for many threads), and the threads of the process are
// counted from /proc while it recognises. The same run with
// OMP_THREAD_LIMIT=1 gives the count to stay within: the program's own
// threads, one recognising worker per page at most.

#include "OcrTestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <algorithm>

namespace {

struct Case
{
    const char* name;
    QStringList omp; // OpenMP variables of the run ("NAME=VALUE"); OMP_THREAD_LIMIT never set
    int pages;
};

void PrintTo(const Case& c, std::ostream* os)
{
    *os << c.name;
}

class RecognitionThreadsTest : public ::testing::TestWithParam<Case>
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        ocrtest::ensureGuiApp();
    }

    QStringList pages(int count)
    {
        QStringList paths;
        for (int i = 0; i < count; ++i) {
            const QString path = dir.filePath(QStringLiteral("page%1.png").arg(i));
            CxImage image = ocrtest::renderText({QStringLiteral("Threads of page %1").arg(i),
                                                 QStringLiteral("one line after another"),
                                                 QStringLiteral("and a third to read")});
            EXPECT_TRUE(image.Save(QFile::encodeName(path).toStdString(), CXIMAGE_FORMAT_PNG));
            paths << path;
        }
        return paths;
    }

    // Most threads the process had at once while it ran; -1 when it failed.
    int peakThreads(const QStringList& inputs, const QStringList& omp, bool limitOne)
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const QString& name : env.keys())
            if (name.startsWith(QLatin1String("OMP_")) || name.startsWith(QLatin1String("GOMP_")))
                env.remove(name);
        for (const QString& setting : omp)
            env.insert(setting.section(u'=', 0, 0), setting.section(u'=', 1));
        if (limitOne)
            env.insert(QStringLiteral("OMP_THREAD_LIMIT"), QStringLiteral("1"));
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), dir.filePath(QStringLiteral("config")));
        env.insert(QStringLiteral("XDG_CACHE_HOME"), dir.filePath(QStringLiteral("cache")));
        env.insert(QStringLiteral("HOME"), dir.path());
        QProcess p;
        p.setProcessEnvironment(env);
        const QString bin =
            QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath().section(u'/', 0, -2);
        const QString out = dir.filePath(QStringLiteral("texts"));
        if (!QDir().mkpath(out))
            return -1;
        p.start(bin + QStringLiteral("/scriva-cli"),
                QStringList{QStringLiteral("ocr")} + inputs +
                    QStringList{QStringLiteral("--lang"), QStringLiteral("eng"),
                                QStringLiteral("--out"), out, QStringLiteral("--threads"),
                                QString::number(inputs.size())});
        if (!p.waitForStarted())
            return -1;
        const QString tasks = QStringLiteral("/proc/%1/task").arg(p.processId());
        int peak = 0;
        while (!p.waitForFinished(2)) {
            if (p.state() == QProcess::NotRunning)
                break;
            peak = std::max(peak,
                            int(QDir(tasks).entryList(QDir::Dirs | QDir::NoDotAndDotDot).size()));
        }
        if (p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
            ADD_FAILURE() << p.readAllStandardError().toStdString();
            return -1;
        }
        // It did read the pages: the threads counted are those of a recognition.
        for (const QString& in : inputs) {
            QFile text(QDir(out).filePath(QFileInfo(in).completeBaseName() + ".txt"));
            EXPECT_TRUE(text.open(QIODevice::ReadOnly));
            EXPECT_TRUE(text.readAll().contains("Threads of page")) << in.toStdString();
        }
        return peak;
    }

    QTemporaryDir dir;
};

TEST_P(RecognitionThreadsTest, NoMoreThreadsThanWithOneOpenMpThread)
{
    const Case& c = GetParam();
    const QStringList inputs = pages(c.pages);
    const int allowed = peakThreads(inputs, {}, true);
    ASSERT_GT(allowed, 0);
    const int seen = peakThreads(inputs, c.omp, false);
    ASSERT_GT(seen, 0);
    EXPECT_LE(seen, allowed) << c.name << ": " << seen << " threads, " << allowed
                             << " with OMP_THREAD_LIMIT=1";
}

INSTANTIATE_TEST_SUITE_P(
    UnsetEnvironment, RecognitionThreadsTest,
    ::testing::Values(Case{"unset", {}, 1},
                      Case{"many asked", {"OMP_NUM_THREADS=8", "OMP_DYNAMIC=false"}, 1},
                      Case{"two pages in parallel", {}, 2}),
    [](const ::testing::TestParamInfo<Case>& info) {
        std::string name = info.param.name;
        std::replace(name.begin(), name.end(), ' ', '_');
        return name;
    });

} // namespace
