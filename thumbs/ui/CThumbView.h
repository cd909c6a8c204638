#pragma once
// The thumbnail column of the left area: the image files of one folder, one
// item each, with one current item. For now it lists file names only; the
// pictures come with the thumbnail builder. User-interface thread only.
// Emits thumbnailsRebuilt after every rebuild for a new pane size.

#include "image/CScrivaDoc.h"
#include "image/IDocumentView.h"

#include <QListView>

class QStringListModel;

class CThumbView : public QListView, public IDocumentView
{
    Q_OBJECT
public:
    explicit CThumbView(CScrivaDoc& doc, QWidget* parent = nullptr);
    ~CThumbView() override;

    // Lists the image files of a folder (by extension), sorted by name.
    void ScanFolder(const QString& folder);
    const QString& Folder() const { return m_folder; }
    void RebuildThumbnails();

    int ItemCount() const;
    int SelectedIndex() const; // -1 when nothing is selected
    QString SelectedPath() const;
    QString PathAt(int index) const;
    void SelectItem(int index);

    // Move the selection one item back or forward and give that item's path;
    // empty (selection unchanged) at either end or with an empty list.
    QString OpenPrevious();
    QString OpenNext();

    void OnDocumentUpdate(int hint) override;

signals:
    void thumbnailsRebuilt();

private:
    QString step(int delta);

    CScrivaDoc& m_doc;
    QStringListModel* m_model;
    QString m_folder;
    QStringList m_paths;
};
