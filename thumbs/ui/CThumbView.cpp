#include "CThumbView.h"

#include "config/CConfigFile.h"
#include "config/NativePath.h"
#include "config/SettingsKeys.h"
#include "thumbs/ThumbBuilder.h"
#include "thumbs/ThumbCell.h"
#include "thumbs/ThumbGeometry.h"
#include "thumbs/ThumbListModel.h"
#include "thumbs/ThumbScan.h"

#include <QContextMenuEvent>
#include <QDrag>
#include <QFile>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QPointer>
#include <QScrollBar>
#include <QStyle>
#include <QTimer>
#include <unistd.h>

using namespace scriva::thumbs;

CThumbView::CThumbView(CScrivaDoc& doc, QWidget* parent)
    : QListView(parent), m_doc(doc), m_model(new ThumbListModel(this)),
      m_builder(new ThumbBuilder(0, this))
{
    setObjectName(QStringLiteral("CThumbView"));
    setModel(m_model);
    setViewMode(QListView::IconMode);
    setFlow(QListView::TopToBottom);
    setWrapping(false);
    setMovement(QListView::Static);
    setResizeMode(QListView::Adjust);
    setUniformItemSizes(true);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setDragEnabled(true);
    setDragDropMode(QAbstractItemView::DragOnly);
    setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    setMinimumSize(10, 10);
    connect(m_builder, &ThumbBuilder::pictureReady, this, &CThumbView::onPicture);
    connect(m_builder, &ThumbBuilder::finished, this, &CThumbView::onBuildFinished);
    connect(this, &QAbstractItemView::clicked, this, &CThumbView::onClicked);
    m_resizeSettle = new QTimer(this);
    m_resizeSettle->setSingleShot(true);
    m_resizeSettle->setInterval(kResizeSettleMs);
    connect(m_resizeSettle, &QTimer::timeout, this, &CThumbView::onResizeSettled);
    m_doc.AddView(this);
}

CThumbView::~CThumbView()
{
    StopBuilding();
    m_doc.RemoveView(this);
}

// ---------------------------------------------------------------- filling

void CThumbView::ScanFolder(const QString& folder)
{
    m_folder = folder;
    std::vector<ThumbItem> items = ScanImageFolder(folder);
    if (items.empty())
        return;
    QStringList paths;
    for (const ThumbItem& item : items)
        paths << item.path;
    emit filesListed(paths);
    SetItems(std::move(items));
    SelectItem(SelectPrev | SelectNext, -1);
}

void CThumbView::SetItems(std::vector<ThumbItem> items)
{
    StopBuilding(); // no worker may see the old list go
    m_model->SetItems(std::move(items));
    m_current = -1;
    RebuildThumbnails();
}

const std::vector<ThumbItem>& CThumbView::GetItems() const
{
    return m_model->Items();
}

void CThumbView::AddFile(const QString& path)
{
    ThumbItem item = ItemForPath(path);
    if (item.name.isEmpty())
        return;
    // A file written again under a listed name (a counter started over) keeps
    // its one cell, which is painted afresh.
    const int listed = m_model->RowOfPath(path);
    const quint64 id = listed >= 0 ? m_model->Items()[size_t(listed)].id : m_model->Append(item);
    m_current = listed >= 0 ? listed : ItemCount() - 1;
    if (m_cell.isEmpty())
        setUpCells();
    if (CellIsPainted(m_cell)) {
        ThumbStyle style = columnStyle();
        style.freshFiles = true; // just written: what the cache holds may be older
        m_builder->Add(ThumbJob{id, path}, style);
    }
    if (listed < 0)
        emit filesListed({path});
}

int CThumbView::thumbnailNum() const
{
    return m_settings ? scriva::settings::ReadInt(*m_settings, scriva::settings::kThumbnailCount)
                      : DefaultThumbnailNum;
}

// Cell size from the pane and the setting; blank pictures for every item.
// The pane's height without the frame: a horizontal scroll bar that comes and
// goes with wide cells must not change the cells themselves.
int CThumbView::paneHeight() const
{
    return height() - 2 * frameWidth();
}

// The width a cell may take: the pane's, less the frame and the room of a
// vertical scroll bar whether one shows or not, so that the bar coming and
// going neither changes the cells nor makes them scroll sideways.
int CThumbView::columnWidth() const
{
    int width = this->width() - 2 * frameWidth();
    if (verticalScrollBarPolicy() != Qt::ScrollBarAlwaysOff)
        width -= style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, verticalScrollBar());
    return width;
}

QSize CThumbView::cellForPane() const
{
    return scriva::thumbs::CellSize(paneHeight(), thumbnailNum(), fontMetrics().height(),
                                    columnWidth());
}

