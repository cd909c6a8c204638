#pragma once
// The items of the thumbnail column as a list model: one row per ThumbItem in
// display order, its label as text, its cell picture (blank until painted) as
// decoration, its path for tool tips and drags. Rows carry ids that stay with
// their item, so pictures made from a snapshot are applied by id. Drags offer
// the files as URLs. User-interface thread only.

#include "ThumbItem.h"

#include <QAbstractListModel>
#include <QHash>
#include <QPixmap>
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

    // The cell picture of a row; false when no row has that id any more.
    bool SetPicture(quint64 id, const QImage& picture);
    // Drops every picture; unpainted rows show `blank` (null: no decoration).
    void ResetPictures(const QImage& blank);
    bool IsPainted(int row) const;

private:
    void reindex();

    std::vector<ThumbItem> m_items;
    std::vector<QPixmap> m_pictures; // null = not painted
    QPixmap m_blank;
    QHash<quint64, int> m_rowOfId;
    quint64 m_nextId = 1;
};
