#include "CScrivaDoc.h"

#include "IDocumentView.h"
#include "config/CommandIds.h"

#include <QFileInfo>
#include <algorithm>

CScrivaDoc::CScrivaDoc(QObject* parent) : QObject(parent) {}

CScrivaDoc::~CScrivaDoc() = default;

QString CScrivaDoc::Title() const
{
    if (m_pathName.isEmpty())
        return m_defaultTitle;
    return QFileInfo(m_pathName).fileName();
}

void CScrivaDoc::SetPathName(const QString& path)
{
    if (path == m_pathName)
        return;
    m_pathName = path;
    emit pathChanged(path);
}

bool CScrivaDoc::HasImage() const
{
    // No image object is held yet: an open path alone is not an image.
    return false;
}

void CScrivaDoc::SetListPosition(int index, int count)
{
    m_listIndex = index;
    m_listCount = std::max(0, count);
}

void CScrivaDoc::UpdateStatus(int what)
{
    if (!HasImage() || (what != scriva::status::kAllPanes && what != scriva::status::kZoomPane))
        return;
    QStringList texts;
    for (int i = 0; i < StatusPaneCount; ++i)
        texts << QString();
    if (what == scriva::status::kAllPanes) {
        texts[0] = QStringLiteral("%1/%2").arg(m_listIndex + 1).arg(m_listCount);
        texts[1] = QFileInfo(m_pathName).fileName();
    }
    emit statusPanesChanged(what, texts);
}

void CScrivaDoc::AddView(IDocumentView* view)
{
    if (view && std::find(m_views.begin(), m_views.end(), view) == m_views.end())
        m_views.push_back(view);
}

void CScrivaDoc::RemoveView(IDocumentView* view)
{
    m_views.erase(std::remove(m_views.begin(), m_views.end(), view), m_views.end());
}

void CScrivaDoc::updateAllViews(int hint)
{
    // A view may leave the list while being updated: work on a copy.
    const std::vector<IDocumentView*> views = m_views;
    for (IDocumentView* view : views) {
        if (std::find(m_views.begin(), m_views.end(), view) != m_views.end())
            view->OnDocumentUpdate(hint);
    }
}

bool CScrivaDoc::OnCommand(int)
{
    return false;
}

std::optional<CommandState> CScrivaDoc::OnUpdateCommand(int) const
{
    return std::nullopt;
}