bool CThumbView::setUpCells()
{
    m_cell = cellForPane();
    setIconSize(m_cell);
    applyGrid();
    const bool painted = CellIsPainted(m_cell);
    m_model->ResetPictures(painted ? BlankCell(m_cell) : QImage());
    return painted;
}

void CThumbView::applyGrid()
{
    if (m_cell.isEmpty())
        return;
    const int width = std::max(m_cell.width(), viewport()->width());
    setGridSize(QSize(width, m_cell.height() + fontMetrics().height() + kRowSpacingPx));
}

void CThumbView::RebuildThumbnails()
{
    if (ItemCount() > 0)
        StopBuilding();
    if (ItemCount() > 0 && viewport()->width() > kMinPaneWidthPx && setUpCells()) {
        executeDelayedItemsLayout();
        const int first = firstVisibleRow();
        const int visible = viewport()->height() / std::max(1, gridSize().height()) + 1;
        std::vector<ThumbJob> jobs;
        jobs.reserve(size_t(ItemCount()));
        size_t onScreen = 0; // the first jobs: the cells in view
        const std::vector<int> order = PaintOrder(ItemCount(), first, visible);
        for (size_t i = 0; i < order.size(); ++i) {
            const ThumbItem& item = m_model->Items()[size_t(order[i])];
            if (item.skip)
                continue;
            jobs.push_back(ThumbJob{item.id, item.path});
            if (i < size_t(visible))
                onScreen = jobs.size();
        }
        m_building = true;
        m_generation = m_builder->Start(jobs, columnStyle(), {}, onScreen);
        emit building(true);
    }
    emit thumbnailsRebuilt();
}

// Pictures come as JPEG bytes, placed in their cells only when shown (those on
// screen when the build starts come with their cells made), and go through the
// desktop's shared thumbnail cache, written once the cells on screen are in.
ThumbStyle CThumbView::columnStyle() const
{
    ThumbStyle style;
    style.box = m_cell;
    style.inCell = true; // cells on screen come made, the rest as bytes alone
    style.compressed = true;
    style.sharedCache = true;
    style.freshFiles = m_readAfresh;
    return style;
}

int CThumbView::firstVisibleRow()
{
    const QModelIndex top = indexAt(QPoint(viewport()->width() / 2, 1));
    return top.isValid() ? top.row() : 0;
}

void CThumbView::StopBuilding()
{
    m_builder->Stop();
    if (m_building) {
        m_building = false;
        emit building(false);
    }
}

void CThumbView::onPicture(quint64 generation, quint64 id, const QByteArray& jpeg,
                           const QImage& cell)
{
    if (generation == m_generation && !jpeg.isEmpty())
        m_model->SetCompressedPicture(id, jpeg, cell);
}

void CThumbView::onBuildFinished(quint64 generation)
{
    if (generation != m_generation || !m_building)
        return;
    m_building = false;
    emit building(false);
}

void CThumbView::resizeEvent(QResizeEvent* event)
{
    QListView::resizeEvent(event);
    applyGrid(); // one cell per row at any width
    // A taller or shorter pane (the window maximised, the frame resized) gets
    // cells of its own size once the resizing has settled.
    if (ItemCount() > 0 && !m_cell.isEmpty() && cellForPane() != m_cell)
        m_resizeSettle->start();
}

void CThumbView::onResizeSettled()
{
    if (ItemCount() > 0 && !m_cell.isEmpty() && cellForPane() != m_cell &&
        viewport()->width() > kMinPaneWidthPx)
        RebuildThumbnails();
}

// ---------------------------------------------------------------- selection

int CThumbView::ItemCount() const
{
    return m_model->rowCount();
}

QList<int> CThumbView::SelectedRows() const
{
    QList<int> rows;
    for (const QModelIndex& index : selectionModel()->selectedIndexes())
        rows << index.row();
    std::sort(rows.begin(), rows.end());
    return rows;
}

int CThumbView::SelectedIndex() const
{
    const QList<int> rows = SelectedRows();
    return rows.isEmpty() ? -1 : rows.first();
}

QString CThumbView::SelectedPath() const
{
    return PathAt(SelectedIndex());
}

QStringList CThumbView::SelectedPaths() const
{
    QStringList paths;
    for (int row : SelectedRows())
        paths << PathAt(row);
    return paths;
}

QString CThumbView::PathAt(int index) const
{
    const ThumbItem* item = m_model->ItemAt(index);
    return item ? item->path : QString();
}

