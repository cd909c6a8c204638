#include "CThumbView.h"

#include <QDir>
#include <QFileInfo>
#include <QStringListModel>
#include <algorithm>

namespace {

bool isImageFile(const QString& name)
{
    static const QStringList kSuffixes = {QStringLiteral("bmp"),  QStringLiteral("jpg"),
                                          QStringLiteral("jpeg"), QStringLiteral("png"),
                                          QStringLiteral("tif"),  QStringLiteral("tiff")};
    return kSuffixes.contains(QFileInfo(name).suffix().toLower());
}

} // namespace

CThumbView::CThumbView(CScrivaDoc& doc, QWidget* parent)
    : QListView(parent), m_doc(doc), m_model(new QStringListModel(this))
{
    setObjectName(QStringLiteral("CThumbView"));
    setModel(m_model);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setMinimumSize(10, 10);
    m_doc.AddView(this);
}

CThumbView::~CThumbView()
{
    m_doc.RemoveView(this);
}

void CThumbView::ScanFolder(const QString& folder)
{
    m_folder = folder;
    QDir dir(folder);
    QStringList names = dir.entryList(QDir::Files | QDir::Hidden | QDir::System);
    names.erase(std::remove_if(names.begin(), names.end(),
                               [](const QString& n) { return !isImageFile(n); }),
                names.end());
    std::sort(names.begin(), names.end(), [](const QString& a, const QString& b) {
        const int byLower = a.toLower().compare(b.toLower());
        return byLower != 0 ? byLower < 0 : a < b;
    });
    m_paths.clear();
    for (const QString& name : names)
        m_paths << dir.filePath(name);
    m_model->setStringList(names);
}

void CThumbView::RebuildThumbnails()
{
    scheduleDelayedItemsLayout();
    emit thumbnailsRebuilt();
}

int CThumbView::ItemCount() const
{
    return m_paths.size();
}

int CThumbView::SelectedIndex() const
{
    const QModelIndex current = currentIndex();
    if (!current.isValid() || !selectionModel()->isSelected(current))
        return -1;
    return current.row();
}

QString CThumbView::SelectedPath() const
{
    return PathAt(SelectedIndex());
}

QString CThumbView::PathAt(int index) const
{
    return index >= 0 && index < m_paths.size() ? m_paths.at(index) : QString();
}

void CThumbView::SelectItem(int index)
{
    if (index < 0 || index >= m_paths.size())
        return;
    setCurrentIndex(m_model->index(index));
}

QString CThumbView::step(int delta)
{
    const int target = SelectedIndex() + delta;
    if (SelectedIndex() < 0 || target < 0 || target >= m_paths.size())
        return {};
    SelectItem(target);
    return m_paths.at(target);
}

QString CThumbView::OpenPrevious()
{
    return step(-1);
}

QString CThumbView::OpenNext()
{
    return step(+1);
}

void CThumbView::OnDocumentUpdate(int) {}
