#pragma once
// The recent-file list: up to four paths kept in the [Recent File List] group
// of profile.ini, newest first, and the File menu's submenu that shows them.
// With an empty list the submenu holds one disabled item, command 57616, whose
// text is string 57616. User-interface thread only; emits changed().

#include "config/CommandIds.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <functional>

class QMenu;

class RecentFiles : public QObject
{
    Q_OBJECT
public:
    static constexpr int kSize = scriva::cmd::kRecentFileCount; // one command per entry

    explicit RecentFiles(const QString& profilePath, QObject* parent = nullptr);

    void Load();
    bool Save() const;

    int Count() const { return m_paths.size(); }
    QString At(int index) const { return m_paths.value(index); }
    QStringList Paths() const { return m_paths; }
    bool IsEmpty() const { return m_paths.isEmpty() || m_paths.first().isEmpty(); }

    void Add(const QString& path); // to the top; an existing entry moves up
    void Remove(int index);
    void Clear(); // the clear-recent-files command

    // The submenu this list fills, and what a click on an entry does.
    void SetMenu(QMenu* menu, const QString& emptyText, std::function<void(const QString&)> open);
    void UpdateMenu();

signals:
    void changed();

private:
    void changedNow();

    QString m_profilePath;
    QStringList m_paths;
    QPointer<QMenu> m_menu;
    QString m_emptyText;
    std::function<void(const QString&)> m_open;
};