void CThumbView::selectOnly(int row)
{
    selectionModel()->setCurrentIndex(m_model->index(row), QItemSelectionModel::ClearAndSelect);
}

// index -1 stands for the first selected item; with none, item 0 is selected.
// From the index, SelectPrev moves one back, else SelectNext one on. The old
// selection is cleared only when there is somewhere to move, so a step past
// either end keeps the highlight where it was.
bool CThumbView::SelectItem(int flags, int index)
{
    const int count = ItemCount();
    int target = -1;
    if (index == -1)
        index = SelectedIndex();
    if (index == -1) {
        if (count == 0)
            return false;
        target = 0;
    } else if ((flags & SelectPrev) && index - 1 >= 0 && index - 1 < count) {
        target = index - 1;
    } else if ((flags & SelectNext) && index + 1 < count && index + 1 >= 0) {
        target = index + 1;
    } else {
        return false;
    }
    selectOnly(target);
    scrollTo(m_model->index(target));
    m_current = target;
    return true;
}

bool CThumbView::openPath(const QString& path)
{
    return m_hooks && m_hooks->OpenPath(path);
}

bool CThumbView::OpenItem(int index)
{
    if (index < 0 || index >= ItemCount())
        return false;
    m_current = index;
    return openPath(PathAt(index));
}

bool CThumbView::GetItemPath(int index, QString& path) const
{
    path = PathAt(index);
    return !path.isEmpty();
}

bool CThumbView::GetNextPath(QString& path, bool move)
{
    path = PathAt(SelectedIndex() < 0 ? -1 : SelectedIndex() + 1);
    if (move)
        return SelectItem(SelectNext, -1);
    return true;
}

bool CThumbView::GetPrevPath(QString& path, bool move)
{
    path = SelectedIndex() > 0 ? PathAt(SelectedIndex() - 1) : QString();
    if (move)
        return SelectItem(SelectPrev, -1);
    return true;
}

void CThumbView::OpenFirst()
{
    OpenItem(0);
    SelectItem(SelectPrev, 1);
}

void CThumbView::OpenLast()
{
    const int n = ItemCount();
    OpenItem(n - 1);
    SelectItem(SelectNext, n - 2);
}

QString CThumbView::OpenPrevious()
{
    QString path;
    if (!GetPrevPath(path, true) || path.isEmpty())
        return QString();
    openPath(path);
    return path;
}

QString CThumbView::OpenNext()
{
    QString path;
    if (!GetNextPath(path, true) || path.isEmpty())
        return QString();
    openPath(path);
    return path;
}

// ---------------------------------------------------------------- mouse and keys

void CThumbView::mouseReleaseEvent(QMouseEvent* event)
{
    m_clickModifiers = event->modifiers();
    QListView::mouseReleaseEvent(event);
}

void CThumbView::onClicked(const QModelIndex& index)
{
    if (!index.isValid())
        return;
    m_lastClicked = index.row();
    const QString path = PathAt(index.row());
    if (!(m_clickModifiers & (Qt::ShiftModifier | Qt::ControlModifier)))
        OpenItem(index.row());
    if (m_hooks)
        m_hooks->ShowItemText(path);
}

void CThumbView::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_A) {
        if (event->modifiers() & Qt::ControlModifier)
            selectAll();
        event->accept(); // a plain "A" does nothing
        return;
    }
    if (event->key() == Qt::Key_Delete) {
        m_targetIndex = SelectedIndex();
        if (m_targetIndex >= 0) {
            if (operationRunning())
                ask(MsgOperationRunning, QMessageBox::Ok, QMessageBox::NoIcon, QMessageBox::Ok);
            else
                DeleteSelected();
        }
        event->accept();
        return;
    }
    QListView::keyPressEvent(event);
}

void CThumbView::contextMenuEvent(QContextMenuEvent* event)
{
    // Mouse requests come through the viewport, in its coordinates.
    const QModelIndex hit = indexAt(event->pos());
    m_targetIndex = hit.isValid() ? hit.row() : -1;
    if (!hit.isValid())
        return;
    if (operationRunning()) {
        ask(MsgOperationRunning, QMessageBox::Ok, QMessageBox::NoIcon, QMessageBox::Ok);
        return;
    }
    QMenu* menu = m_hooks ? m_hooks->ContextMenu(this) : nullptr;
    if (menu)
        menu->exec(event->globalPos());
}

