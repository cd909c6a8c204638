#include "app/frame/CLeftFormView.h"

#include "app/widgets/CSkinButton.h"
#include "config/CommandIds.h"

#include <QDir>
#include <QPainter>

namespace {
constexpr int kMargin = 10;
constexpr int kSpacing = 8;
const QColor kNormal(151, 244, 219);
const QColor kLit(211, 247, 254);
} // namespace

CLeftFormView::CLeftFormView(FrameServices& services, QWidget* parent)
    : QWidget(parent), m_services(services)
{
    setObjectName(QStringLiteral("CLeftFormView"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    const QColor face = palette().color(QPalette::Button);
    for (size_t i = 0; i < ButtonIds.size(); ++i) {
        const int id = ButtonIds[i];
        auto* button = new CSkinButton(caption(id), this, 0, kNormal, kLit, kLit, face);
        button->setObjectName(QStringLiteral("id_%1").arg(id));
        const QString tip = m_services.text(id).section(QLatin1Char('\n'), 1);
        if (!tip.isEmpty())
            button->setToolTip(tip);
        button->LoadBitmaps(m_services.SkinFile(scriva::settings::kSkinButtonNormal),
                            m_services.SkinFile(scriva::settings::kSkinButtonSelected),
                            m_services.SkinFile(scriva::settings::kSkinButtonHover),
                            m_services.SkinFile(scriva::settings::kSkinButtonDisabled));
        m_buttons[i] = button;
    }
    layoutButtons();
}

QString CLeftFormView::caption(int id) const
{
    // The form's own caption for the control, else the command's tooltip.
    QString text = m_services.text(scriva::str::DialogText(scriva::form::kLeftColumn, id));
    if (text.isEmpty())
        text = m_services.text(id).section(QLatin1Char('\n'), 1);
    return text;
}

CSkinButton* CLeftFormView::button(int id) const
{
    for (size_t i = 0; i < ButtonIds.size(); ++i) {
        if (ButtonIds[i] == id)
            return m_buttons[i];
    }
    return nullptr;
}

int CLeftFormView::buttonHeight() const
{
    return 2 * fontMetrics().height() + 14;
}

QSize CLeftFormView::minimumSizeHint() const
{
    return {2 * kMargin + kSpacing + 2 * 40, 2 * kMargin + kSpacing + 2 * buttonHeight()};
}

QSize CLeftFormView::sizeHint() const
{
    return {2 * kMargin + kSpacing + 2 * 130, minimumSizeHint().height()};
}

void CLeftFormView::layoutButtons()
{
    // Two rows of two, sharing the width; the rows sit at the top of the form.
    const int w = std::max(1, (width() - 2 * kMargin - kSpacing) / 2);
    const int h = buttonHeight();
    for (int i = 0; i < 4; ++i) {
        const int col = i % 2;
        const int row = i / 2;
        m_buttons[i]->setGeometry(kMargin + col * (w + kSpacing), kMargin + row * (h + kSpacing), w,
                                  h);
    }
}

void CLeftFormView::resizeEvent(QResizeEvent*)
{
    layoutButtons();
}

void CLeftFormView::paintEvent(QPaintEvent*)
{
    if (!m_backgroundTried) {
        m_backgroundTried = true;
        const QString path = m_services.SkinFile(scriva::settings::kSkinLeftFormBack);
        if (!path.isEmpty())
            m_background.load(path);
    }
    QPainter painter(this);
    if (m_background.isNull())
        painter.fillRect(rect(), palette().color(QPalette::Window));
    else
        painter.drawPixmap(rect(), m_background);
}

void CLeftFormView::BrowseFolder()
{
    QString start = m_services.SaveFolder();
    // The browser starts in the photo folder even before the first photo; a
    // folder that cannot be made leaves the dialog at its own start.
    if (!start.isEmpty() && !QDir().mkpath(start))
        start.clear();
    const QString chosen =
        m_services.Window().ChooseFolder(this, m_services.text(scriva::str::kBrowseTitle), start);
    if (!chosen.isEmpty())
        emit folderChosen(chosen);
}

bool CLeftFormView::OnCommand(int id)
{
    if (id != scriva::cmd::kBrowseFolder)
        return false;
    BrowseFolder();
    return true;
}

std::optional<CommandState> CLeftFormView::OnUpdateCommand(int id) const
{
    if (id == scriva::cmd::kBrowseFolder)
        return CommandState::Enabled(true);
    return std::nullopt;
}
