#pragma once
// Asks for the new size of the image, either by a scale (0.1 to 10) or by width
// and height in pixels, optionally keeping the aspect ratio. Typed values update
// the others as they are typed; OK refuses a scale out of range and a side under
// one pixel and stays open. User-interface thread only.

#include "image/PackText.h"

#include <QDialog>
#include <functional>

class QCheckBox;
class QLineEdit;
class QRadioButton;

class ResizeDialog : public QDialog
{
    Q_OBJECT
public:
    static constexpr int TemplateId = scriva::form::kResize;
    static constexpr int ByScaleId = scriva::ctl::kResizeByScale;
    static constexpr int BySizeId = scriva::ctl::kResizeBySize;
    static constexpr int ScaleId = scriva::ctl::kResizeScale;
    static constexpr int WidthId = scriva::ctl::kResizeWidth;
    static constexpr int HeightId = scriva::ctl::kResizeHeight;
    static constexpr int KeepRatioId = scriva::ctl::kResizeKeepRatio;
    static constexpr int ScaleLabelId = scriva::ctl::kFirstFieldLabel;
    static constexpr int WidthLabelId = ScaleLabelId + 1;
    static constexpr int HeightLabelId = ScaleLabelId + 2;
    static constexpr float MinScale = 0.1f;
    static constexpr float MaxScale = 10.0f;
    static constexpr int SideTooSmall = scriva::str::kSizeTooSmall;
    static constexpr int IntegerOutOfRange = scriva::str::kIntegerOutOfRange;
    static constexpr int NumberOutOfRange = scriva::str::kNumberOutOfRange;

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
