#include "ThumbListModel.h"

#include "ThumbCell.h"
#include "ThumbDecoder.h"
#include "ThumbJpegWriter.h"

#include <QMimeData>
#include <QUrl>

ThumbListModel::ThumbListModel(QObject* parent) : QAbstractListModel(parent) {}

int ThumbListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_items.size());
}

QVariant ThumbListModel::data(const QModelIndex& index, int role) const
{
    const ThumbItem* item = index.isValid() ? ItemAt(index.row()) : nullptr;
    if (!item)
        return QVariant();
    switch (role) {
    case Qt::DisplayRole:
        return item->name;
    case Qt::ToolTipRole:
    case PathRole:
        return item->path;
    case Qt::DecorationRole: {
        const QPixmap own = cellOf(index.row());
        if (!own.isNull())
            return own;
        return m_blank.isNull() ? QVariant() : QVariant(m_blank);
    }
    case PaintedRole:
        return IsPainted(index.row());
    default:
        return QVariant();
    }
}

Qt::ItemFlags ThumbListModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDragEnabled |
           Qt::ItemNeverHasChildren;
}

QStringList ThumbListModel::mimeTypes() const
{
    return {QStringLiteral("text/uri-list")};
}

QMimeData* ThumbListModel::mimeData(const QModelIndexList& indexes) const
{
    QList<QUrl> urls;
    for (const QModelIndex& index : indexes) {
        const ThumbItem* item = ItemAt(index.row());
        if (item && !item->path.isEmpty())
            urls << QUrl::fromLocalFile(item->path);
    }
    if (urls.isEmpty())
        return nullptr;
    auto* mime = new QMimeData;
    mime->setUrls(urls);
    return mime;
}

Qt::DropActions ThumbListModel::supportedDragActions() const
{
    return Qt::CopyAction | Qt::MoveAction;
}

void ThumbListModel::SetItems(std::vector<ThumbItem> items)
{
    beginResetModel();
    m_items = std::move(items);
    for (ThumbItem& item : m_items)
        item.id = m_nextId++;
    m_pictures.assign(m_items.size(), QByteArray());
    m_shown.clear();
    reindex();
    endResetModel();
}

quint64 ThumbListModel::Append(ThumbItem item)
{
    const int row = int(m_items.size());
    beginInsertRows(QModelIndex(), row, row);
    item.id = m_nextId++;
    m_items.push_back(std::move(item));
    m_pictures.emplace_back();
    m_rowOfId.insert(m_items.back().id, row);
    endInsertRows();
    return m_items.back().id;
}

bool ThumbListModel::RemoveRow(int row)
{
    if (row < 0 || row >= int(m_items.size()))
        return false;
    beginRemoveRows(QModelIndex(), row, row);
    m_shown.remove(m_items[size_t(row)].id);
    m_items.erase(m_items.begin() + row);
    m_pictures.erase(m_pictures.begin() + row);
    reindex();
    endRemoveRows();
    return true;
}

void ThumbListModel::Clear()
{
    SetItems({});
}

const ThumbItem* ThumbListModel::ItemAt(int row) const
{
    return row >= 0 && row < int(m_items.size()) ? &m_items[size_t(row)] : nullptr;
}

int ThumbListModel::RowOfId(quint64 id) const
{
    return m_rowOfId.value(id, -1);
}

int ThumbListModel::RowOfPath(const QString& path) const
{
    for (size_t i = 0; i < m_items.size(); ++i)
        if (m_items[i].path == path)
            return int(i);
    return -1;
}

bool ThumbListModel::SetPicture(quint64 id, const QImage& picture)
{
    return SetCompressedPicture(id, scriva::thumbs::EncodeThumbJpeg(picture));
}

bool ThumbListModel::SetCompressedPicture(quint64 id, const QByteArray& jpeg, const QImage& cell)
{
    const int row = RowOfId(id);
    if (row < 0 || jpeg.isEmpty())
        return false;
    m_pictures[size_t(row)] = jpeg;
    m_shown.remove(id);
    if (!cell.isNull() && !m_cell.isEmpty() && cell.size() == m_cell)
        m_shown.insert(id, new QPixmap(QPixmap::fromImage(cell)),
                       std::max(1, int(qint64(cell.sizeInBytes()) / 1024)));
    const QModelIndex at = index(row);
    emit dataChanged(at, at, {Qt::DecorationRole, PaintedRole});
    return true;
}

// The cell of a painted row, made from its bytes when not kept; null for a
// row without a picture (or bytes that no longer decode).
QPixmap ThumbListModel::cellOf(int row) const
{
    const QByteArray& jpeg = m_pictures[size_t(row)];
    if (jpeg.isEmpty())
        return QPixmap();
    const quint64 id = m_items[size_t(row)].id;
    if (const QPixmap* kept = m_shown.object(id))
        return *kept;
    const QSize cell = m_cell.isEmpty() ? QSize(1, 1) : m_cell;
    const scriva::thumbs::ThumbPicture picture =
        scriva::thumbs::DecodeJpegThumbnail(jpeg, cell.expandedTo(QSize(1, 1)));
    if (picture.image.isNull())
        return QPixmap();
    const QImage shown = scriva::thumbs::ComposeCell(picture.image, cell);
    auto* made = new QPixmap(QPixmap::fromImage(shown));
    const QPixmap result = *made;
    m_shown.insert(id, made, std::max(1, int(qint64(shown.sizeInBytes()) / 1024)));
    return result;
}

void ThumbListModel::ResetPictures(const QImage& blank)
{
    m_blank = blank.isNull() ? QPixmap() : QPixmap::fromImage(blank);
    m_cell = blank.size();
    std::fill(m_pictures.begin(), m_pictures.end(), QByteArray());
    m_shown.clear();
    if (!m_items.empty())
        emit dataChanged(index(0), index(int(m_items.size()) - 1),
                         {Qt::DecorationRole, PaintedRole});
}

bool ThumbListModel::IsPainted(int row) const
{
    return row >= 0 && row < int(m_pictures.size()) && !m_pictures[size_t(row)].isEmpty();
}

qint64 ThumbListModel::ResidentBytes() const
{
    qint64 bytes = 0;
    for (const QByteArray& jpeg : m_pictures)
        bytes += jpeg.capacity();
    return bytes + qint64(m_shown.totalCost()) * 1024;
}

void ThumbListModel::reindex()
{
    m_rowOfId.clear();
    for (size_t i = 0; i < m_items.size(); ++i)
        m_rowOfId.insert(m_items[i].id, int(i));
}
