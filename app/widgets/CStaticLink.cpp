#include "app/widgets/CStaticLink.h"

#include "app/widgets/Contrast.h"

#include <QApplication>
#include <QDesktopServices>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyleOptionFocusRect>
#include <QUrl>

CStaticLink::CStaticLink(const QString& text, const QString& url, QWidget* parent)
    : QLabel(text, parent), m_url(url)
{
    QFont underlined = font();
    underlined.setUnderline(true);
    setFont(underlined);
    setCursor(Qt::PointingHandCursor);
    setTextFormat(Qt::PlainText);
    // A link the keyboard can reach; room for the focus frame around the text.
    setFocusPolicy(Qt::StrongFocus);
    setMargin(2);
    applyColour();
}

QColor CStaticLink::ShownColour() const
{
    return scriva::contrast::Readable(m_colour, palette().color(QPalette::Window),
                                      scriva::contrast::kText);
}

void CStaticLink::applyColour()
{
    m_colouring = true;
    QPalette pal = palette();
    pal.setColor(QPalette::WindowText, ShownColour());
    setPalette(pal);
    m_colouring = false;
}

void CStaticLink::changeEvent(QEvent* event)
{
    // A new palette (the desktop turned dark) may need another shade.
    if (event->type() == QEvent::PaletteChange && !m_colouring)
        applyColour();
    QLabel::changeEvent(event);
}

void CStaticLink::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space:
    case Qt::Key_Select:
        Navigate();
        event->accept();
        return;
    default:
        QLabel::keyPressEvent(event);
    }
}

void CStaticLink::paintEvent(QPaintEvent* event)
{
    QLabel::paintEvent(event);
    if (!hasFocus())
        return;
    QPainter painter(this);
    QStyleOptionFocusRect option;
    option.initFrom(this);
    option.rect = contentsRect();
    option.backgroundColor = palette().color(QPalette::Window);
    style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &painter, this);
}

QString CStaticLink::resolvedUrl() const
{
    if (!m_url.isEmpty())
        return m_url;
    const QString name = objectName();
    if (m_strings && name.startsWith(QLatin1String("id_"))) {
        bool ok = false;
        const int id = name.mid(3).toInt(&ok);
        if (ok) {
            QString fromString = m_strings(id);
            if (!fromString.isEmpty())
                return fromString;
        }
    }
    return text();
}

bool CStaticLink::Navigate()
{
    const QString address = resolvedUrl().trimmed();
    if (address.isEmpty())
        return false;
    QUrl url(address, QUrl::StrictMode);
    if (url.isValid() && url.scheme().isEmpty())
        url = QUrl::fromUserInput(address);
    const bool ok = url.isValid() && QDesktopServices::openUrl(url);
    if (ok) {
        m_colour = Visited;
        applyColour();
        update();
    } else {
        QApplication::beep();
    }
    emit navigated(ok);
    return ok;
}

void CStaticLink::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        Navigate();
    else
        QLabel::mousePressEvent(event);
}