void CThumbView::startDrag(Qt::DropActions)
{
    QMimeData* mime = m_model->mimeData(selectionModel()->selectedIndexes());
    if (!mime)
        return;
    auto* drag = new QDrag(this);
    drag->setMimeData(mime);
    const QModelIndex first = m_model->index(SelectedIndex());
    const QPixmap picture = qvariant_cast<QPixmap>(m_model->data(first, Qt::DecorationRole));
    if (!picture.isNull())
        drag->setPixmap(picture.scaled(picture.size() / 2, Qt::KeepAspectRatio));
    // A move is offered as well, but the list stays as it is whatever the target did.
    drag->exec(Qt::CopyAction | Qt::MoveAction, Qt::CopyAction);
}

// ---------------------------------------------------------------- delete and clear

bool CThumbView::operationRunning() const
{
    return m_hooks && m_hooks->ImageOperationRunning();
}

QMessageBox::StandardButton CThumbView::ask(int id, QMessageBox::StandardButtons buttons,
                                            QMessageBox::Icon icon,
                                            QMessageBox::StandardButton defaultButton)
{
    if (!m_window)
        return QMessageBox::Cancel;
    // The window's buttons and icons have Qt's values and order.
    return QMessageBox::StandardButton(m_window->Ask(
        this, m_window->Text(id), IWindowServices::Buttons(int(buttons)),
        IWindowServices::Icon(int(icon)), IWindowServices::Button(int(defaultButton))));
}

void CThumbView::DeleteSelected()
{
    const QList<int> rows = SelectedRows();
    if (rows.isEmpty())
        return;
    if (m_building) {
        ask(MsgRebuilding, QMessageBox::Ok, QMessageBox::NoIcon, QMessageBox::Ok);
        return;
    }
    const QPointer<CThumbView> alive(this);
    const auto answer =
        ask(MsgConfirmDelete, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel,
            QMessageBox::Question, QMessageBox::No);
    if (!alive || answer == QMessageBox::Cancel)
        return;
    // The list may have changed under the box (a photo came in): delete what
    // was selected, found again by path.
    QStringList paths;
    for (int row : rows)
        paths << PathAt(row);
    int firstRemoved = -1;
    for (auto it = paths.crbegin(); it != paths.crend(); ++it) {
        const int row = m_model->RowOfPath(*it);
        if (row < 0)
            continue;
        if (answer == QMessageBox::Yes && !it->isEmpty())
            ::unlink(scriva::NativePath(*it).constData()); // a file already gone is no error
        m_model->RemoveRow(row);
        m_doc.RecognisedTexts().erase(*it);
        emit fileRemoved(*it);
        firstRemoved = row;
    }
    afterDelete(firstRemoved);
    m_targetIndex = -1;
}

// The item now at the first removed place (else the last one) becomes
// current, highlighted and opened; with none left the document is cleared.
void CThumbView::afterDelete(int firstRemoved)
{
    const int count = ItemCount();
    if (count == 0) {
        m_current = -1;
        openPath(QString());
        return;
    }
    const int row = std::clamp(firstRemoved, 0, count - 1);
    selectOnly(row);
    scrollTo(m_model->index(row));
    OpenItem(row);
}

void CThumbView::ClearAll()
{
    const auto answer =
        ask(MsgConfirmDelete, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel,
            QMessageBox::Question, QMessageBox::No);
    if (answer == QMessageBox::Cancel)
        return;
    // The document lets go of its image first; if the user keeps an unsaved
    // edit there, nothing is deleted.
    if (!openPath(QString()) && m_hooks)
        return;
    StopBuilding();
    m_folder.clear();
    if (answer == QMessageBox::Yes) {
        for (const ThumbItem& item : m_model->Items())
            if (!item.path.isEmpty() && !item.skip)
                ::unlink(scriva::NativePath(item.path).constData());
    }
    m_doc.RecognisedTexts().clear();
    m_model->Clear();
    m_cell = QSize();
    m_current = -1;
    m_targetIndex = -1;
    emit listCleared();
}

// ---------------------------------------------------------------- commands

void CThumbView::OnDocumentUpdate(int) {}

bool CThumbView::OnCommand(int id)
{
    switch (id) {
    case CmdDelete:
        DeleteSelected();
        return true;
    case CmdRebuild:
        // Asked for by the user: every file is read again, whatever the
        // shared cache holds for it.
        m_readAfresh = true;
        RebuildThumbnails();
        m_readAfresh = false;
        return true;
    case CmdClearAll:
        ClearAll();
        return true;
    default:
        return false;
    }
}

std::optional<CommandState> CThumbView::OnUpdateCommand(int id) const
{
    switch (id) {
    case CmdDelete:
        return CommandState::Enabled(!SelectedRows().isEmpty());
    case CmdRebuild:
    case CmdClearAll:
        return CommandState::Enabled(ItemCount() > 0);
    default:
        return std::nullopt;
    }
}
