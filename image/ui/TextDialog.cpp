#include "TextDialog.h"

#include "config/CommandIds.h"
#include "image/CxImageDraw.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QColorDialog>
#include <QDialogButtonBox>
#include <QFontDialog>
#include <QGridLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <cmath>

namespace {

constexpr COLORREF kWhite = 0xFFFFFF;
constexpr int kDialogScale = 10000;

QColor toColour(COLORREF c)
{
    return QColor(CxGetR(c), CxGetG(c), CxGetB(c));
}

COLORREF fromColour(const QColor& c)
{
    return CxRGB(uint8_t(c.red()), uint8_t(c.green()), uint8_t(c.blue()));
}

CxLogFont toLogFont(const QFont& font)
{
    CxLogFont lf;
    lf.lfHeight = font.pixelSize() > 0 ? -font.pixelSize()
                                       : -int(std::lround(font.pointSizeF() * 96.0 / 72.0));
    lf.lfWeight = font.weight() == QFont::Normal ? 0 : int(font.weight());
    lf.lfItalic = font.italic() ? 1 : 0;
    lf.lfUnderline = font.underline() ? 1 : 0;
    lf.lfStrikeOut = font.strikeOut() ? 1 : 0;
    lf.lfFaceName = font.family().left(31);
    return lf;
}

} // namespace

TextDialog::TextDialog(const TextInfo& info, PackText strings, QWidget* parent)
    : QDialog(parent), m_info(info), m_strings(std::move(strings))
{
    setObjectName(QStringLiteral("id_%1").arg(Template));
    m_info.text.clear();
    m_info.bcolor = kWhite;
    build();
}

QString TextDialog::text(int control, const char* fallback) const
{
    const QString s = m_strings ? m_strings(Template * kDialogScale + control) : QString();
    return s.isEmpty() ? QString::fromUtf8(fallback) : s;
}

void TextDialog::build()
{
    setWindowTitle(text(0, "Text"));
    auto* grid = new QGridLayout(this);
    m_edit = new QPlainTextEdit(this);
    m_edit->setObjectName(QStringLiteral("id_%1").arg(EditText));
    // Names for screen readers where no label says what a control is.
    const auto name = [this](int id) { return m_strings ? m_strings(id) : QString(); };
    m_edit->setAccessibleName(name(scriva::str::kNameStampText));
    connect(m_edit, &QPlainTextEdit::textChanged, this, [this] {
        if (m_edit->toPlainText().size() > TextInfo::kMaxText)
            m_edit->setPlainText(m_edit->toPlainText().left(TextInfo::kMaxText));
    });
    grid->addWidget(m_edit, 0, 0, 1, 4);

    auto addButton = [this, grid](int id, const char* fallback, int column) {
        auto* b = new QPushButton(text(id, fallback), this);
        b->setObjectName(QStringLiteral("id_%1").arg(id));
        grid->addWidget(b, 1, column);
        return b;
    };
    connect(addButton(FontButton, "Font...", 0), &QPushButton::clicked, this,
            &TextDialog::chooseFont);
    connect(addButton(TextColourButton, "Text colour...", 1), &QPushButton::clicked, this,
            [this] { chooseColour(false); });
    m_boxColour = addButton(BoxColourButton, "Box colour...", 2);
    connect(m_boxColour, &QPushButton::clicked, this, [this] { chooseColour(true); });

    auto* align = new QButtonGroup(this);
    const std::pair<int, const char*> aligns[] = {
        {AlignLeft, "Left"}, {AlignCentre, "Centre"}, {AlignRight, "Right"}};
    for (int i = 0; i < 3; ++i) {
        auto* r = new QRadioButton(text(aligns[i].first, aligns[i].second), this);
        r->setObjectName(QStringLiteral("id_%1").arg(aligns[i].first));
        r->setChecked(int(m_info.align) == i);
        align->addButton(r, i);
        grid->addWidget(r, 2, i);
    }
    connect(align, &QButtonGroup::idClicked, this, [this](int id) { m_info.align = uint32_t(id); });

    m_opaque = new QCheckBox(text(Opaque, "Background box"), this);
    m_opaque->setObjectName(QStringLiteral("id_%1").arg(Opaque));
    m_opaque->setChecked(m_info.opaque != 0);
    grid->addWidget(m_opaque, 3, 0);
    m_opacity = new QSlider(Qt::Horizontal, this);
    m_opacity->setObjectName(QStringLiteral("id_%1").arg(Opacity));
    m_opacity->setAccessibleName(name(scriva::str::kNameBoxOpacity));
    m_opacity->setRange(0, 100);
    m_opacity->setTickInterval(5);
    m_opacity->setSingleStep(10);
    m_opacity->setPageStep(20);
    m_opacity->setTickPosition(QSlider::TicksBelow);
    m_opacity->setValue(int(std::lround(m_info.b_opacity * 100.0f)));
    m_opacityLabel = new QLabel(this);
    m_opacityLabel->setObjectName(QStringLiteral("id_%1").arg(OpacityLabel));
    grid->addWidget(m_opacity, 3, 1, 1, 2);
    grid->addWidget(m_opacityLabel, 3, 3);
    m_rounding = new QSlider(Qt::Horizontal, this);
    m_rounding->setObjectName(QStringLiteral("id_%1").arg(Rounding));
    m_rounding->setAccessibleName(name(scriva::str::kNameBoxRounding));
    m_rounding->setRange(0, 50);
    m_rounding->setTickInterval(5);
    m_rounding->setSingleStep(5);
    m_rounding->setPageStep(10);
    m_rounding->setTickPosition(QSlider::TicksBelow);
    m_rounding->setValue(m_info.b_round);
    m_roundingLabel = new QLabel(this);
    m_roundingLabel->setObjectName(QStringLiteral("id_%1").arg(RoundingLabel));
    grid->addWidget(m_rounding, 4, 1, 1, 2);
    grid->addWidget(m_roundingLabel, 4, 3);
    m_smooth = new QCheckBox(text(Smooth, "Smooth text"), this);
    m_smooth->setObjectName(QStringLiteral("id_%1").arg(Smooth));
    m_smooth->setChecked(m_info.smooth != 0);
    grid->addWidget(m_smooth, 5, 0);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("id_1"));
    buttons->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("id_2"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    grid->addWidget(buttons, 6, 0, 1, 4);

    auto refresh = [this] {
        m_info.b_opacity = float(m_opacity->value()) * 0.01f;
        m_info.b_round = uint8_t(m_rounding->value());
        refreshLabels();
        refreshEdit();
    };
    connect(m_opacity, &QSlider::valueChanged, this, refresh);
    connect(m_rounding, &QSlider::valueChanged, this, refresh);
    connect(m_opaque, &QCheckBox::toggled, this, [this] {
        m_info.opaque = m_opaque->isChecked() ? 1 : 0;
        refreshLabels();
        refreshEdit();
    });
    refreshLabels();
    refreshEdit();
}

