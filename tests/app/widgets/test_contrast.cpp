// Legibility arithmetic: relative luminance and contrast ratios against the
// guidelines' published values, the ink chosen for a background (kept when it
// reads, moved just far enough when it does not), the mean colour of a skin
// picture, and how the program reads the desktop's wish for a dark scheme.

#include "QtTestRegistry.h"
#include "app/shell/DesktopScheme.h"
#include "app/widgets/Contrast.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QTest>

namespace contrast = scriva::contrast;
namespace desktop = scriva::desktop;

class ContrastTest : public QObject
{
    Q_OBJECT
private slots:
    void luminanceAndRatioMatchTheGuidelines();
    void readableKeepsOrMovesTheInk();
    void readableOverAGradient();
    void averageOfAPicture();
    void desktopSchemeRequests();
};

void ContrastTest::luminanceAndRatioMatchTheGuidelines()
{
    struct Lum
    {
        QColor colour;
        double luminance;
    } lums[] = {
        {QColor(0, 0, 0), 0.0},          {QColor(255, 255, 255), 1.0},
        {QColor(255, 0, 0), 0.2126},     {QColor(0, 255, 0), 0.7152},
        {QColor(0, 0, 255), 0.0722},     {QColor(128, 128, 128), 0.2158605},
        {QColor(10, 10, 10), 0.0030353}, // below the linear knee: c / 12.92
    };
    for (const Lum& l : lums)
        QVERIFY2(qAbs(contrast::RelativeLuminance(l.colour) - l.luminance) < 1e-5,
                 qPrintable(l.colour.name()));
    struct Pair
    {
        QColor a, b;
        double ratio;
    } pairs[] = {
        {Qt::black, Qt::white, 21.0},
        {Qt::white, Qt::black, 21.0}, // order does not matter
        {QColor(0x77, 0x77, 0x77), Qt::white, 4.478},
        {QColor(0x76, 0x76, 0x76), Qt::white, 4.542},
        {QColor(0, 0, 255), Qt::white, 8.592},
        {QColor(0x33, 0x33, 0x33), QColor(0x33, 0x33, 0x33), 1.0},
    };
    for (const Pair& p : pairs)
        QVERIFY2(qAbs(contrast::Ratio(p.a, p.b) - p.ratio) < 0.005,
                 qPrintable(QStringLiteral("%1/%2: %3")
                                .arg(p.a.name(), p.b.name())
                                .arg(contrast::Ratio(p.a, p.b))));
}

void ContrastTest::readableKeepsOrMovesTheInk()
{
    struct Case
    {
        const char* what;
        QColor ink, background;
        double minimum;
        bool kept; // the ink reads as it is
    } cases[] = {
        {"black on white", Qt::black, Qt::white, 4.5, true},
        {"light text on a dark pane", QColor(232, 232, 232), QColor(45, 48, 54), 4.5, true},
        {"light text on the light skin", QColor(232, 232, 232), QColor(151, 244, 219), 4.5, false},
        {"blue link on a dark dialog", QColor(0, 0, 255), QColor(45, 48, 54), 4.5, false},
        {"grey disabled item on white", QColor(216, 216, 216), QColor(249, 249, 249), 3.0, false},
        {"grey on mid grey, only black reaches", QColor(200, 200, 200), QColor(120, 120, 120), 4.5,
         false},
        {"dark text on a dark pane", QColor(60, 60, 60), QColor(40, 40, 40), 3.0, false},
    };
    for (const Case& c : cases) {
        const QColor out = contrast::Readable(c.ink, c.background, c.minimum);
        QVERIFY2(contrast::Ratio(out, c.background) >= c.minimum, c.what);
        QCOMPARE((out == c.ink), c.kept);
        // Moved just far enough, not to black or white outright.
        if (!c.kept)
            QVERIFY2(contrast::Ratio(out, c.background) < c.minimum + 0.3, c.what);
    }
    // The link keeps its blue cast on the dark dialog.
    const QColor link = contrast::Readable(QColor(0, 0, 255), QColor(45, 48, 54));
    QVERIFY(link.blue() > link.red() && link.blue() > link.green());
    // No colour reaches 21:1 on mid grey: the better pole is the answer.
    QCOMPARE(contrast::Readable(QColor(128, 128, 128), QColor(128, 128, 128), 21.0),
             contrast::BlackOrWhite(QColor(128, 128, 128)));
    QCOMPARE(contrast::BlackOrWhite(QColor(250, 250, 250)), QColor(Qt::black));
    QCOMPARE(contrast::BlackOrWhite(QColor(20, 20, 60)), QColor(Qt::white));
}

