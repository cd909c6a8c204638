// Renders the demo camera's picture once at build time: a dark wooden desk
// with a printed A4 page on it, as a document camera at 2592 x 1944 would see
// it. The page lies sideways (its top to the left), as an A4 page must to fill
// a 4:3 field, inside the frame of the default page size, and slightly
// turned. Run with the offscreen platform; writes one PNG file.

#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QStringList>
#include <cmath>
#include <cstdio>

namespace {

constexpr int kFrameWidth = 2592;
constexpr int kFrameHeight = 1944;
// The page upright, before it is laid down: A4 proportions, small enough that
// it stays whole inside the A4 page frame and the photo's page cut of the
// demo camera's model even when turned.
constexpr int kPageWidth = 1190;
constexpr int kPageHeight = 1683;
constexpr double kSideways = -90.0;      // its top to the left
constexpr double kPageTurnDegrees = 3.0; // and a little clockwise on screen
constexpr double kPageCentreX = 1276.0;
constexpr double kPageCentreY = 972.0;
// Text sizes were chosen for a page 1290 pixels wide.
constexpr double kTextScale = kPageWidth / 1290.0;

int Scaled(int pixels)
{
    return int(std::lround(pixels * kTextScale));
}

// Faint grain: a slow per-row tone with a gentle wave along the boards.
void PaintDesk(QImage& img)
{
    for (int y = 0; y < img.height(); ++y) {
        uchar* row = img.scanLine(y);
        const double rowTone = 4.0 * std::sin(y * 0.013) + 3.0 * std::sin(y * 0.071 + 1.3);
        for (int x = 0; x < img.width(); ++x) {
            const double grain = rowTone + 2.5 * std::sin(x * 0.004 + y * 0.002);
            const int t = int(std::lround(grain));
            row[x * 4 + 0] = uchar(qBound(0, 40 + t / 2, 255)); // blue
            row[x * 4 + 1] = uchar(qBound(0, 62 + t, 255));     // green
            row[x * 4 + 2] = uchar(qBound(0, 90 + t, 255));     // red
            row[x * 4 + 3] = 255;
        }
    }
}

QStringList BodyLines()
{
    return {
        QStringLiteral("This page lies under the document camera for testing."),
        QStringLiteral("Each photo is cut to the page, straightened and saved."),
        QStringLiteral("The red frame in the preview marks the chosen page size."),
        QStringLiteral("The quick brown fox jumps over the lazy dog 0123456789"),
        QStringLiteral("Pages may be turned a little; the program corrects it."),
        QStringLiteral("Text on the page can be recognised and saved as a file."),
        QStringLiteral("Several photos can be exported together as one PDF."),
        QStringLiteral("A counter or the date and time names every new photo."),
        QStringLiteral("The thumbnails of the save folder appear on the left."),
        QStringLiteral("Any image can be zoomed, turned, cropped and printed."),
        QStringLiteral("Brightness and contrast can be changed in small steps."),
        QStringLiteral("The camera buttons take photos and switch the views."),
        QStringLiteral("Automatic capture takes a photo at a fixed interval."),
        QStringLiteral("Recognised text appears in the pane below the picture."),
        QStringLiteral("Searching finds a word in the texts of all images."),
        QStringLiteral("Settings are kept in a plain file in the user folder."),
        QStringLiteral("Eleven languages are offered for menus and messages."),
        QStringLiteral("A page of a book, a letter or a receipt works alike."),
        QStringLiteral("Good light without glare gives the clearest pictures."),
        QStringLiteral("Lay the page flat and keep it inside the red frame."),
        QStringLiteral("The preview refreshes about ten times every second."),
        QStringLiteral("Photos are saved as JPEG, PNG, TIFF or BMP files."),
        QStringLiteral("Each saved file keeps the resolution of the camera."),
        QStringLiteral("Printing sends the current picture to the printer."),
        QStringLiteral("End of the demonstration page. Thank you for reading."),
    };
}

void PaintPageText(QPainter& p)
{
    QFont heading(QStringLiteral("DejaVu Sans"));
    heading.setPixelSize(Scaled(64));
    heading.setBold(true);
    p.setFont(heading);
    p.setPen(Qt::black);
    const int margin = Scaled(110);
    p.drawText(QRect(margin, Scaled(110), kPageWidth - 2 * margin, Scaled(90)),
               Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Demo Document Page"));

    QFont body(QStringLiteral("DejaVu Sans"));
    body.setPixelSize(Scaled(34));
    p.setFont(body);
    int y = Scaled(280);
    for (const QString& line : BodyLines()) {
        p.drawText(QPoint(margin, y), line);
        y += Scaled(58);
    }
}

void PaintPage(QImage& img)
{
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.translate(kPageCentreX, kPageCentreY);
    p.rotate(kSideways + kPageTurnDegrees);
    p.translate(-kPageWidth / 2.0, -kPageHeight / 2.0);
    // Soft shadow: a few widening translucent layers below and right of the page.
    p.setPen(Qt::NoPen);
    for (int i = 6; i >= 1; --i) {
        p.setBrush(QColor(0, 0, 0, 22));
        p.drawRoundedRect(QRectF(6 + i * 2, 10 + i * 2, kPageWidth + i * 2, kPageHeight + i * 2),
                          i * 2, i * 2);
    }
    p.setBrush(QColor(250, 250, 246));
    p.drawRect(QRectF(0, 0, kPageWidth, kPageHeight));
    PaintPageText(p);
}

} // namespace

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s OUT.png\n", argv[0]);
        return 2;
    }
    QImage img(kFrameWidth, kFrameHeight, QImage::Format_RGB32);
    PaintDesk(img);
    PaintPage(img);
    if (!img.convertToFormat(QImage::Format_RGB888).save(QString::fromLocal8Bit(argv[1]), "PNG")) {
        std::fprintf(stderr, "%s: cannot write %s\n", argv[0], argv[1]);
        return 1;
    }
    return 0;
}
