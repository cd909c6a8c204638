#include "AboutDialog.h"

#include "LanguagePack.h"

#include <QDesktopServices>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

namespace {
constexpr int kOkButton = 1;
constexpr int kOkCaption = 61810;
} // namespace

AboutDialog::AboutDialog(const LanguagePack& pack, const QString& url, const QString& version,
                         const QString& ocrVersion, QWidget* parent)
    : QDialog(parent)
{
    setWindowTitle(pack.DialogTitle(kTemplate));
    auto* layout = new QVBoxLayout(this);

    auto* versionLine = new QLabel(
        VersionLine(pack.DialogText(kTemplate, kVersionControl), version, ocrVersion), this);
    versionLine->setObjectName(QStringLiteral("id_%1").arg(kVersionControl));
    layout->addWidget(versionLine);
    layout->addWidget(makeLink(url));

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    QPushButton* ok = buttons->button(QDialogButtonBox::Ok);
    ok->setObjectName(QStringLiteral("id_%1").arg(kOkButton));
    QString okText = pack.DialogText(kTemplate, kOkButton);
    if (okText.isEmpty())
        okText = pack.String(kOkCaption);
    if (!okText.isEmpty())
        ok->setText(okText);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    layout->addWidget(buttons);
}

QString AboutDialog::VersionLine(const QString& templateText, const QString& version,
                                 const QString& ocrVersion)
{
    return QStringLiteral("%1 %2 ( %3 )").arg(templateText, version, ocrVersion);
}

QLabel* AboutDialog::makeLink(const QString& url)
{
    auto* link = new QLabel(url, this);
    link->setObjectName(QStringLiteral("id_%1").arg(kLinkControl));
    QFont font = link->font();
    font.setUnderline(true);
    link->setFont(font);
    link->setCursor(Qt::PointingHandCursor);
    link->setTextInteractionFlags(Qt::LinksAccessibleByMouse);
    // An empty address opens nothing.
    connect(link, &QLabel::linkActivated, this, [](const QString& target) {
        if (!target.isEmpty())
            QDesktopServices::openUrl(QUrl(target));
    });
    if (!url.isEmpty())
        link->setText(QStringLiteral("<a href=\"%1\">%2</a>").arg(url.toHtmlEscaped(), url.toHtmlEscaped()));
    return link;
}