void TextDialog::chooseFont()
{
    bool ok = false;
    const QFont font = QFontDialog::getFont(&ok, scriva::FontFromLogFont(m_info.lfont), this);
    if (!ok)
        return;
    m_info.lfont = toLogFont(font);
    refreshEdit();
}

void TextDialog::chooseColour(bool box)
{
    COLORREF& target = box ? m_info.bcolor : m_info.fcolor;
    const QColor colour = QColorDialog::getColor(toColour(target), this);
    if (!colour.isValid())
        return;
    target = fromColour(colour);
    refreshEdit();
}

void TextDialog::refreshEdit()
{
    m_edit->setFont(scriva::FontFromLogFont(m_info.lfont));
    QPalette palette = m_edit->palette();
    palette.setColor(QPalette::Text, toColour(m_info.fcolor));
    palette.setColor(QPalette::Base, m_info.opaque ? toColour(m_info.bcolor) : QColor(Qt::white));
    m_edit->setPalette(palette);
}

void TextDialog::refreshLabels()
{
    const bool box = m_opaque->isChecked();
    for (QWidget* w : {static_cast<QWidget*>(m_boxColour), static_cast<QWidget*>(m_opacity),
                       static_cast<QWidget*>(m_opacityLabel), static_cast<QWidget*>(m_rounding),
                       static_cast<QWidget*>(m_roundingLabel)})
        w->setEnabled(box);
    m_opacityLabel->setText(QString::asprintf("%.0f%%", double(m_opacity->value())));
    m_roundingLabel->setText(QString::asprintf("%d%%", m_rounding->value()));
}

void TextDialog::accept()
{
    m_info.text = m_edit->toPlainText().left(TextInfo::kMaxText);
    m_info.opaque = m_opaque->isChecked() ? 1 : 0;
    m_info.smooth = m_smooth->isChecked() ? 1 : 0;
    QDialog::accept();
}
