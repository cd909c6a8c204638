#pragma once
// The items of the thumbnail column as a list model: one row per ThumbItem in
// display order, its label as text, its cell picture (blank until painted) as
// decoration, its path for tool tips and drags. Rows carry ids that stay with
// their item, so pictures made from a snapshot are applied by id. Drags offer
// the files as URLs. Pictures are held as JPEG bytes (a few kilobytes a row);
// the cell of a row is made from them when the view asks for it, and the last
// cells made are kept for repaints within a fixed budget. User-interface
// thread only.

#include "ThumbItem.h"

#include <QAbstractListModel>
#include <QByteArray>
#include <QCache>
#include <QHash>
#include <QPixmap>
#include <QSize>
#include <vector>

class ThumbListModel : public QAbstractListModel
{
    Q_OBJECT
public:
    enum Role { PathRole = Qt::UserRole + 1, PaintedRole };

    explicit ThumbListModel(QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QStringList mimeTypes() const override;
    QMimeData* mimeData(const QModelIndexList& indexes) const override;
    Qt::DropActions supportedDragActions() const override;

    // Replaces every row (pictures dropped, ids given afresh).
    void SetItems(std::vector<ThumbItem> items);
    // Appends one row; returns its id.
    quint64 Append(ThumbItem item);
    bool RemoveRow(int row);
    void Clear();

    const std::vector<ThumbItem>& Items() const { return m_items; }
    const ThumbItem* ItemAt(int row) const;
    int RowOfId(quint64 id) const;
    int RowOfPath(const QString& path) const;

    // Decoded cells kept for repaints: a few screens of them.
    static constexpr qint64 kShownCellBudgetBytes = 12 * 1024 * 1024;

    // The picture of a row, placed in the row's cell as the column shows it (a
    // whole cell is taken as it is); false when no row has that id any more.
    bool SetPicture(quint64 id, const QImage& picture);
    // The same from JPEG bytes made on a worker (EncodeThumbJpeg). A `cell`
    // of the cells' size, made from the decoded picture, is kept for showing
    // so that a cell on screen is not decoded again from its bytes.
    bool SetCompressedPicture(quint64 id, const QByteArray& jpeg, const QImage& cell = QImage());
    // Drops every picture; cells take the blank's size, unpainted rows show
    // `blank` (null: no decoration).
    void ResetPictures(const QImage& blank);
    bool IsPainted(int row) const;
    // Bytes held for pictures: the compressed ones and the cells kept made.
    qint64 ResidentBytes() const;

private:
    void reindex();
    QPixmap cellOf(int row) const;

    std::vector<ThumbItem> m_items;
    std::vector<QByteArray> m_pictures; // JPEG; empty = not painted
    QPixmap m_blank;
    QSize m_cell;
    mutable QCache<quint64, QPixmap> m_shown{int(kShownCellBudgetBytes / 1024)}; // cost in KB
    QHash<quint64, int> m_rowOfId;
    quint64 m_nextId = 1;
};
