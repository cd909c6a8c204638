// Draws the program's command icons as simple line pictures on a 16 x 16
// logical grid, so the same drawing serves the 28-pixel toolbar and the
// 16-pixel menu icons. Used only by the build-time art tool; single thread.
#pragma once

#include <QPainter>

class IconPainter
{
public:
    explicit IconPainter(QPainter& painter);

    // Draws the icon of a command id; false when the id has no icon.
    bool draw(int commandId);

private:
    bool drawFileIcon(int id);
    bool drawEditIcon(int id);
    bool drawImageIcon(int id);
    bool drawViewIcon(int id);
    bool drawCaptureIcon(int id);
    bool drawTextIcon(int id);
    bool drawOtherIcon(int id);

    void pen(const QColor& colour, double width = 1.1);
    void page(double x, double y, double w, double h);
    void lines(double x, double y, double w, int count, double step = 2.0);
    void folder();
    void disk(const QColor& body);
    void printer();
    void magnifier(double cx, double cy, double r, int sign);
    void camera(double x, double y, double w, double h);
    void clock(double cx, double cy, double r);
    void gear(double cx, double cy, double r);
    void curvedArrow(bool clockwise, const QColor& colour);
    void arcArrow(double startDeg, double spanDeg, const QRectF& box, const QColor& colour);
    void arrow(double x1, double y1, double x2, double y2, const QColor& colour);
    void cross(double cx, double cy, double r);
    void dashedRect(double x, double y, double w, double h, const QColor& colour);
    void glyphChinese(double x, double y, double s, const QColor& colour);
    void glyphA(double x, double y, double s, const QColor& colour);
    void glyphT(double x, double y, double s, const QColor& colour);
    void sun(bool bright, int sign);
    void halfCircle(int sign);
    void drop(const QColor& colour, int sign);
    void sign(double cx, double cy, int sign, const QColor& colour);

    QPainter& m_p;
};
