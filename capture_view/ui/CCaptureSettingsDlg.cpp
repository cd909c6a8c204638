#include "CCaptureSettingsDlg.h"

#include "capture_view/PhotoSettings.h"
#include "config/CConfigFile.h"
#include "image/CxImageDraw.h"
#include "image/IWindowServices.h"
#include "image/cximage/CxPageLook.h"

#include <QComboBox>
#include <QDesktopServices>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>

#include <algorithm>

namespace {

// Labels of the rows: our own control numbers in the dialog's string range.
enum Label {
    FileNameLabel = 1101,
    NamingLabel = 1102,
    IncrementLabel = 1103,
    PageLabel = 1104,
    FormatLabel = 1105,
    DirectionLabel = 1106,
    SavePathLabel = 1107,
    ThumbnailsLabel = 1108,
    IntervalLabel = 1109,
    LookLabel = 1110,
};
// The preview of the page look: the held frame reduced to this width.
constexpr int kPreviewWidth = 240;
constexpr int kOkControl = scriva::ctl::kOk;
constexpr int kCancelControl = 2;

template <typename W> W* Named(W* widget, int control)
{
    widget->setObjectName(QStringLiteral("id_%1").arg(control));
    return widget;
}

} // namespace

CCaptureSettingsDlg::CCaptureSettingsDlg(CConfigFile& store, const QString& languageCode,
                                         bool hasPreset, IWindowServices& window,
                                         HeldFrame heldFrame, QWidget* parent)
    : QDialog(parent), m_store(store), m_window(window), m_heldFrame(std::move(heldFrame))
{
    setObjectName(QStringLiteral("id_%1").arg(TemplateId));
    setWindowTitle(Text(scriva::str::DialogText(TemplateId)));
    m_model.Load(store, languageCode, hasPreset);
    m_savePath = m_model.Values().savePath;
    Build();
    Fill();
}

QString CCaptureSettingsDlg::Text(int id) const
{
    return m_window.Text(id);
}

QString CCaptureSettingsDlg::ControlText(int control) const
{
    return Text(scriva::str::DialogText(TemplateId, control));
}

