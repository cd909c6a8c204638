#include "IconPainter.h"

#include "config/CommandIds.h"

#include <QPainterPath>
#include <QtMath>

namespace cmd = scriva::cmd;

namespace {
const QColor kInk(38, 50, 64);
const QColor kPaper(255, 255, 255);
const QColor kBlue(30, 110, 200);
const QColor kGreen(34, 150, 64);
const QColor kRed(205, 45, 40);
const QColor kYellow(245, 190, 40);
const QColor kOrange(235, 130, 30);
const QColor kGrey(130, 138, 148);
const QColor kFolder(240, 196, 90);
} // namespace

IconPainter::IconPainter(QPainter& painter) : m_p(painter) {}

bool IconPainter::draw(int id)
{
    m_p.save();
    m_p.setRenderHint(QPainter::Antialiasing);
    const bool done = drawFileIcon(id) || drawEditIcon(id) || drawImageIcon(id) ||
                      drawViewIcon(id) || drawCaptureIcon(id) || drawTextIcon(id) ||
                      drawOtherIcon(id);
    m_p.restore();
    return done;
}

void IconPainter::pen(const QColor& colour, double width)
{
    m_p.setPen(QPen(colour, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
}

void IconPainter::page(double x, double y, double w, double h)
{
    const double f = qMin(w, h) * 0.3;
    QPainterPath path;
    path.moveTo(x, y);
    path.lineTo(x + w - f, y);
    path.lineTo(x + w, y + f);
    path.lineTo(x + w, y + h);
    path.lineTo(x, y + h);
    path.closeSubpath();
    pen(kInk);
    m_p.setBrush(kPaper);
    m_p.drawPath(path);
    m_p.drawLine(QPointF(x + w - f, y), QPointF(x + w - f, y + f));
    m_p.drawLine(QPointF(x + w - f, y + f), QPointF(x + w, y + f));
}

void IconPainter::lines(double x, double y, double w, int count, double step)
{
    pen(kGrey, 0.9);
    for (int i = 0; i < count; ++i)
        m_p.drawLine(QPointF(x, y + i * step), QPointF(x + w - (i % 2) * 2, y + i * step));
}

void IconPainter::folder()
{
    pen(kInk);
    m_p.setBrush(kFolder);
    QPainterPath back;
    back.moveTo(1.5, 3.5);
    back.lineTo(6, 3.5);
    back.lineTo(7.5, 5);
    back.lineTo(13.5, 5);
    back.lineTo(13.5, 13.5);
    back.lineTo(1.5, 13.5);
    back.closeSubpath();
    m_p.drawPath(back);
    m_p.setBrush(QColor(250, 220, 130));
    QPolygonF front({QPointF(3.5, 7.5), QPointF(15, 7.5), QPointF(13.5, 13.5), QPointF(1.5, 13.5)});
    m_p.drawPolygon(front);
}

void IconPainter::disk(const QColor& body)
{
    pen(kInk);
    m_p.setBrush(body);
    QPolygonF shape(
        {QPointF(2, 2), QPointF(12, 2), QPointF(14, 4), QPointF(14, 14), QPointF(2, 14)});
    m_p.drawPolygon(shape);
    m_p.setBrush(kPaper);
    m_p.drawRect(QRectF(4.5, 2, 7, 4.5));
    m_p.setBrush(QColor(220, 226, 232));
    m_p.drawRect(QRectF(4, 9, 8, 5));
    m_p.setBrush(kInk);
    m_p.drawRect(QRectF(9, 3, 1.5, 2.5));
}

void IconPainter::printer()
{
    pen(kInk);
    m_p.setBrush(kPaper);
    m_p.drawRect(QRectF(4, 1.5, 8, 5));
    m_p.setBrush(QColor(200, 208, 216));
    m_p.drawRoundedRect(QRectF(1.5, 6, 13, 6), 1.2, 1.2);
    m_p.setBrush(kPaper);
    m_p.drawRect(QRectF(4, 10, 8, 4.5));
    lines(5.5, 11.7, 5, 2, 1.6);
    m_p.setPen(Qt::NoPen);
    m_p.setBrush(kGreen);
    m_p.drawEllipse(QPointF(12.5, 8), 0.8, 0.8);
}

void IconPainter::magnifier(double cx, double cy, double r, int sgn)
{
    pen(kInk, 1.6);
    m_p.drawLine(QPointF(cx + r * 0.7, cy + r * 0.7), QPointF(cx + r * 1.6, cy + r * 1.6));
    pen(kInk);
    m_p.setBrush(QColor(220, 238, 252));
    m_p.drawEllipse(QPointF(cx, cy), r, r);
    if (sgn != 0)
        sign(cx, cy, sgn, kBlue);
}

void IconPainter::camera(double x, double y, double w, double h)
{
    pen(kInk);
    m_p.setBrush(QColor(90, 100, 112));
    m_p.drawRect(QRectF(x + w * 0.3, y, w * 0.35, h * 0.25));
    m_p.setBrush(QColor(120, 130, 142));
    m_p.drawRoundedRect(QRectF(x, y + h * 0.2, w, h * 0.8), 1.2, 1.2);
    m_p.setBrush(QColor(200, 225, 250));
    m_p.drawEllipse(QPointF(x + w / 2, y + h * 0.6), h * 0.3, h * 0.3);
    m_p.setPen(Qt::NoPen);
    m_p.setBrush(kRed);
    m_p.drawEllipse(QPointF(x + w * 0.85, y + h * 0.35), 0.7, 0.7);
}

void IconPainter::clock(double cx, double cy, double r)
{
    pen(kInk);
    m_p.setBrush(kPaper);
    m_p.drawEllipse(QPointF(cx, cy), r, r);
    m_p.drawLine(QPointF(cx, cy), QPointF(cx, cy - r * 0.7));
    m_p.drawLine(QPointF(cx, cy), QPointF(cx + r * 0.5, cy));
}

void IconPainter::gear(double cx, double cy, double r)
{
    QPainterPath path;
    for (int i = 0; i < 16; ++i) {
        const double a = i * M_PI / 8;
        const double rr = (i % 2 == 0) ? r : r * 0.72;
        const double a1 = a - M_PI / 16;
        const double a2 = a + M_PI / 16;
        const QPointF p1(cx + rr * qCos(a1), cy + rr * qSin(a1));
        const QPointF p2(cx + rr * qCos(a2), cy + rr * qSin(a2));
        if (i == 0)
            path.moveTo(p1);
        else
            path.lineTo(p1);
        path.lineTo(p2);
    }
    path.closeSubpath();
    path.addEllipse(QPointF(cx, cy), r * 0.3, r * 0.3);
    path.setFillRule(Qt::OddEvenFill);
    pen(kInk);
    m_p.setBrush(QColor(150, 160, 172));
    m_p.drawPath(path);
}

void IconPainter::curvedArrow(bool clockwise, const QColor& colour)
{
    arcArrow(clockwise ? 150 : 30, clockwise ? -240 : 240, QRectF(2.5, 2.5, 11, 11), colour);
}

void IconPainter::arcArrow(double startDeg, double spanDeg, const QRectF& box, const QColor& colour)
{
    pen(colour, 1.5);
    m_p.setBrush(Qt::NoBrush);
    m_p.drawArc(box, int(startDeg * 16), int(spanDeg * 16));
    const double end = (startDeg + spanDeg) * M_PI / 180.0;
    const QPointF c = box.center();
    const QPointF tip(c.x() + box.width() / 2 * qCos(end), c.y() - box.height() / 2 * qSin(end));
    const double s = spanDeg > 0 ? 1.0 : -1.0;
    const QPointF d(-qSin(end) * s, -qCos(end) * s);
    const QPointF n(-d.y(), d.x());
    m_p.setPen(Qt::NoPen);
    m_p.setBrush(colour);
    m_p.drawPolygon(QPolygonF({tip + d * 2.5, tip + n * 2.4, tip - n * 2.4}));
}

void IconPainter::arrow(double x1, double y1, double x2, double y2, const QColor& colour)
{
    pen(colour, 1.6);
    QPointF a(x1, y1), b(x2, y2);
    const QPointF v = b - a;
    const double len = qSqrt(v.x() * v.x() + v.y() * v.y());
    const QPointF d = v / len;
    const QPointF n(-d.y(), d.x());
    m_p.drawLine(a, b - d * 2);
    m_p.setPen(Qt::NoPen);
    m_p.setBrush(colour);
    m_p.drawPolygon(QPolygonF({b + d * 0.5, b - d * 3 + n * 2.6, b - d * 3 - n * 2.6}));
}

void IconPainter::cross(double cx, double cy, double r)
{
    pen(kRed, 1.8);
    m_p.drawLine(QPointF(cx - r, cy - r), QPointF(cx + r, cy + r));
    m_p.drawLine(QPointF(cx - r, cy + r), QPointF(cx + r, cy - r));
}

void IconPainter::dashedRect(double x, double y, double w, double h, const QColor& colour)
{
    QPen p(colour, 1.1, Qt::DashLine);
    p.setDashPattern({1.5, 1.2});
    m_p.setPen(p);
    m_p.setBrush(Qt::NoBrush);
    m_p.drawRect(QRectF(x, y, w, h));
}

void IconPainter::glyphChinese(double x, double y, double s, const QColor& colour)
{
    pen(colour, s * 0.14);
    m_p.setBrush(Qt::NoBrush);
    m_p.drawRect(QRectF(x + s * 0.12, y + s * 0.3, s * 0.76, s * 0.38));
    m_p.drawLine(QPointF(x + s * 0.5, y + s * 0.05), QPointF(x + s * 0.5, y + s * 0.98));
}

void IconPainter::glyphA(double x, double y, double s, const QColor& colour)
{
    pen(colour, s * 0.14);
    m_p.drawLine(QPointF(x + s * 0.1, y + s), QPointF(x + s * 0.5, y));
    m_p.drawLine(QPointF(x + s * 0.5, y), QPointF(x + s * 0.9, y + s));
    m_p.drawLine(QPointF(x + s * 0.27, y + s * 0.62), QPointF(x + s * 0.73, y + s * 0.62));
}

void IconPainter::glyphT(double x, double y, double s, const QColor& colour)
{
    pen(colour, s * 0.18);
    m_p.drawLine(QPointF(x + s * 0.1, y + s * 0.08), QPointF(x + s * 0.9, y + s * 0.08));
    m_p.drawLine(QPointF(x + s * 0.5, y + s * 0.08), QPointF(x + s * 0.5, y + s));
}

void IconPainter::sign(double cx, double cy, int sgn, const QColor& colour)
{
    pen(colour, 1.5);
    m_p.drawLine(QPointF(cx - 2.2, cy), QPointF(cx + 2.2, cy));
    if (sgn > 0)
        m_p.drawLine(QPointF(cx, cy - 2.2), QPointF(cx, cy + 2.2));
}

void IconPainter::sun(bool bright, int sgn)
{
    pen(kOrange, 1.1);
    for (int i = 0; i < 8; ++i) {
        const double a = i * M_PI / 4;
        m_p.drawLine(QPointF(6 + 3.8 * qCos(a), 6 + 3.8 * qSin(a)),
                     QPointF(6 + 5.4 * qCos(a), 6 + 5.4 * qSin(a)));
    }
    m_p.setBrush(bright ? kYellow : QColor(150, 110, 40));
    m_p.drawEllipse(QPointF(6, 6), 2.7, 2.7);
    sign(12.5, 12.5, sgn, kInk);
}

void IconPainter::halfCircle(int sgn)
{
    pen(kInk);
    m_p.setBrush(kPaper);
    m_p.drawEllipse(QPointF(6.5, 6.5), 5, 5);
    m_p.setBrush(kInk);
    m_p.drawPie(QRectF(1.5, 1.5, 10, 10), 90 * 16, 180 * 16);
    sign(12.5, 12.5, sgn, kBlue);
}

void IconPainter::drop(const QColor& colour, int sgn)
{
    QPainterPath path;
    path.moveTo(6.5, 1.5);
    path.cubicTo(9, 5, 11, 7, 11, 9);
    path.arcTo(QRectF(2, 4.5, 9, 9), 0, -180);
    path.cubicTo(2, 7, 4, 5, 6.5, 1.5);
    pen(kInk);
    m_p.setBrush(colour);
    m_p.drawPath(path);
    sign(12.5, 12.5, sgn, kInk);
}

bool IconPainter::drawFileIcon(int id)
{
    switch (id) {
    case cmd::kFileNew:
        page(2.5, 1, 10, 14);
        sign(11.5, 11.5, 1, kGreen);
        return true;
    case cmd::kFileOpen:
        folder();
        arrow(9, 11, 9, 1.5, kGreen);
        return true;
    case cmd::kFileSave:
        disk(kBlue);
        return true;
    case cmd::kFileSaveAs:
        disk(kBlue);
        pen(kInk);
        m_p.setBrush(kYellow);
        m_p.drawPolygon(QPolygonF({QPointF(9, 15), QPointF(9.5, 12.5), QPointF(15, 7),
                                   QPointF(16, 8), QPointF(10.5, 13.5)}));
        return true;
    case cmd::kSaveCopyJpeg: // save a copy as JPEG
        disk(kOrange);
        return true;
    case cmd::kSendMail:
        pen(kInk);
        m_p.setBrush(kPaper);
        m_p.drawRect(QRectF(1.5, 3.5, 13, 9));
        m_p.drawPolyline(QPolygonF({QPointF(1.5, 3.5), QPointF(8, 9), QPointF(14.5, 3.5)}));
        return true;
    case cmd::kPrint:
    case cmd::kPrintDirect:
        printer();
        return true;
    case cmd::kPrintAt96Dpi: // print at actual size
        printer();
        glyphA(10.5, 0.5, 5, kBlue);
        return true;
    case cmd::kPrintPreview:
        page(1.5, 1, 10, 13);
        lines(3.5, 5, 5, 3);
        magnifier(10, 10, 3, 0);
        return true;
    case cmd::kPrintSetup:
        printer();
        gear(12, 4, 3.5);
        return true;
    case cmd::kClearRecentFiles:
        lines(2, 3, 10, 5, 2.2);
        cross(11.5, 11.5, 3);
        return true;
    case cmd::kExit:
        pen(kInk);
        m_p.setBrush(QColor(170, 120, 70));
        m_p.drawRect(QRectF(2, 1.5, 8, 13));
        arrow(7, 8, 15.5, 8, kRed);
        return true;
    case cmd::kExportPdf: {
        page(2, 1, 12, 14);
        m_p.setPen(Qt::NoPen);
        m_p.setBrush(kRed);
        m_p.drawRect(QRectF(2.5, 8, 11, 5));
        pen(kPaper, 0.9);
        m_p.drawPolyline(QPolygonF({QPointF(4, 12), QPointF(4, 9), QPointF(5.6, 9),
                                    QPointF(5.6, 10.5), QPointF(4, 10.5)}));
        m_p.drawPolyline(QPolygonF({QPointF(7, 9), QPointF(7, 12), QPointF(8.2, 12),
                                    QPointF(8.9, 10.5), QPointF(8.2, 9), QPointF(7, 9)}));
        m_p.drawPolyline(QPolygonF({QPointF(12, 9), QPointF(10.3, 9), QPointF(10.3, 12)}));
        m_p.drawLine(QPointF(10.3, 10.5), QPointF(11.6, 10.5));
        return true;
    }
    case 32894: { // export searchable PDF: a page of text with its red PDF band, and a lens
        page(1.5, 1, 11, 14);
        lines(3.5, 3.5, 7, 2, 2.0);
        m_p.setPen(Qt::NoPen);
        m_p.setBrush(kRed);
        m_p.drawRect(QRectF(2, 9, 10, 4));
        magnifier(10.5, 10, 3, 0);
        return true;
    }
    default:
        return false;
    }
}

bool IconPainter::drawEditIcon(int id)
{
    switch (id) {
    case cmd::kUndo:
        arcArrow(0, 180, QRectF(3, 3.5, 11, 11), kBlue);
        return true;
    case cmd::kRedo:
        arcArrow(180, -180, QRectF(2, 3.5, 11, 11), kBlue);
        return true;
    case cmd::kCropTool:
        pen(kInk, 1.6);
        m_p.drawPolyline(QPolygonF({QPointF(4, 0.5), QPointF(4, 12), QPointF(15.5, 12)}));
        m_p.drawPolyline(QPolygonF({QPointF(0.5, 4), QPointF(12, 4), QPointF(12, 15.5)}));
        return true;
    case cmd::kLassoTool: { // lasso crop
        QPen p(kInk, 1.2, Qt::DashLine);
        p.setDashPattern({1.6, 1.2});
        m_p.setPen(p);
        m_p.setBrush(Qt::NoBrush);
        m_p.drawEllipse(QRectF(1.5, 1.5, 13, 9));
        pen(kInk, 1.2);
        m_p.drawLine(QPointF(5, 10), QPointF(3.5, 15));
        return true;
    }
    case cmd::kHandTool: {
        pen(kInk);
        m_p.setBrush(QColor(250, 215, 180));
        QPainterPath palm;
        palm.addRoundedRect(QRectF(3.5, 7, 9, 8), 2.5, 2.5);
        for (int i = 0; i < 4; ++i)
            palm.addRoundedRect(QRectF(3.5 + i * 2.25, 1.5 + (i == 0 || i == 3 ? 1.5 : 0), 2.2, 8),
                                1.1, 1.1);
        palm.setFillRule(Qt::WindingFill);
        m_p.drawPath(palm.simplified());
        return true;
    }
    case cmd::kTextTool:
        glyphT(2, 2, 12, kInk);
        return true;
    case cmd::kPresetAreaTool: // set capture area
        camera(0.5, 4, 9, 7);
        dashedRect(6.5, 6.5, 8.5, 8, kGreen);
        return true;
    case cmd::kClearPresetArea: // clear capture area
        dashedRect(1.5, 1.5, 11, 11, kGreen);
        cross(11.5, 11.5, 3);
        return true;
    default:
        return false;
    }
}

bool IconPainter::drawImageIcon(int id)
{
    switch (id) {
    case cmd::kRotateLeft90:
        page(5, 5, 6.5, 7.5);
        curvedArrow(false, kGreen);
        return true;
    case cmd::kRotateRight90:
        page(5, 5, 6.5, 7.5);
        curvedArrow(true, kGreen);
        return true;
    case cmd::kRotateFree:
        pen(kInk);
        m_p.drawLine(QPointF(2, 14), QPointF(14.5, 14));
        m_p.drawLine(QPointF(2, 14), QPointF(12, 4));
        pen(kGreen, 1.3);
        m_p.drawArc(QRectF(-5, 7, 14, 14), 0, 45 * 16);
        return true;
    case cmd::kMirrorHorizontal:
        pen(kInk);
        m_p.setBrush(kBlue);
        m_p.drawPolygon(QPolygonF({QPointF(7, 3), QPointF(7, 13), QPointF(1.5, 13)}));
        m_p.setBrush(kPaper);
        m_p.drawPolygon(QPolygonF({QPointF(9, 3), QPointF(9, 13), QPointF(14.5, 13)}));
        return true;
    case cmd::kFlipVertical:
        pen(kInk);
        m_p.setBrush(kBlue);
        m_p.drawPolygon(QPolygonF({QPointF(3, 7), QPointF(13, 7), QPointF(13, 1.5)}));
        m_p.setBrush(kPaper);
        m_p.drawPolygon(QPolygonF({QPointF(3, 9), QPointF(13, 9), QPointF(13, 14.5)}));
        return true;
    case cmd::kResize:
        pen(kInk);
        m_p.setBrush(kPaper);
        m_p.drawRect(QRectF(1.5, 6.5, 8, 8));
        arrow(6, 10, 14.5, 1.5, kBlue);
        return true;
    case cmd::kBrighter:
        sun(true, 1);
        return true;
    case cmd::kDarker:
        sun(false, -1);
        return true;
    case cmd::kMoreContrast:
        halfCircle(1);
        return true;
    case cmd::kLessContrast:
        halfCircle(-1);
        return true;
    case cmd::kSaturate:
        drop(QColor(230, 40, 120), 1);
        return true;
    case cmd::kDesaturate:
        drop(QColor(230, 180, 200), -1);
        return true;
    case cmd::kInvert:
        pen(kInk);
        m_p.setBrush(kInk);
        m_p.drawRect(QRectF(1.5, 2.5, 6.5, 11));
        m_p.setBrush(kPaper);
        m_p.drawRect(QRectF(8, 2.5, 6.5, 11));
        m_p.setPen(Qt::NoPen);
        m_p.setBrush(kPaper);
        m_p.drawEllipse(QPointF(4.8, 8), 2, 2);
        m_p.setBrush(kInk);
        m_p.drawEllipse(QPointF(11.2, 8), 2, 2);
        return true;
    case cmd::kToGray:
        pen(kInk);
        for (int i = 0; i < 4; ++i) {
            m_p.setBrush(QColor::fromRgb(240 - i * 60, 240 - i * 60, 240 - i * 60));
            m_p.drawRect(QRectF(1.5 + i * 3.25, 4, 3.25, 8));
        }
        return true;
    case cmd::kBlackAndWhite:
        pen(kInk);
        for (int i = 0; i < 4; ++i) {
            m_p.setBrush((i % 3 == 0) ? kInk : kPaper);
            m_p.drawRect(QRectF(2 + (i % 2) * 6, 2 + (i / 2) * 6, 6, 6));
        }
        return true;
    default:
        return false;
    }
}

bool IconPainter::drawViewIcon(int id)
{
    switch (id) {
    case cmd::kSwitchRightArea: // camera / image view
        camera(0.5, 0.5, 9, 7);
        pen(kInk);
        m_p.setBrush(QColor(190, 225, 190));
        m_p.drawRect(QRectF(6.5, 8.5, 9, 7));
        arrow(2.5, 9, 2.5, 15, kBlue);
        arrow(13.5, 7, 13.5, 1, kBlue);
        return true;
    case cmd::kZoomIn:
        magnifier(6.5, 6.5, 5, 1);
        return true;
    case cmd::kZoomOut:
        magnifier(6.5, 6.5, 5, -1);
        return true;
    case cmd::kActualSizeImage: // actual size
        magnifier(6.5, 6.5, 5, 0);
        pen(kBlue, 1.3);
        m_p.drawLine(QPointF(5, 4.5), QPointF(6.5, 3.5));
        m_p.drawLine(QPointF(6.5, 3.5), QPointF(6.5, 9.5));
        return true;
    case cmd::kFit: // fit camera picture
        pen(kInk);
        m_p.setBrush(Qt::NoBrush);
        m_p.drawRect(QRectF(1, 1, 14, 14));
        arrow(2, 2, 6.5, 6.5, kBlue);
        arrow(14, 14, 9.5, 9.5, kBlue);
        return true;
    case cmd::kActualSize: // camera picture at real size
        camera(1, 3, 14, 11);
        return true;
    case cmd::kPresenterMode: { // a projection screen on its stand, corners pointing out
        pen(kInk);
        m_p.setBrush(kPaper);
        m_p.drawRect(QRectF(1.5, 1.5, 13, 9));
        pen(kInk, 1.3);
        m_p.drawLine(QPointF(8, 10.5), QPointF(8, 13));
        m_p.drawLine(QPointF(5, 15), QPointF(8, 13));
        m_p.drawLine(QPointF(11, 15), QPointF(8, 13));
        arrow(6.5, 6, 3.5, 3.5, kBlue);
        arrow(9.5, 6, 12.5, 8.5, kBlue);
        return true;
    }
    case cmd::kPresenterFreeze: { // a picture with the two bars of a pause
        pen(kInk);
        m_p.setBrush(QColor(190, 225, 190));
        m_p.drawRect(QRectF(1.5, 2.5, 13, 11));
        m_p.setPen(Qt::NoPen);
        m_p.setBrush(kBlue);
        m_p.drawRect(QRectF(5, 5, 2.2, 6));
        m_p.drawRect(QRectF(8.8, 5, 2.2, 6));
        return true;
    }
    case cmd::kPresenterTurn: // a camera with a clockwise arrow around it
        camera(3.5, 5, 9, 7);
        arcArrow(160, -250, QRectF(1, 1, 14, 14), kBlue);
        return true;
    case cmd::kPresenterBeside: // the live picture beside a photo
        camera(0.5, 4, 7, 6);
        pen(kInk);
        m_p.setBrush(QColor(190, 225, 190));
        m_p.drawRect(QRectF(8.5, 3.5, 7, 9));
        pen(kGreen, 1.0);
        m_p.drawLine(QPointF(9.5, 11), QPointF(12, 8));
        m_p.drawLine(QPointF(12, 8), QPointF(14.5, 11));
        return true;
    case cmd::kPresenterPen: { // a pen writing a red line
        pen(kRed, 1.4);
        m_p.drawPolyline(QPolygonF({QPointF(1, 14), QPointF(3.5, 12), QPointF(5.5, 14.5)}));
        pen(kInk);
        m_p.setBrush(kBlue);
        m_p.drawPolygon(
            QPolygonF({QPointF(6, 12.5), QPointF(14, 4.5), QPointF(11.5, 2), QPointF(3.5, 10)}));
        m_p.setBrush(kPaper);
        m_p.drawPolygon(QPolygonF({QPointF(3.5, 10), QPointF(6, 12.5), QPointF(2.5, 13.5)}));
        return true;
    }
    case cmd::kPresenterHighlighter: { // a broad marker over a yellow band
        m_p.setPen(Qt::NoPen);
        m_p.setBrush(QColor(250, 230, 80));
        m_p.drawRect(QRectF(0.5, 11, 15, 4));
        pen(kInk);
        m_p.setBrush(kYellow);
        m_p.drawPolygon(
            QPolygonF({QPointF(5, 12), QPointF(14.5, 3.5), QPointF(11, 0.5), QPointF(2, 9)}));
        m_p.setBrush(kInk);
        m_p.drawPolygon(
            QPolygonF({QPointF(2, 9), QPointF(5, 12), QPointF(3.5, 13), QPointF(1, 10.5)}));
        return true;
    }
    case cmd::kPresenterColour: { // three drops of colour
        pen(kInk, 0.8);
        m_p.setBrush(kRed);
        m_p.drawEllipse(QRectF(1, 1.5, 6.5, 6.5));
        m_p.setBrush(kBlue);
        m_p.drawEllipse(QRectF(8.5, 1.5, 6.5, 6.5));
        m_p.setBrush(kGreen);
        m_p.drawEllipse(QRectF(4.75, 8, 6.5, 6.5));
        return true;
    }
    case cmd::kPresenterUndoStroke: // a red stroke with the arrow of undo
        pen(kRed, 1.6);
        m_p.drawPolyline(QPolygonF({QPointF(1.5, 14), QPointF(5, 10.5), QPointF(8.5, 13.5),
                                    QPointF(12, 10), QPointF(14.5, 12)}));
        arcArrow(0, 180, QRectF(3, 1.5, 10, 9), kBlue);
        return true;
    case cmd::kPresenterClearInk: // a red stroke crossed out
        pen(kRed, 1.6);
        m_p.drawPolyline(QPolygonF({QPointF(1.5, 9), QPointF(5, 4.5), QPointF(8.5, 9),
                                    QPointF(12, 4.5), QPointF(14.5, 7)}));
        cross(8, 10.5, 4);
        return true;
    case cmd::kPresenterSaveInk: // a disk with a red stroke on its label
        disk(kBlue);
        pen(kRed, 1.2);
        m_p.drawPolyline(
            QPolygonF({QPointF(5, 12.5), QPointF(7, 10.5), QPointF(9, 12.5), QPointF(11, 10.5)}));
        return true;
    case cmd::kPreviousImage:
        arrow(14, 8, 2, 8, kBlue);
        return true;
    case cmd::kNextImage:
        arrow(2, 8, 14, 8, kBlue);
        return true;
    case cmd::kFirstImage:
        arrow(15, 8, 4.5, 8, kBlue);
        pen(kBlue, 1.6);
        m_p.drawLine(QPointF(2, 3), QPointF(2, 13));
        return true;
    case cmd::kLastImage:
        arrow(1, 8, 11.5, 8, kBlue);
        pen(kBlue, 1.6);
        m_p.drawLine(QPointF(14, 3), QPointF(14, 13));
        return true;
    case cmd::kToggleLeftColumn: // thumbnail column
        pen(kInk);
        m_p.setBrush(kPaper);
        m_p.drawRect(QRectF(1, 2, 14, 12));
        m_p.setBrush(QColor(190, 210, 235));
        m_p.drawRect(QRectF(1, 2, 4.5, 12));
        arrow(12.5, 8, 7.5, 8, kBlue);
        return true;
    case cmd::kShowSearchBar:
        page(1, 1, 10, 13);
        lines(3, 5, 5, 4);
        magnifier(10, 9.5, 3, 0);
        return true;
    default:
        return false;
    }
}

bool IconPainter::drawCaptureIcon(int id)
{
    switch (id) {
    case cmd::kTakePhoto:
        camera(1, 3, 14, 11);
        return true;
    case cmd::kStartAutoCapture:
        clock(6.5, 7.5, 5.5);
        pen(kGreen);
        m_p.setBrush(kGreen);
        m_p.drawPolygon(QPolygonF({QPointF(10, 9), QPointF(15.5, 12.5), QPointF(10, 16)}));
        return true;
    case cmd::kStopAutoCapture:
        clock(6.5, 7.5, 5.5);
        pen(kRed);
        m_p.setBrush(kRed);
        m_p.drawRect(QRectF(10.5, 10.5, 5, 5));
        return true;
    case cmd::kCaptureSettings:
        gear(8, 8, 7);
        return true;
    case cmd::kDeviceProperties:
        camera(0.5, 1, 11, 9);
        gear(11.5, 11.5, 4.3);
        return true;
    case cmd::kVideoRecorder:
        pen(kInk);
        m_p.setBrush(QColor(120, 130, 142));
        m_p.drawRoundedRect(QRectF(1, 4, 10, 8), 1.2, 1.2);
        m_p.drawPolygon(QPolygonF({QPointF(11, 8), QPointF(15, 5), QPointF(15, 11)}));
        m_p.setPen(Qt::NoPen);
        m_p.setBrush(kRed);
        m_p.drawEllipse(QPointF(3.5, 6.5), 1, 1);
        return true;
    default:
        return false;
    }
}

bool IconPainter::drawTextIcon(int id)
{
    switch (id) {
    case cmd::kRecognizeChinese:
        page(1, 1, 9, 12);
        lines(2.5, 5, 5, 3);
        glyphChinese(8, 6, 8, kRed);
        return true;
    case cmd::kRecognizeWestern:
        page(1, 1, 9, 12);
        lines(2.5, 5, 5, 3);
        glyphA(8, 7, 8, kBlue);
        return true;
    case cmd::kRegionChinese:
        dashedRect(1, 1, 14, 14, kInk);
        glyphChinese(3.5, 3.5, 9, kRed);
        return true;
    case cmd::kRegionWestern:
        dashedRect(1, 1, 14, 14, kInk);
        glyphA(3.5, 3.5, 9, kBlue);
        return true;
    case cmd::kSaveText:
        page(1, 1, 10, 13);
        lines(3, 5, 5, 4);
        m_p.save();
        m_p.translate(8, 8);
        m_p.scale(0.5, 0.5);
        disk(kBlue);
        m_p.restore();
        return true;
    case cmd::kSaveTextAsWord: // save text as word-processor file
        page(1, 1, 13, 14);
        pen(kBlue, 1.3);
        m_p.drawPolyline(QPolygonF(
            {QPointF(3, 5), QPointF(5, 12), QPointF(7.5, 7), QPointF(10, 12), QPointF(12, 5)}));
        return true;
    default:
        return false;
    }
}

bool IconPainter::drawOtherIcon(int id)
{
    switch (id) {
    case cmd::kHelp: {
        pen(kInk);
        m_p.setBrush(kBlue);
        m_p.drawEllipse(QPointF(8, 8), 7, 7);
        pen(kPaper, 1.8);
        m_p.setBrush(Qt::NoBrush);
        m_p.drawArc(QRectF(5.3, 3.3, 5.4, 5), 200 * 16, -250 * 16);
        m_p.drawLine(QPointF(8, 8.4), QPointF(8, 10));
        m_p.drawPoint(QPointF(8, 12.5));
        return true;
    }
    case cmd::kAbout:
        pen(kInk);
        m_p.setBrush(kBlue);
        m_p.drawEllipse(QPointF(8, 8), 7, 7);
        pen(kPaper, 1.8);
        m_p.drawPoint(QPointF(8, 4.7));
        m_p.drawLine(QPointF(8, 7.3), QPointF(8, 12));
        return true;
    case cmd::kWebPage:
        pen(kBlue);
        m_p.setBrush(QColor(220, 238, 252));
        m_p.drawEllipse(QPointF(8, 8), 7, 7);
        m_p.setBrush(Qt::NoBrush);
        m_p.drawEllipse(QPointF(8, 8), 3, 7);
        m_p.drawLine(QPointF(1, 8), QPointF(15, 8));
        m_p.drawLine(QPointF(8, 1), QPointF(8, 15));
        return true;
    case cmd::kPaint:
        pen(kInk);
        m_p.setBrush(QColor(170, 120, 70));
        m_p.drawPolygon(QPolygonF(
            {QPointF(14.5, 0.5), QPointF(15.5, 1.5), QPointF(8.5, 9.5), QPointF(6.5, 7.5)}));
        m_p.setBrush(kRed);
        m_p.drawPolygon(QPolygonF({QPointF(6.5, 7.5), QPointF(8.5, 9.5), QPointF(6, 13.5),
                                   QPointF(1, 15), QPointF(2.5, 10)}));
        return true;
    case cmd::kDeleteThumbnails:
        pen(kInk);
        m_p.setBrush(QColor(200, 208, 216));
        m_p.drawPolygon(
            QPolygonF({QPointF(3, 4), QPointF(13, 4), QPointF(12, 15), QPointF(4, 15)}));
        m_p.drawLine(QPointF(1.5, 3.5), QPointF(14.5, 3.5));
        m_p.drawLine(QPointF(6, 3.5), QPointF(6.5, 1.5));
        m_p.drawLine(QPointF(6.5, 1.5), QPointF(9.5, 1.5));
        m_p.drawLine(QPointF(9.5, 1.5), QPointF(10, 3.5));
        m_p.drawLine(QPointF(6.5, 6.5), QPointF(6.8, 13));
        m_p.drawLine(QPointF(9.5, 6.5), QPointF(9.2, 13));
        return true;
    case cmd::kRebuildThumbnails:
        curvedArrow(true, kGreen);
        return true;
    case cmd::kClearThumbnails:
        lines(2, 3, 12, 5, 2.2);
        pen(kRed, 1.6);
        m_p.drawLine(QPointF(1, 15), QPointF(15, 1));
        return true;
    case cmd::kPrintFromPreview:
        printer();
        return true;
    case cmd::kPrintFit:
        page(2, 1, 12, 14);
        arrow(8, 8, 3.5, 3.5, kBlue);
        arrow(8, 8, 12.5, 12.5, kBlue);
        return true;
    case cmd::kPrintActual: // actual size
        page(2, 1, 12, 14);
        glyphA(5, 5, 6, kBlue);
        return true;
    case cmd::kPreviewLandscape:
        page(1, 3.5, 14, 9);
        return true;
    case cmd::kPreviewPortrait:
        page(3.5, 1, 9, 14);
        return true;
    default:
        return false;
    }
}
