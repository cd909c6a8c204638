#include "app/shell/AppMessageBox.h"

#include "app/shell/LanguagePack.h"
#include "config/CommandIds.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QList>
#include <QPointer>

#include <algorithm>

namespace {

// The boxes on screen, innermost last; and whether the program is ending.
QList<QPointer<QMessageBox>> s_openBoxes;
bool s_ended = false;

bool takesExclamation(QMessageBox::StandardButtons buttons)
{
    using B = QMessageBox;
    return buttons == B::Ok || buttons == (B::Ok | B::Cancel) || buttons == (B::Yes | B::No) ||
           buttons == (B::Yes | B::No | B::Cancel);
}

void translateButtons(QMessageBox& box, const LanguagePack& pack)
{
    static const struct
    {
        QMessageBox::StandardButton button;
        int stringId;
    } captions[] = {
        {QMessageBox::Yes, scriva::str::kButtonYes},
        {QMessageBox::No, scriva::str::kButtonNo},
        {QMessageBox::Ok, scriva::str::kButtonOk},
        {QMessageBox::Cancel, scriva::str::kButtonCancel},
        {QMessageBox::Retry, scriva::str::kButtonRetry},
        {QMessageBox::Ignore, scriva::str::kButtonIgnore},
        {QMessageBox::Abort, scriva::str::kButtonAbort},
        {QMessageBox::Close, scriva::str::kButtonClose},
        {QMessageBox::Help, scriva::str::kButtonHelp},
    };
    for (const auto& caption : captions) {
        QAbstractButton* button = box.button(caption.button);
        const QString text = pack.String(caption.stringId);
        if (button && !text.isEmpty())
            button->setText(text);
    }
}

} // namespace

QString NormalizeLineBreaks(const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (int i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        const QChar next = i + 1 < text.size() ? text.at(i + 1) : QChar();
        if ((c == QLatin1Char('\r') && next == QLatin1Char('\n')) ||
            (c == QLatin1Char('\n') && next == QLatin1Char('\r'))) {
            out += QLatin1Char('\n');
            ++i;
        } else if (c == QLatin1Char('\r')) {
            out += QLatin1Char('\n');
        } else {
            out += c;
        }
    }
    return out;
}

std::unique_ptr<QMessageBox> MakeAppMessageBox(QWidget* parent, const QString& text,
                                               QMessageBox::StandardButtons buttons,
                                               QMessageBox::Icon icon, const QString& caption)
{
    auto box = std::make_unique<QMessageBox>(parent);
    box->setWindowModality(Qt::ApplicationModal);
    box->setText(NormalizeLineBreaks(text));
    box->setStandardButtons(buttons);
    if (icon == QMessageBox::NoIcon && takesExclamation(buttons))
        icon = QMessageBox::Warning;
    box->setIcon(icon);
    const LanguagePack* pack = LanguagePack::Active();
    QString title = caption;
    if (title.isEmpty() && pack && pack->IsLoaded())
        title = pack->String(scriva::str::kBoxTitle);
    if (title.isEmpty())
        title = QCoreApplication::applicationName();
    box->setWindowTitle(title);
    if (pack && pack->IsLoaded())
        translateButtons(*box, *pack);
    return box;
}

QMessageBox::StandardButton EscapeAnswer(QMessageBox::StandardButtons buttons)
{
    using B = QMessageBox;
    for (B::StandardButton way : {B::Cancel, B::No, B::Abort, B::Close, B::Ignore, B::Ok}) {
        if (buttons.testFlag(way))
            return way;
    }
    for (unsigned bit = B::FirstButton; bit <= B::LastButton; bit <<= 1) {
        if (buttons.testFlag(B::StandardButton(bit)))
            return B::StandardButton(bit);
    }
    return B::NoButton;
}

QMessageBox::StandardButton RunAppMessageBox(QMessageBox& box)
{
    if (s_ended)
        return EscapeAnswer(box.standardButtons());
    s_openBoxes.append(QPointer<QMessageBox>(&box));
    const int answer = box.exec();
    s_openBoxes.removeAll(QPointer<QMessageBox>(&box));
    s_openBoxes.removeAll(QPointer<QMessageBox>()); // boxes deleted while open
    return QMessageBox::StandardButton(answer);
}

int OpenAppMessageBoxes()
{
    return int(std::count_if(s_openBoxes.begin(), s_openBoxes.end(),
                             [](const QPointer<QMessageBox>& box) { return !box.isNull(); }));
}

void EndAppMessageBoxes(bool end)
{
    s_ended = end;
    if (!end)
        return;
    // Innermost first: each ends its own loop, and the one under it follows.
    const QList<QPointer<QMessageBox>> open = s_openBoxes;
    for (auto it = open.rbegin(); it != open.rend(); ++it) {
        if (QMessageBox* box = it->data())
            box->done(int(EscapeAnswer(box->standardButtons())));
    }
}

bool AppMessageBoxesEnded()
{
    return s_ended;
}

QMessageBox::StandardButton AppMessageBox(QWidget* parent, const QString& text,
                                          QMessageBox::StandardButtons buttons,
                                          QMessageBox::Icon icon, const QString& caption)
{
    std::unique_ptr<QMessageBox> box = MakeAppMessageBox(parent, text, buttons, icon, caption);
    return RunAppMessageBox(*box);
}

QMessageBox::StandardButton AppMessageBox(QWidget* parent, int stringId,
                                          QMessageBox::StandardButtons buttons,
                                          QMessageBox::Icon icon)
{
    return AppMessageBox(parent, LanguagePack::Text(stringId), buttons, icon);
}

void ReportLastError(QWidget* parent, const QString& operation, int code, const QString& message)
{
    const QString text = QStringLiteral("%1\n\rError code: 0x%2\n\r%3")
                             .arg(operation, QString::number(uint(code), 16), message);
    AppMessageBox(parent, text, QMessageBox::Ok, QMessageBox::Critical);
}