void CCaptureSettingsDlg::Build()
{
    auto* form = new QFormLayout;
    m_fileName = Named(new QLineEdit, FileName);
    form->addRow(ControlText(FileNameLabel), m_fileName);

    m_byDate = Named(new QRadioButton(ControlText(ByDate)), ByDate);
    m_byCounter = Named(new QRadioButton(ControlText(ByCounter)), ByCounter);
    auto* naming = new QHBoxLayout;
    naming->addWidget(m_byDate);
    naming->addWidget(m_byCounter);
    naming->addStretch();
    form->addRow(ControlText(NamingLabel), naming);

    // The counter step with an up-down pair that steps within the range and
    // never rewrites what was typed outside it.
    m_increment = Named(new QLineEdit, Increment);
    auto* up = new QToolButton;
    up->setArrowType(Qt::UpArrow);
    auto* down = new QToolButton;
    down->setArrowType(Qt::DownArrow);
    // What screen readers say for fields that share their row's label with
    // buttons, and for the arrows.
    m_increment->setAccessibleName(ControlText(IncrementLabel));
    up->setAccessibleName(Text(scriva::str::kNameIncrease));
    down->setAccessibleName(Text(scriva::str::kNameDecrease));
    auto* spin = Named(new QWidget, IncrementSpin);
    auto* spinLayout = new QHBoxLayout(spin);
    spinLayout->setContentsMargins(0, 0, 0, 0);
    spinLayout->setSpacing(0);
    spinLayout->addWidget(up);
    spinLayout->addWidget(down);
    connect(up, &QToolButton::clicked, this, [this] { StepIncrement(1); });
    connect(down, &QToolButton::clicked, this, [this] { StepIncrement(-1); });
    auto* step = new QHBoxLayout;
    step->addWidget(m_increment);
    step->addWidget(spin);
    form->addRow(ControlText(IncrementLabel), step);

    m_pages = Named(new QComboBox, PageBox);
    form->addRow(ControlText(PageLabel), m_pages);
    m_formats = Named(new QComboBox, FormatBox);
    form->addRow(ControlText(FormatLabel), m_formats);
    m_directions = Named(new QComboBox, DirectionBox);
    form->addRow(ControlText(DirectionLabel), m_directions);

    m_savePathEdit = Named(new QLineEdit, SavePath);
    m_savePathEdit->setAccessibleName(ControlText(SavePathLabel));
    auto* open = Named(new QPushButton(ControlText(OpenFolder)), OpenFolder);
    auto* choose = Named(new QPushButton(ControlText(ChooseFolder)), ChooseFolder);
    auto* folder = new QHBoxLayout;
    folder->addWidget(m_savePathEdit, 1);
    folder->addWidget(choose);
    folder->addWidget(open);
    form->addRow(ControlText(SavePathLabel), folder);
    connect(open, &QPushButton::clicked, this, [this] {
        // The folder as loaded or chosen, not what has been typed since.
        QDesktopServices::openUrl(QUrl::fromLocalFile(m_savePath + u'/'));
    });
    connect(choose, &QPushButton::clicked, this, &CCaptureSettingsDlg::ChooseSaveFolder);

    m_thumbnails = Named(new QLineEdit, Thumbnails);
    form->addRow(ControlText(ThumbnailsLabel), m_thumbnails);
    m_autoMode = Named(new QComboBox, AutoMode);
    form->addRow(ControlText(scriva::ctl::kAutoCaptureModeLabel), m_autoMode);
    m_interval = Named(new QLineEdit, Interval);
    form->addRow(ControlText(IntervalLabel), m_interval);
    m_settle = Named(new QLineEdit, Settle);
    form->addRow(ControlText(scriva::ctl::kPageSettleLabel), m_settle);
    m_sensitivity = Named(new QSlider(Qt::Horizontal), Sensitivity);
    m_sensitivity->setAccessibleName(ControlText(scriva::ctl::kPageSensitivityLabel));
    m_sensitivity->setRange(PhotoSettingsReader::kMinSensitivity,
                            PhotoSettingsReader::kMaxSensitivity);
    m_sensitivity->setPageStep(1);
    m_sensitivity->setTickPosition(QSlider::TicksBelow);
    m_sensitivityValue = Named(new QLabel, SensitivityValue);
    m_sensitivityValue->setMinimumWidth(
        m_sensitivityValue->fontMetrics().horizontalAdvance(QStringLiteral("00")));
    connect(m_sensitivity, &QSlider::valueChanged, m_sensitivityValue,
            [this](int value) { m_sensitivityValue->setNum(value); });
    auto* sensitivity = new QHBoxLayout;
    sensitivity->addWidget(m_sensitivity, 1);
    sensitivity->addWidget(m_sensitivityValue);
    form->addRow(ControlText(scriva::ctl::kPageSensitivityLabel), sensitivity);
    m_looks = Named(new QComboBox, LookBox);
    form->addRow(ControlText(LookLabel), m_looks);
    m_lookPreview = Named(new QLabel, LookPreview);
    m_lookPreview->setAlignment(Qt::AlignCenter);
    form->addRow(QString(), m_lookPreview);
    m_lookNote = Named(new QLabel(ControlText(LookNote)), LookNote);
    m_lookNote->setWordWrap(true);
    form->addRow(QString(), m_lookNote);

    auto* buttons = new QDialogButtonBox;
    auto* ok = Named(buttons->addButton(ControlText(kOkControl), QDialogButtonBox::AcceptRole),
                     kOkControl);
    Named(buttons->addButton(ControlText(kCancelControl), QDialogButtonBox::RejectRole),
          kCancelControl);
    ok->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &CCaptureSettingsDlg::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CCaptureSettingsDlg::reject);

    connect(m_byDate, &QRadioButton::toggled, this, [this](bool on) {
        m_increment->setEnabled(!on); // the counter step means nothing for date names
    });
    auto* top = new QVBoxLayout(this);
    top->addLayout(form);
    top->addWidget(buttons);
}

void CCaptureSettingsDlg::Fill()
{
    const CaptureSettingsValues& v = m_model.Values();
    m_fileName->setText(v.fileName);
    for (int i = 0; i < m_model.PageItems().size(); ++i)
        m_pages->addItem(m_model.PageItems()[i], m_model.PageItemIndexes()[i]);
    m_pages->setCurrentIndex(m_pages->findData(v.pageIndex));
    m_directions->addItems(m_model.DirectionItems());
    m_directions->setCurrentIndex(v.direction);
    QStringList formats = CaptureSettingsModel::Formats();
    // A stored format outside the list stays choosable, so OK does not lose it.
    if (!v.pictureFormat.isEmpty() && !formats.contains(v.pictureFormat))
        formats << v.pictureFormat;
    m_formats->addItems(formats);
    m_formats->setCurrentIndex(formats.indexOf(v.pictureFormat));
    m_savePathEdit->setText(m_savePath);
    m_increment->setText(v.increment);
    m_thumbnails->setText(v.thumbnailNum);
    m_interval->setText(v.interval);
    for (int i = 0; i < scriva::str::kAutoModeCount; ++i)
        m_autoMode->addItem(Text(scriva::str::kAutoModeNames + i), i);
    m_autoMode->setCurrentIndex(m_autoMode->findData(v.autoMode));
    m_settle->setText(v.settle);
    m_sensitivity->setValue(v.sensitivity);
    m_sensitivityValue->setNum(m_sensitivity->value());
    m_byCounter->setChecked(v.byCounter);
    m_byDate->setChecked(!v.byCounter);
    m_increment->setEnabled(v.byCounter);
    for (int i = 0; i < scriva::str::kLookNameCount; ++i)
        m_looks->addItem(Text(scriva::str::kLookNames + i), i);
    m_looks->setCurrentIndex(m_looks->findData(v.look));
    // The held frame, reduced once; each look is shown on it as it is chosen.
    CxImage frame;
    if (m_heldFrame && m_heldFrame(frame) && frame.IsValid() && frame.GetWidth() > 0) {
        const int w = std::min(kPreviewWidth, int(frame.GetWidth()));
        const int h = std::max(1, int(int64_t(frame.GetHeight()) * w / int(frame.GetWidth())));
        if (w < int(frame.GetWidth()))
            frame.QIShrink(w, h);
        m_previewFrame.Transfer(frame);
    }
    connect(m_looks, &QComboBox::currentIndexChanged, this, [this] {
        ShowLookPreview();
        ShowLookNote();
    });
    connect(m_formats, &QComboBox::currentIndexChanged, this, [this] { ShowLookNote(); });
    ShowLookPreview();
    ShowLookNote();
}

