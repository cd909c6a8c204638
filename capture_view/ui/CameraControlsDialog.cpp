#include "CameraControlsDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QPointer>
#include <QPushButton>
#include <QScrollArea>
#include <QSlider>
#include <QSpinBox>
#include <QVBoxLayout>
#include <algorithm>
#include <limits>
#include <linux/videodev2.h>
#include <unistd.h>

namespace {

int Clamp(int64_t v)
{
    return int(
        std::clamp<int64_t>(v, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

} // namespace

CameraControlsDialog::CameraControlsDialog(int fd, const QList<V4l2::Control>& controls,
                                           QWidget* parent)
    : QDialog(parent), m_fd(fd)
{
    setObjectName(QStringLiteral("CameraControlsDialog"));
    auto* form = new QFormLayout;
    for (const V4l2::Control& c : controls) {
        if (QWidget* editor = EditorFor(c)) {
            editor->setObjectName(QStringLiteral("ctrl_%1").arg(c.id));
            editor->setEnabled(!(c.flags & (V4L2_CTRL_FLAG_READ_ONLY | V4L2_CTRL_FLAG_INACTIVE)));
            form->addRow(c.name, editor);
        }
    }
    auto* inner = new QWidget;
    inner->setLayout(form);
    auto* scroll = new QScrollArea;
    scroll->setWidgetResizable(true);
    scroll->setWidget(inner);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::accept);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(scroll);
    layout->addWidget(buttons);
    resize(480, 420);
}

CameraControlsDialog::~CameraControlsDialog()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

QWidget* CameraControlsDialog::EditorFor(const V4l2::Control& c)
{
    const quint32 id = c.id;
    switch (c.type) {
    case V4L2_CTRL_TYPE_INTEGER:
        return IntegerEditor(c);
    case V4L2_CTRL_TYPE_BOOLEAN: {
        auto* box = new QCheckBox;
        box->setChecked(c.value != 0);
        connect(box, &QCheckBox::toggled, this, [this, id](bool on) { Apply(id, on ? 1 : 0); });
        return box;
    }
    case V4L2_CTRL_TYPE_MENU:
    case V4L2_CTRL_TYPE_INTEGER_MENU: {
        auto* combo = new QComboBox;
        for (const auto& [index, label] : c.menu)
            combo->addItem(label, index);
        combo->setCurrentIndex(combo->findData(c.value));
        connect(combo, &QComboBox::activated, this,
                [this, id, combo](int i) { Apply(id, combo->itemData(i).toInt()); });
        return combo;
    }
    case V4L2_CTRL_TYPE_BUTTON: {
        auto* button = new QPushButton(c.name);
        connect(button, &QPushButton::clicked, this, [this, id] { Apply(id, 1); });
        return button;
    }
    default:
        return nullptr; // strings, arrays and compound controls are not offered
    }
}

QWidget* CameraControlsDialog::IntegerEditor(const V4l2::Control& c)
{
    const quint32 id = c.id;
    auto* box = new QWidget;
    auto* slider = new QSlider(Qt::Horizontal);
    auto* spin = new QSpinBox;
    slider->setAccessibleName(c.name);
    spin->setAccessibleName(c.name);
    slider->setRange(Clamp(c.minimum), Clamp(c.maximum));
    slider->setSingleStep(std::max(1, Clamp(c.step)));
    spin->setRange(Clamp(c.minimum), Clamp(c.maximum));
    spin->setSingleStep(std::max(1, Clamp(c.step)));
    slider->setValue(c.value);
    spin->setValue(c.value);
    connect(slider, &QSlider::valueChanged, spin, &QSpinBox::setValue);
    connect(spin, qOverload<int>(&QSpinBox::valueChanged), slider, &QSlider::setValue);
    connect(spin, qOverload<int>(&QSpinBox::valueChanged), this,
            [this, id](int v) { Apply(id, v); });
    auto* row = new QHBoxLayout(box);
    row->setContentsMargins(0, 0, 0, 0);
    row->addWidget(slider, 1);
    row->addWidget(spin);
    return box;
}

void CameraControlsDialog::Apply(quint32 id, int value)
{
    const bool ok = m_fd >= 0 && V4l2::SetControl(m_fd, id, value);
    emit controlApplied(id, value, ok);
}

bool CameraControlsDialog::ShowFor(const QString& devicePath, QWidget* parent)
{
    if (devicePath.isEmpty())
        return false;
    const int fd = V4l2::OpenNode(devicePath);
    if (fd < 0)
        return false;
    const QList<V4l2::Control> controls = V4l2::QueryControls(fd);
    if (controls.isEmpty()) {
        ::close(fd);
        return false;
    }
    RunModal(fd, controls, parent);
    return true;
}

void CameraControlsDialog::RunModal(int fd, const QList<V4l2::Control>& controls, QWidget* parent)
{
    // On the heap: a parent destroyed while the dialog's loop runs (the view
    // replaced after a camera failure or a button press) takes it along.
    QPointer<CameraControlsDialog> dialog = new CameraControlsDialog(fd, controls, parent);
    if (parent)
        dialog->move(parent->mapToGlobal(QPoint(kOffsetFromParent, kOffsetFromParent)));
    dialog->exec();
    delete dialog.data();
}