void ContrastTest::readableOverAGradient()
{
    struct Case
    {
        const char* what;
        QColor ink, lightest, darkest;
        double minimum;
    } cases[] = {
        // The shipped button skin's gradient under a dark palette's light text.
        {"light text on the light skin", QColor(232, 232, 232), QColor(214, 250, 238),
         QColor(140, 226, 200), 4.5},
        {"dark text already reads", Qt::black, QColor(214, 250, 238), QColor(140, 226, 200), 4.5},
        {"light text on a dark gradient", QColor(150, 150, 150), QColor(60, 60, 70),
         QColor(20, 20, 24), 4.5},
        {"disabled grey on the grey skin", QColor(24, 26, 29), QColor(236, 236, 236),
         QColor(206, 206, 206), 3.0},
    };
    for (const Case& c : cases) {
        const QColor out = contrast::ReadableOnRange(c.ink, c.lightest, c.darkest, c.minimum);
        QVERIFY2(contrast::Ratio(out, c.lightest) >= c.minimum, c.what);
        QVERIFY2(contrast::Ratio(out, c.darkest) >= c.minimum, c.what);
    }
    QCOMPARE(contrast::ReadableOnRange(Qt::black, Qt::white, QColor(200, 200, 200)),
             QColor(Qt::black));
    // From black to white a middle grey still reaches 4.5:1 both ways, but no
    // colour reaches 7:1: the better pole on the middle then.
    const QColor both = contrast::ReadableOnRange(QColor(128, 0, 0), Qt::white, Qt::black);
    QVERIFY(contrast::Ratio(both, Qt::white) >= 4.5 && contrast::Ratio(both, Qt::black) >= 4.5);
    QCOMPARE(contrast::ReadableOnRange(QColor(128, 0, 0), Qt::white, Qt::black, 7.0),
             contrast::BlackOrWhite(QColor(127, 127, 127)));

    QImage gradient(2, 3, QImage::Format_ARGB32);
    gradient.fill(Qt::transparent);
    gradient.setPixelColor(0, 0, QColor(214, 250, 238));
    gradient.setPixelColor(0, 1, QColor(180, 240, 220));
    gradient.setPixelColor(0, 2, QColor(140, 226, 200));
    gradient.setPixelColor(1, 2, QColor(0, 0, 0, 128)); // half covered: not counted
    const contrast::Extremes range = contrast::LightestAndDarkest(gradient);
    QCOMPARE(range.lightest, QColor(214, 250, 238));
    QCOMPARE(range.darkest, QColor(140, 226, 200));
    QVERIFY(!contrast::LightestAndDarkest(QImage()).lightest.isValid());
}

void ContrastTest::averageOfAPicture()
{
    QImage image(4, 2, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    image.setPixelColor(0, 0, QColor(200, 0, 0));
    image.setPixelColor(1, 0, QColor(0, 0, 100));
    QCOMPARE(contrast::Average(image), QColor(100, 0, 50)); // transparent pixels do not count
    QImage clear(3, 3, QImage::Format_ARGB32);
    clear.fill(Qt::transparent);
    QVERIFY(!contrast::Average(clear).isValid());
    QVERIFY(!contrast::Average(QImage()).isValid());
}

void ContrastTest::desktopSchemeRequests()
{
    QTemporaryDir home;
    auto settingsIni = [&](const char* version, const QByteArray& text) {
        const QString folder = home.filePath(QLatin1String(version));
        QDir().mkpath(folder);
        QFile file(folder + QStringLiteral("/settings.ini"));
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(text);
    };
    auto env = [](std::initializer_list<std::pair<const char*, const char*>> vars) {
        QProcessEnvironment e;
        for (const auto& [name, value] : vars)
            e.insert(QLatin1String(name), QLatin1String(value));
        return e;
    };
    using S = desktop::Scheme;
    QCOMPARE(desktop::Requested(env({}), home.path()), S::Unknown);
    QCOMPARE(desktop::Requested(env({{"SCRIVA_COLOR_SCHEME", "Dark"}}), home.path()), S::Dark);
    QCOMPARE(desktop::Requested(env({{"SCRIVA_COLOR_SCHEME", "light"}}), home.path()), S::Light);
    QCOMPARE(desktop::Requested(env({{"GTK_THEME", "Adwaita:dark"}}), home.path()), S::Dark);
    QCOMPARE(desktop::Requested(env({{"GTK_THEME", "Adwaita"}}), home.path()), S::Unknown);
    settingsIni("gtk-3.0", "[Settings]\ngtk-application-prefer-dark-theme=true\n");
    QCOMPARE(desktop::Requested(env({}), home.path()), S::Dark);
    // The program's own variable wins over GTK's setting.
    QCOMPARE(desktop::Requested(env({{"SCRIVA_COLOR_SCHEME", "light"}}), home.path()), S::Light);
    settingsIni("gtk-3.0", "[Settings]\ngtk-application-prefer-dark-theme=0\n");
    QCOMPARE(desktop::Requested(env({}), home.path()), S::Unknown);
    settingsIni("gtk-4.0", "[Settings]\ngtk-theme-name=Materia-dark\n");
    QCOMPARE(desktop::Requested(env({}), home.path()), S::Dark);

    QVERIFY(desktop::IsDark(desktop::DarkPalette()));
    QPalette light;
    light.setColor(QPalette::Window, QColor(239, 239, 239));
    light.setColor(QPalette::WindowText, Qt::black);
    QVERIFY(!desktop::IsDark(light));
    // The dark palette's own texts read on its panes.
    const QPalette dark = desktop::DarkPalette();
    QVERIFY(contrast::Ratio(dark.color(QPalette::WindowText), dark.color(QPalette::Window)) >= 7);
    QVERIFY(contrast::Ratio(dark.color(QPalette::Text), dark.color(QPalette::Base)) >= 7);
    QVERIFY(contrast::Ratio(dark.color(QPalette::Disabled, QPalette::WindowText),
                            dark.color(QPalette::Window)) >= 3);
}

SCRIVA_QTEST(ContrastTest)
#include "test_contrast.moc"