void CCaptureSettingsDlg::ShowLookNote()
{
    // JPEG has no 1-bit pictures: such a page is written in grey, under the
    // chosen format and name all the same. The note says so and names the way
    // to a small 1-bit file.
    const bool blackWhite = m_looks->currentData().toInt() == int(cxlook::Look::BlackWhite);
    const uint32_t format =
        CxImage::FormatFromExtension(m_formats->currentText().toLatin1().constData());
    m_lookNote->setVisible(blackWhite && format == CXIMAGE_FORMAT_JPG);
}

void CCaptureSettingsDlg::ShowLookPreview()
{
    m_lookPreview->setVisible(m_previewFrame.IsValid());
    if (!m_previewFrame.IsValid())
        return;
    CxImage shown(m_previewFrame);
    cxlook::Look look = cxlook::Look::Original;
    if (cxlook::LookFromIndex(m_looks->currentData().toInt(), look))
        cxlook::ApplyLook(shown, look);
    m_lookPreview->setPixmap(QPixmap::fromImage(scriva::CxImageToQImage(shown)));
}

CaptureSettingsValues CCaptureSettingsDlg::Collect() const
{
    CaptureSettingsValues v;
    v.fileName = m_fileName->text();
    v.pageIndex = m_pages->currentIndex() >= 0 ? m_pages->currentData().toInt() : -1;
    v.pictureFormat = m_formats->currentText();
    v.direction = m_directions->currentIndex();
    v.savePath = m_savePathEdit->text();
    v.increment = m_increment->text();
    v.thumbnailNum = m_thumbnails->text();
    v.interval = m_interval->text();
    v.byCounter = m_byCounter->isChecked();
    v.look = m_looks->currentIndex() >= 0 ? m_looks->currentData().toInt() : 0;
    v.autoMode = m_autoMode->currentIndex() >= 0 ? m_autoMode->currentData().toInt() : -1;
    v.settle = m_settle->text();
    v.sensitivity = m_sensitivity->value();
    return v;
}

QWidget* CCaptureSettingsDlg::Edit(int control) const
{
    return findChild<QWidget*>(QStringLiteral("id_%1").arg(control));
}

void CCaptureSettingsDlg::StepIncrement(int delta)
{
    bool ok = false;
    const int value = m_increment->text().trimmed().toInt(&ok);
    if (!ok)
        return;
    const int next = value + delta;
    if (next >= CaptureSettingsModel::kMinIncrement && next <= CaptureSettingsModel::kMaxIncrement)
        m_increment->setText(QString::number(next));
}

void CCaptureSettingsDlg::ChooseSaveFolder()
{
    const QString title = Text(scriva::str::kBrowseTitle);
    const QString chosen = m_window.ChooseFolder(this, title, m_savePath);
    if (chosen.isEmpty())
        return;
    m_savePath = chosen;
    m_savePathEdit->setText(chosen);
}

void CCaptureSettingsDlg::accept()
{
    const CaptureSettingsValues values = Collect();
    const CaptureSettingsModel::Problem problem = CaptureSettingsModel::Check(values);
    if (!problem.IsNone()) {
        QString text = Text(problem.stringId);
        if (problem.stringId == scriva::str::kIntegerOutOfRange ||
            problem.stringId == scriva::str::kNumberOutOfRange)
            text = text.arg(problem.low).arg(problem.high);
        m_window.Tell(this, text);
        if (QWidget* edit = Edit(problem.field)) {
            edit->setFocus();
            if (auto* line = qobject_cast<QLineEdit*>(edit))
                line->selectAll();
        }
        return;
    }
    m_model.Store(m_store, values);
    m_thumbnailsChanged = values.thumbnailNum.trimmed().toInt() != m_model.ThumbnailsAtOpen();
    QDialog::accept();
}
