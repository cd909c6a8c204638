#pragma once
// The About box (dialog 100): the program's web address as a link (control
// 1082) and the version line (control 1087) built from its template text, the
// version setting and the recognition engine's version. Texts come from the
// language pack. User-interface thread only.

#include <QDialog>
#include <QString>

class LanguagePack;
class QLabel;

class AboutDialog : public QDialog
{
    Q_OBJECT
public:
    AboutDialog(const LanguagePack& pack, const QString& url, const QString& version,
                const QString& ocrVersion, QWidget* parent = nullptr);

    // "%s %s ( %s )" from the template text, the version and the engine's version.
    static QString VersionLine(const QString& templateText, const QString& version,
                               const QString& ocrVersion);

private:
    QLabel* makeLink(const QString& url);
};
