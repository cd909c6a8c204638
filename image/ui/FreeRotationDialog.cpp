#include "FreeRotationDialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>

#include <cmath>

namespace {

QPushButton* addButton(QDialogButtonBox* box, QDialogButtonBox::StandardButton which, int id,
                       const QString& caption)
{
    QPushButton* button = box->addButton(which);
    button->setObjectName(QStringLiteral("id_%1").arg(id));
    if (!caption.isEmpty())
        button->setText(caption);
    return button;
}

} // namespace

FreeRotationDialog::FreeRotationDialog(const PackText& text, QWidget* parent)
    : QDialog(parent), m_text(text)
{
    setWindowTitle(ControlText(text, TemplateId, 0));
    m_angleEdit = new QLineEdit(this);
    m_angleEdit->setObjectName(QStringLiteral("id_%1").arg(AngleId));
    m_keepSizeBox = new QCheckBox(ControlText(text, TemplateId, KeepSizeId), this);
    m_keepSizeBox->setObjectName(QStringLiteral("id_%1").arg(KeepSizeId));
    m_keepSizeBox->setChecked(true);
    auto* buttons = new QDialogButtonBox(this);
    addButton(buttons, QDialogButtonBox::Ok, scriva::ctl::kOk,
              ControlText(text, TemplateId, scriva::ctl::kOk))
        ->setDefault(true);
    addButton(buttons, QDialogButtonBox::Cancel, scriva::ctl::kCancel,
              ControlText(text, TemplateId, scriva::ctl::kCancel));
    connect(buttons, &QDialogButtonBox::accepted, this, &FreeRotationDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &FreeRotationDialog::reject);
    auto* form = new QFormLayout(this);
    form->addRow(ControlText(text, TemplateId, AngleLabelId), m_angleEdit);
    form->addRow(m_keepSizeBox);
    form->addRow(buttons);
    SetAngle(DefaultAngle);
    report = [this](const QString& message) { QMessageBox::warning(this, windowTitle(), message); };
}

void FreeRotationDialog::SetAngle(float angle)
{
    m_angle = angle;
    m_angleEdit->setText(QString::number(double(angle)));
}

void FreeRotationDialog::accept()
{
    bool ok = false;
    const float angle = m_angleEdit->text().trimmed().toFloat(&ok);
    if (!ok || !std::isfinite(angle) || std::fabs(angle) > MaxAngle) {
        report(PackString(m_text, NumberOutOfRange)
                   .arg(QString::number(-double(MaxAngle)), QString::number(double(MaxAngle))));
        m_angleEdit->setFocus();
        m_angleEdit->selectAll();
        return;
    }
    m_angle = angle;
    m_keepSize = m_keepSizeBox->isChecked();
    QDialog::accept();
}
