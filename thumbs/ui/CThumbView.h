#pragma once
// The thumbnail column of the left area: one cell per image file of the current
// folder (or added photo), in one column, each labelled with its file name.
// Labelled blank cells appear at once; pictures are made on a private thread
// pool, starting at the first visible cell, and applied here by item id and
// generation (a rebuild cancels the previous one; stale pictures are dropped).
// It also decides which file is current for next/previous, recognition and PDF
// export. User-interface thread only. Emits filesListed after a folder scan
// and for every file added, fileRemoved for every item deleted, listCleared
// after Clear all.

#include "ThumbViewHooks.h"
#include "config/CommandIds.h"
#include "image/CScrivaDoc.h"
#include "image/CommandTarget.h"
#include "image/IDocumentView.h"
#include "image/IWindowServices.h"
#include "thumbs/ThumbItem.h"

#include <QListView>
#include <QMessageBox>
#include <vector>

class CConfigFile;
class QTimer;
class ThumbListModel;
namespace scriva::thumbs {
class ThumbBuilder;
struct ThumbStyle;
} // namespace scriva::thumbs

class CThumbView : public QListView, public IDocumentView, public ICommandTarget
{
    Q_OBJECT
public:
    static constexpr int SelectPrev = 0x100;
    static constexpr int SelectNext = 0x200;
    static constexpr int CmdDelete = scriva::cmd::kDeleteThumbnails;
    static constexpr int CmdRebuild = scriva::cmd::kRebuildThumbnails;
    static constexpr int CmdClearAll = scriva::cmd::kClearThumbnails;
    static constexpr int MsgRebuilding = scriva::str::kThumbnailsBuilding;
    static constexpr int MsgConfirmDelete = scriva::str::kConfirmDelete;
    static constexpr int MsgOperationRunning = scriva::str::kImageOperationRunning;
    static constexpr int ContextMenuId = scriva::res::kThumbnailMenu;
    static constexpr int DefaultThumbnailNum = 4; // with no settings at hand
    static constexpr int kResizeSettleMs = 200;   // pane height steady this long: new cells

    explicit CThumbView(CScrivaDoc& doc, QWidget* parent = nullptr);
    ~CThumbView() override;

    // Neither is owned; both stay until replaced.
    void SetHooks(ThumbViewHooks& hooks) { m_hooks = &hooks; }
    void SetWindow(IWindowServices& window) { m_window = &window; }
    void SetSettings(const CConfigFile* settings) { m_settings = settings; }

    // ----- filling the list
    // Lists the folder's image files in display order, starts a rebuild and
    // selects item 0. A folder without image files leaves the list as it was.
    void ScanFolder(const QString& folder);
    const QString& Folder() const { return m_folder; }
    // Appends a file just written (path kept as given) and paints it at once;
    // a path already listed becomes current and is painted again instead.
    void AddFile(const QString& path);
    // Replaces the items (search results) and rebuilds.
    void SetItems(std::vector<ThumbItem> items);
    const std::vector<ThumbItem>& GetItems() const;
    void RebuildThumbnails();
    void StopBuilding();
    bool IsBuilding() const { return m_building; }

    // ----- selection and the current item
    // Flags SelectPrev / SelectNext; index -1 = the first selected item. See the
    // source for the rules; false when there is nowhere to move.
    bool SelectItem(int flags, int index);
    bool OpenItem(int index);
    bool GetItemPath(int index, QString& path) const;
    bool GetNextPath(QString& path, bool move);
    bool GetPrevPath(QString& path, bool move);
    void OpenFirst();
    void OpenLast();
    bool IsFirst() const { return m_current == 0; }
    bool IsLast() const { return m_current == ItemCount() - 1; }
    int CurrentIndex() const { return m_current; }

    int ItemCount() const;
    int SelectedIndex() const; // the first selected item, -1 when none
    QString SelectedPath() const;
    QList<int> SelectedRows() const;   // ascending
    QStringList SelectedPaths() const; // in list order
    QString PathAt(int index) const;

    // The document's next / previous: moves the selection and opens that file.
    // Returns the path opened; empty (nothing changes) at either end.
    QString OpenPrevious();
    QString OpenNext();

    // ----- user commands (also reachable through the menu and the keys)
    void DeleteSelected();
    void ClearAll();
    QSize CellSize() const { return m_cell; }
    ThumbListModel* listModel() const { return m_model; }

    void OnDocumentUpdate(int hint) override;
    bool OnCommand(int id) override;
    std::optional<CommandState> OnUpdateCommand(int id) const override;

signals:
    void thumbnailsRebuilt();
    void filesListed(const QStringList& paths);
    void fileRemoved(const QString& path);
    void listCleared();
    void building(bool on);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void startDrag(Qt::DropActions supportedActions) override;

private:
    int thumbnailNum() const;
    int paneHeight() const;
    int columnWidth() const;
    QSize cellForPane() const;
    bool setUpCells();
    void onResizeSettled();
    void applyGrid();
    int firstVisibleRow();
    void onPicture(quint64 generation, quint64 id, const QByteArray& jpeg, const QImage& cell);
    scriva::thumbs::ThumbStyle columnStyle() const;
    void onBuildFinished(quint64 generation);
    void onClicked(const QModelIndex& index);
    void selectOnly(int row);
    bool operationRunning() const;
    QMessageBox::StandardButton ask(int id, QMessageBox::StandardButtons buttons,
                                    QMessageBox::Icon icon,
                                    QMessageBox::StandardButton defaultButton);
    bool openPath(const QString& path);
    void afterDelete(int firstRemoved);

    CScrivaDoc& m_doc;
    ThumbListModel* m_model;
    scriva::thumbs::ThumbBuilder* m_builder;
    ThumbViewHooks* m_hooks = nullptr;
    IWindowServices* m_window = nullptr;
    const CConfigFile* m_settings = nullptr;
    QString m_folder;
    QSize m_cell; // empty until cells are set up
    quint64 m_generation = 0;
    bool m_building = false;
    bool m_readAfresh = false; // the rebuild being started reads every file again
    int m_current = -1;        // the item whose file is open in the document
    int m_targetIndex = -1;    // item of the last context menu or Delete key
    int m_lastClicked = -1;
    Qt::KeyboardModifiers m_clickModifiers;
    QTimer* m_resizeSettle = nullptr;
};
