#include "ResizeDialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>

#include <climits>
#include <cmath>

namespace {

constexpr int kMaxSide = INT_MAX;

QString idName(int id)
{
    return QStringLiteral("id_%1").arg(id);
}

// A scale still being typed ("1.", "1.0", "0.50") does not change the size yet.
bool scaleIsComplete(const QString& text)
{
    if (text.isEmpty() || text.endsWith(u'.'))
        return false;
    return !(text.contains(u'.') && text.endsWith(u'0'));
}

} // namespace

ResizeDialog::ResizeDialog(int sourceWidth, int sourceHeight, const PackText& text, QWidget* parent)
    : QDialog(parent), m_text(text), m_sourceWidth(sourceWidth), m_sourceHeight(sourceHeight),
      m_aspect(sourceHeight > 0 ? float(sourceWidth) / float(sourceHeight) : 1.0f),
      m_newWidth(sourceWidth), m_newHeight(sourceHeight)
{
    setWindowTitle(ControlText(text, TemplateId, 0));
    buildControls();
    layOut();
    connectControls();
    m_byScale->setChecked(true);
    m_scaleEdit->setText(QStringLiteral("1.0"));
    onScaleEdited(QStringLiteral("1"));
    setMode(true);
    report = [this](const QString& message) { QMessageBox::warning(this, windowTitle(), message); };
}

void ResizeDialog::buildControls()
{
    m_byScale = new QRadioButton(ControlText(m_text, TemplateId, ByScaleId), this);
    m_bySize = new QRadioButton(ControlText(m_text, TemplateId, BySizeId), this);
    m_scaleEdit = new QLineEdit(this);
    m_widthEdit = new QLineEdit(this);
    m_heightEdit = new QLineEdit(this);
    m_keepRatio = new QCheckBox(ControlText(m_text, TemplateId, KeepRatioId), this);
    m_byScale->setObjectName(idName(ByScaleId));
    m_bySize->setObjectName(idName(BySizeId));
    m_scaleEdit->setObjectName(idName(ScaleId));
    m_widthEdit->setObjectName(idName(WidthId));
    m_heightEdit->setObjectName(idName(HeightId));
    m_keepRatio->setObjectName(idName(KeepRatioId));
}

void ResizeDialog::layOut()
{
    auto* buttons = new QDialogButtonBox(this);
    QPushButton* ok = buttons->addButton(QDialogButtonBox::Ok);
    QPushButton* cancel = buttons->addButton(QDialogButtonBox::Cancel);
    ok->setObjectName(idName(scriva::ctl::kOk));
    cancel->setObjectName(idName(scriva::ctl::kCancel));
    for (auto [button, id] :
         {std::pair{ok, scriva::ctl::kOk}, std::pair{cancel, scriva::ctl::kCancel}})
        if (!ControlText(m_text, TemplateId, id).isEmpty())
            button->setText(ControlText(m_text, TemplateId, id));
    ok->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &ResizeDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &ResizeDialog::reject);
    auto* form = new QFormLayout(this);
    form->addRow(m_byScale);
    form->addRow(ControlText(m_text, TemplateId, ScaleLabelId), m_scaleEdit);
    form->addRow(m_bySize);
    form->addRow(ControlText(m_text, TemplateId, WidthLabelId), m_widthEdit);
    form->addRow(ControlText(m_text, TemplateId, HeightLabelId), m_heightEdit);
    form->addRow(m_keepRatio);
    form->addRow(buttons);
}

void ResizeDialog::connectControls()
{
    // Only what the user types or clicks reacts: the values shown by the
    // dialog itself do not echo back.
    connect(m_scaleEdit, &QLineEdit::textEdited, this, &ResizeDialog::onScaleEdited);
    connect(m_widthEdit, &QLineEdit::textEdited, this, &ResizeDialog::onWidthEdited);
    connect(m_heightEdit, &QLineEdit::textEdited, this, &ResizeDialog::onHeightEdited);
    connect(m_keepRatio, &QCheckBox::clicked, this, &ResizeDialog::onWidthEdited);
    connect(m_byScale, &QRadioButton::clicked, this, [this] { setMode(true); });
    connect(m_bySize, &QRadioButton::clicked, this, [this] { setMode(false); });
}

void ResizeDialog::showSize()
{
    m_widthEdit->setText(QString::number(m_newWidth));
    m_heightEdit->setText(QString::number(m_newHeight));
}

void ResizeDialog::setMode(bool byScale)
{
    m_scaleEdit->setEnabled(byScale);
    m_widthEdit->setEnabled(!byScale);
    m_heightEdit->setEnabled(!byScale);
    m_keepRatio->setEnabled(!byScale);
}

void ResizeDialog::onScaleEdited(const QString& text)
{
    if (scaleIsComplete(text)) {
        bool ok = false;
        const float scale = text.toFloat(&ok);
        if (ok && std::isfinite(scale)) {
            m_scale = scale;
            const double w = std::fabs(double(scale)) * m_sourceWidth;
            const double h = std::fabs(double(scale)) * m_sourceHeight;
            m_newWidth = int(std::min(w, double(kMaxSide)));
            m_newHeight = int(std::min(h, double(kMaxSide)));
            showSize();
        }
    }
    m_byScale->setChecked(true);
}

void ResizeDialog::onWidthEdited()
{
    bool ok = false;
    const int width = m_widthEdit->text().toInt(&ok);
    if (ok)
        m_newWidth = width;
    if (ok && m_keepRatio->isChecked() && m_aspect > 0) {
        m_newHeight = int(std::min(std::floor(double(width) / m_aspect + 0.5), double(kMaxSide)));
        m_heightEdit->setText(QString::number(m_newHeight));
    }
    m_bySize->setChecked(true);
}

void ResizeDialog::onHeightEdited()
{
    bool ok = false;
    const int height = m_heightEdit->text().toInt(&ok);
    if (ok)
        m_newHeight = height;
    if (ok && m_keepRatio->isChecked()) {
        m_newWidth = int(std::min(std::floor(double(height) * m_aspect + 0.5), double(kMaxSide)));
        m_widthEdit->setText(QString::number(m_newWidth));
    }
    m_bySize->setChecked(true);
}

bool ResizeDialog::readSide(QLineEdit* edit, int& value)
{
    bool ok = false;
    const int side = edit->text().trimmed().toInt(&ok);
    if (!ok) {
        report(PackString(m_text, IntegerOutOfRange).arg(1).arg(kMaxSide));
        edit->setFocus();
        return false;
    }
    value = side;
    return true;
}

void ResizeDialog::accept()
{
    bool ok = false;
    const float scale = m_scaleEdit->text().trimmed().toFloat(&ok);
    if (!ok || !(scale >= MinScale && scale <= MaxScale)) {
        report(PackString(m_text, NumberOutOfRange).arg(double(MinScale)).arg(double(MaxScale)));
        m_scaleEdit->setFocus();
        return;
    }
    if (!readSide(m_widthEdit, m_newWidth) || !readSide(m_heightEdit, m_newHeight))
        return;
    if (m_newWidth < 1 || m_newHeight < 1) {
        report(PackString(m_text, SideTooSmall));
        return;
    }
    QDialog::accept();
}
