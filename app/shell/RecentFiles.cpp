#include "app/shell/RecentFiles.h"
#include "config/CommandIds.h"

#include <QAction>
#include <QMenu>
#include <QSettings>

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
    QSettings profile(m_profilePath, QSettings::IniFormat);
    profile.beginGroup(kGroup);
    m_paths.clear();
    for (int i = 0; i < kSize; ++i) {
        const QString path = profile.value(entryKey(i)).toString();
        if (path.isEmpty())
            break;
        m_paths.append(path);
    }
    changedNow();
}

bool RecentFiles::Save() const
{
    QSettings profile(m_profilePath, QSettings::IniFormat);
    profile.beginGroup(kGroup);
    for (int i = 0; i < kSize; ++i) {
        if (i < m_paths.size())
            profile.setValue(entryKey(i), m_paths.at(i));
        else
            profile.remove(entryKey(i));
    }
    profile.endGroup();
    profile.sync();
    return profile.status() == QSettings::NoError;
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
