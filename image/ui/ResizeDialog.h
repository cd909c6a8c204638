#pragma once
// Asks for the new size of the image, either by a scale (0.1 to 10) or by width
// and height in pixels, optionally keeping the aspect ratio. Typed values update
// the others as they are typed; OK refuses a scale out of range and a side under
// one pixel and stays open. User-interface thread only.

#include "PackText.h"

#include <QDialog>
#include <functional>

class QCheckBox;
class QLineEdit;
class QRadioButton;

class ResizeDialog : public QDialog
{
    Q_OBJECT
public:
    static constexpr int TemplateId = 135;
    static constexpr int ByScaleId = 1052;
    static constexpr int BySizeId = 1055;
    static constexpr int ScaleId = 1054;
    static constexpr int WidthId = 1058;
    static constexpr int HeightId = 1060;
    static constexpr int KeepRatioId = 1061;
    static constexpr int ScaleLabelId = 1101;
    static constexpr int WidthLabelId = 1102;
    static constexpr int HeightLabelId = 1103;
    static constexpr float MinScale = 0.1f;
    static constexpr float MaxScale = 10.0f;
    static constexpr int SideTooSmall = 61800;      // width and height must be above zero
    static constexpr int IntegerOutOfRange = 62001; // "a whole number from %1 to %2"
    static constexpr int NumberOutOfRange = 62002;  // "a number from %1 to %2"

    ResizeDialog(int sourceWidth, int sourceHeight, const PackText& text,
                 QWidget* parent = nullptr);

    float Scale() const { return m_scale; }
    int NewWidth() const { return m_newWidth; }
    int NewHeight() const { return m_newHeight; }

    // Reports a refused value; a message box by default.
    std::function<void(const QString&)> report;

public slots:
    void accept() override;

private:
    void buildControls();
    void layOut();
    void connectControls();
    void showSize();
    void setMode(bool byScale);
    void onScaleEdited(const QString& text);
    void onWidthEdited();
    void onHeightEdited();
    bool readSide(QLineEdit* edit, int& value);

    PackText m_text;
    int m_sourceWidth;
    int m_sourceHeight;
    float m_aspect;
    float m_scale = 1.0f;
    int m_newWidth;
    int m_newHeight;
    QRadioButton* m_byScale = nullptr;
    QRadioButton* m_bySize = nullptr;
    QLineEdit* m_scaleEdit = nullptr;
    QLineEdit* m_widthEdit = nullptr;
    QLineEdit* m_heightEdit = nullptr;
    QCheckBox* m_keepRatio = nullptr;
};
