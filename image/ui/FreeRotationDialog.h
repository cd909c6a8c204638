#pragma once
// Asks for the angle of a free rotation (degrees, clockwise; 30 when it opens)
// and whether the image keeps its size (checked when it opens). OK accepts only a
// number from -360 to 360. User-interface thread only.

#include "image/PackText.h"

#include <QDialog>

class QCheckBox;
class QLineEdit;

class FreeRotationDialog : public QDialog
{
    Q_OBJECT
public:
    static constexpr int TemplateId = scriva::form::kFreeRotation;
    static constexpr int AngleId = scriva::ctl::kRotationAngle;
    static constexpr int KeepSizeId = scriva::ctl::kRotationKeepSize;
    static constexpr int AngleLabelId = scriva::ctl::kFirstFieldLabel;
    static constexpr float DefaultAngle = 30.0f;
    static constexpr float MaxAngle = 360.0f;
    static constexpr int NumberOutOfRange = scriva::str::kNumberOutOfRange;

    FreeRotationDialog(const PackText& text, QWidget* parent = nullptr);

    float Angle() const { return m_angle; }
    bool KeepSize() const { return m_keepSize; }
    void SetAngle(float angle);

    // Reports a refused value; a message box by default.
    std::function<void(const QString&)> report;

public slots:
    void accept() override;

private:
    PackText m_text;
    QLineEdit* m_angleEdit = nullptr;
    QCheckBox* m_keepSizeBox = nullptr;
    float m_angle = DefaultAngle;
    bool m_keepSize = true;
};
