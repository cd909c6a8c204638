#pragma once
// The loaded language pack: a binary resource file per language registered
// under "/lang", with the English pack under "/lang-en" answering every id the
// chosen pack lacks. Gives strings by number, menus and toolbars as parsed JSON,
// dialog texts, bitmaps and cursors. The languages themselves are the table of
// config/Languages.h. User-interface thread only.

#include "config/CommandIds.h"

#include <QCursor>
#include <QHash>
#include <QJsonValue>
#include <QPixmap>
#include <QString>
#include <QTranslator>
#include <memory>

class LanguagePack
{
public:
    // Installs Qt's translation of its own dialogs for the language when the
    // system has one; null otherwise.
    static std::unique_ptr<QTranslator> QtTranslator(int index);

    LanguagePack() = default;
    ~LanguagePack();
    LanguagePack(const LanguagePack&) = delete;
    LanguagePack& operator=(const LanguagePack&) = delete;

    // Registers the pack of language `index` found under dataFolder, and the
    // English pack as the fallback. False (nothing registered) when the index is
    // unknown or the chosen pack does not register or has no string table.
    bool Load(const QString& dataFolder, int index);
    void Unload();
    bool IsLoaded() const { return m_index != 0; }
    int Index() const { return m_index; }

    QString String(int id) const; // empty when neither pack has it
    bool HasString(int id) const;
    QJsonValue Menu(int id) const;    // menu<id>.json; undefined when missing
    QJsonValue Toolbar(int id) const; // toolbar<id>.json
    QString DialogTitle(int dialog) const { return String(scriva::str::DialogText(dialog)); }
    QString DialogText(int dialog, int control) const
    {
        return String(scriva::str::DialogText(dialog, control));
    }

    // ":/lang/<name>" when the chosen pack has the file, else the English
    // pack's path, else empty.
    QString FilePath(const QString& name) const;
    QPixmap Bitmap(int id) const; // bitmap<id>.bmp
    QCursor Cursor(int id) const; // cursor<id>.png, hot spot at its centre

    // The pack the application loaded at start-up; null before.
    static LanguagePack* Active();
    static void SetActive(LanguagePack* pack);
    static QString Text(int id); // Active()->String(id), empty without a pack

private:
    QJsonValue jsonFile(const QString& name) const;

    int m_index = 0;
    QString m_packPath;
    QString m_englishPath;
    QHash<int, QString> m_strings;
    QHash<int, QString> m_englishStrings;
};
