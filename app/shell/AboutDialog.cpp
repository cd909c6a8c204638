#include "app/shell/AboutDialog.h"

#include "app/shell/LanguagePack.h"
#include "app/widgets/CStaticLink.h"
#include "config/CommandIds.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

AboutDialog::AboutDialog(const LanguagePack& pack, const QString& url, const QString& version,
                         const QString& ocrVersion, QWidget* parent)
    : QDialog(parent)
{
    setWindowTitle(pack.DialogTitle(scriva::form::kAbout));
    auto* layout = new QVBoxLayout(this);

    auto* versionLine =
        new QLabel(VersionLine(pack.DialogText(scriva::form::kAbout, scriva::ctl::kAboutVersion),
                               version, ocrVersion),
                   this);
    versionLine->setObjectName(QStringLiteral("id_%1").arg(scriva::ctl::kAboutVersion));
    layout->addWidget(versionLine);
    layout->addWidget(makeLink(url));

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    QPushButton* ok = buttons->button(QDialogButtonBox::Ok);
    ok->setObjectName(QStringLiteral("id_%1").arg(scriva::ctl::kOk));
    QString okText = pack.DialogText(scriva::form::kAbout, scriva::ctl::kOk);
    if (okText.isEmpty())
        okText = pack.String(scriva::str::kButtonOk);
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
    // Its text is the address itself; an empty address opens nothing.
    auto* link = new CStaticLink(url, url, this);
    link->setObjectName(QStringLiteral("id_%1").arg(scriva::ctl::kAboutLink));
    return link;
}
