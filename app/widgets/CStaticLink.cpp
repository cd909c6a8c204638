#include "app/widgets/CStaticLink.h"

#include <QApplication>
#include <QDesktopServices>
#include <QMouseEvent>
#include <QUrl>

CStaticLink::CStaticLink(const QString& text, const QString& url, QWidget* parent)
    : QLabel(text, parent), m_url(url)
{
    QFont underlined = font();
    underlined.setUnderline(true);
    setFont(underlined);
    setCursor(Qt::PointingHandCursor);
    setTextFormat(Qt::PlainText);
    applyColour();
}

void CStaticLink::applyColour()
{
    QPalette pal = palette();
    pal.setColor(QPalette::WindowText, m_colour);
    setPalette(pal);
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
