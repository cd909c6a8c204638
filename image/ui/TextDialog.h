#pragma once
// The text tool's dialog (template 179): the text in its font and colours,
// font and colour buttons, alignment, an optional background box with its
// opacity and corner rounding, and smoothing. Works on a copy of the shared
// TextInfo, handed back by Info() after OK. The text starts empty and the box
// colour white each time. User-interface thread only.

#include "image/PackText.h"
#include "image/TextInfo.h"

#include <QDialog>

class QAbstractButton;
class QCheckBox;
class QLabel;
class QPlainTextEdit;
class QSlider;

class TextDialog : public QDialog
{
    Q_OBJECT
public:
    enum Control : int {
        Template = 179,
        EditText = 1023,
        FontButton = 1069,
        TextColourButton = 1070,
        BoxColourButton = 1071,
        AlignLeft = 1025,
        AlignCentre = 1021,
        AlignRight = 1076,
        Opaque = 1031,
        Opacity = 1072,
        OpacityLabel = 1073,
        Rounding = 1074,
        RoundingLabel = 1075,
        Smooth = 1077,
    };

    TextDialog(const TextInfo& info, PackText strings, QWidget* parent = nullptr);
    const TextInfo& Info() const { return m_info; }

    void accept() override;

private:
    QString text(int control, const char* fallback) const;
    void build();
    void chooseFont();
    void chooseColour(bool box);
    void refreshEdit();
    void refreshLabels();

    TextInfo m_info;
    PackText m_strings;
    QPlainTextEdit* m_edit = nullptr;
    QCheckBox* m_opaque = nullptr;
    QCheckBox* m_smooth = nullptr;
    QSlider* m_opacity = nullptr;
    QSlider* m_rounding = nullptr;
    QLabel* m_opacityLabel = nullptr;
    QLabel* m_roundingLabel = nullptr;
    QAbstractButton* m_boxColour = nullptr;
};
