#include "app/shell/RecentFiles.h"
#include "config/CommandIds.h"
#include "config/IniSection.h"

#include <QAction>
#include <QMap>
#include <QMenu>

namespace {
const QString kGroup = QStringLiteral("Recent File List");

QString entryKey(int index)
{
    return QStringLiteral("File%1").arg(index + 1);
}
} // namespace

RecentFiles::RecentFiles(const QString& profilePath, QObject* parent)
    : QObject(parent), m_profilePath(profilePath)
{
}

void RecentFiles::Load()
{
    QMap<QString, QString> stored;
    for (const auto& [key, value] : IniSection(m_profilePath, kGroup).Read())
        stored.insert(key, value);
    m_paths.clear();
    for (int i = 0; i < kSize; ++i) {
        const QString path = stored.value(entryKey(i));
        if (path.isEmpty())
            break;
        m_paths.append(path);
    }
    changedNow();
}

// Rewrites only the list's own lines: the file's comments, order and other
// sections stay as the user left them.
bool RecentFiles::Save() const
{
    QList<QPair<QString, QString>> values;
    QStringList removed;
    for (int i = 0; i < kSize; ++i) {
        if (i < m_paths.size())
            values.append({entryKey(i), m_paths.at(i)});
        else
            removed << entryKey(i);
    }
    return IniSection(m_profilePath, kGroup).Write(values, removed);
}

void RecentFiles::Add(const QString& path)
{
    if (path.isEmpty())
        return;
    m_paths.removeAll(path);
    m_paths.prepend(path);
    while (m_paths.size() > kSize)
        m_paths.removeLast();
    Save();
    changedNow();
}

void RecentFiles::Remove(int index)
{
    if (index < 0 || index >= m_paths.size())
        return;
    m_paths.removeAt(index);
    Save();
    changedNow();
}

void RecentFiles::Clear()
{
    // Always entry 0, as many times as the list is long.
    for (int n = m_paths.size(); n > 0; --n)
        m_paths.removeAt(0);
    Save();
    changedNow();
}

void RecentFiles::SetMenu(QMenu* menu, const QString& emptyText,
                          std::function<void(const QString&)> open)
{
    m_menu = menu;
    m_emptyText = emptyText;
    m_open = std::move(open);
    UpdateMenu();
}

void RecentFiles::UpdateMenu()
{
    if (!m_menu)
        return;
    m_menu->clear();
    if (IsEmpty()) {
        QAction* placeholder = m_menu->addAction(m_emptyText);
        placeholder->setData(scriva::cmd::kFirstRecentFile);
        placeholder->setObjectName(QStringLiteral("cmd_%1").arg(scriva::cmd::kFirstRecentFile));
        placeholder->setEnabled(false);
        return;
    }
    for (int i = 0; i < m_paths.size(); ++i) {
        const QString path = m_paths.at(i);
        QString shown = path;
        shown.replace(QLatin1Char('&'), QLatin1String("&&")); // not a mnemonic
        QAction* entry = m_menu->addAction(QStringLiteral("&%1 %2").arg(i + 1).arg(shown));
        entry->setData(scriva::cmd::kFirstRecentFile + i);
        entry->setObjectName(QStringLiteral("cmd_%1").arg(scriva::cmd::kFirstRecentFile + i));
        connect(entry, &QAction::triggered, this, [this, path] {
            if (m_open)
                m_open(path);
        });
    }
}

void RecentFiles::changedNow()
{
    UpdateMenu();
    emit changed();
}
