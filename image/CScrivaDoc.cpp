// The document's state, opening and saving.

#include "CScrivaDoc.h"

#include "FileReason.h"
#include "IDocumentView.h"
#include "IImageView.h"
#include "IThumbList.h"
#include "ViewGeometry.h"
#include "config/FileTypeTable.h"
#include "config/NativePath.h"

#include <QCoreApplication>
#include <QCursor>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <algorithm>
#include <sys/stat.h>

namespace {

const char* const kUnreadable = "The picture does not exist, has been removed.";
const QString kUntitled = QStringLiteral("UntitledImage");
const QString kForbiddenInProposal = QStringLiteral("#%;/\\");
constexpr int kBmpForTemporary = CXIMAGE_FORMAT_BMP;

// The text after the last dot, lower-cased; empty when there is none.
QString extensionOf(const QString& path)
{
    const int dot = path.lastIndexOf(QLatin1Char('.'));
    const int slash = path.lastIndexOf(QLatin1Char('/'));
    if (dot < 0 || dot < slash)
        return {};
    return path.mid(dot + 1).toLower();
}

// The path without the text from its last dot (the folder is kept).
QString withoutExtension(const QString& path)
{
    const int dot = path.lastIndexOf(QLatin1Char('.'));
    const int slash = path.lastIndexOf(QLatin1Char('/'));
    return dot > slash ? path.left(dot) : path;
}

// A folder, named pipe, socket or device under an image's name (or a link to
// one). Reading a pipe or a device could wait for ever, so such a path is
// refused before it is opened; stat itself does not wait on them.
bool isSpecialFile(const QString& path)
{
    struct stat st = {};
    return ::stat(scriva::NativePath(path).constData(), &st) == 0 && !S_ISREG(st.st_mode);
}

// The image of a file; null when it cannot be read, with the decoder's text
// in `error` when one is given.
std::unique_ptr<CxImage> loadImage(const QString& path, int format, QString* error = nullptr)
{
    auto image = std::make_unique<CxImage>(scriva::NativePathString(path), uint32_t(format));
    if (!image->IsValid()) {
        if (error)
            *error = QString::fromUtf8(image->GetLastError());
        return nullptr;
    }
    return image;
}

QStringList emptyPanes()
{
    QStringList texts;
    for (int i = 0; i < CScrivaDoc::StatusPaneCount; ++i)
        texts << QString();
    return texts;
}

// A wait cursor for as long as it lives.
struct WaitCursor
{
    WaitCursor() { QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor)); }
    ~WaitCursor() { QGuiApplication::restoreOverrideCursor(); }
};

// The services of a document without windows: no texts, no boxes (a
// question is answered No), no folder chosen.
class NoWindow : public IWindowServices
{
public:
    QString Text(int) const override { return {}; }
    Button Ask(QWidget*, const QString&, Buttons, Icon, Button, const QString&) override
    {
        return NoButton;
    }
    QString ChooseFolder(QWidget*, const QString&, const QString&) override { return {}; }
    void SetBusyCursor(bool) override {}
    void Post(std::function<void()> task) override
    {
        QMetaObject::invokeMethod(QCoreApplication::instance(), std::move(task),
                                  Qt::QueuedConnection);
    }
};

DocumentHost& plainHost()
{
    static DocumentHost host;
    return host;
}

IWindowServices& noWindow()
{
    static NoWindow window;
    return window;
}

} // namespace

CScrivaDoc::CScrivaDoc(QObject* parent)
    : QObject(parent), m_host(&plainHost()), m_window(&noWindow())
{
    m_lasso.reserve(kLassoCapacity);
}

CScrivaDoc::~CScrivaDoc() = default;

void CScrivaDoc::SetHost(DocumentHost& host, IWindowServices& window)
{
    m_host = &host;
    m_window = &window;
}

void CScrivaDoc::ClearHost()
{
    SetHost(plainHost(), noWindow());
}

QString CScrivaDoc::Title() const
{
    if (m_pathName.isEmpty())
        return m_defaultTitle;
    return QFileInfo(m_pathName).fileName();
}

void CScrivaDoc::SetPathName(const QString& path, bool addToRecent)
{
    if (addToRecent && !path.isEmpty())
        m_host->AddRecentFile(path);
    if (path == m_pathName)
        return;
    m_pathName = path;
    emit pathChanged(path);
}

bool CScrivaDoc::HasImage() const
{
    return m_image && m_image->IsValid();
}

void CScrivaDoc::SetImage(std::unique_ptr<CxImage> image)
{
    ClearMarks();
    m_lasso.clear();
    m_image = std::move(image);
    repaintImageView();
    UpdateStatus(StatusAll);
    emit imageChanged();
}

void CScrivaDoc::PushUndo()
{
    m_undo.Push(m_image.get());
}

bool CScrivaDoc::OnUndo()
{
    m_lasso.clear();
    return m_undo.Undo(m_image) && historyStepped();
}

bool CScrivaDoc::OnRedo()
{
    m_lasso.clear();
    return m_undo.Redo(m_image) && historyStepped();
}

bool CScrivaDoc::historyStepped()
{
    ClearMarks();
    repaintImageView();
    UpdateStatus(StatusAll);
    emit imageChanged();
    return true;
}

bool CScrivaDoc::OpenDocument(const QString& path)
{
    const int format = int(CxImage::FormatFromExtension(extensionOf(path).toLatin1().constData()));
    if (format == 0) {
        message(QString::fromLatin1(kUnreadable));
        return false;
    }
    if (refuseSpecialFile(path))
        return false;
    if (!SaveModified())
        return false;
    QString error;
    std::unique_ptr<CxImage> image = loadImage(path, format, &error);
    if (!image) {
        // The image shown so far stays. The box names the file and why.
        message(QString::fromLatin1(kUnreadable) + QStringLiteral("\r\n") + path +
                QStringLiteral("\r\n") + scriva::image::ReadFailureReason(path, error));
        return false;
    }
    m_image = std::move(image);
    // An image opened while the camera is shown brings the image view back.
    if (!m_imageView)
        m_host->SwitchRightPane();
    listInThumbnails(path);
    if (!m_fileList.contains(path))
        m_fileList << path;
    afterOpen(path);
    return true;
}

bool CScrivaDoc::OpenPath(const QString& path)
{
    if (path.isEmpty()) {
        if (!SaveModified())
            return false;
        m_image.reset();
        ClearMarks();
        m_undo.Clear();
        repaintImageView();
        SetPathName(QString());
        m_stamp = {};
        emit statusPanesChanged(StatusAll, emptyPanes());
        emit imageChanged();
        return true;
    }
    const int format = int(CxImage::FormatFromNameEnd(path.toUtf8().constData()));
    if (format == 0 || refuseSpecialFile(path))
        return true;
    if (!SaveModified())
        return false;
    // An unreadable file leaves no image; nothing is said (a thumbnail of it
    // shows that already).
    m_image = loadImage(path, format);
    if (!m_imageView)
        m_host->SwitchRightPane();
    afterOpen(path);
    return true;
}

bool CScrivaDoc::refuseSpecialFile(const QString& path) const
{
    if (!isSpecialFile(path))
        return false;
    QString text = string(StrNotARegularFile);
    if (text.isEmpty())
        text = QStringLiteral("%1\nis not a regular file and is not opened.");
    message(text.arg(path));
    return true;
}

void CScrivaDoc::afterOpen(const QString& path)
{
    FitZoom();
    ResetTool();
    ClearMarks();
    m_tool = 0;
    m_lasso.clear();
    m_undo.Clear();
    SetPathName(path, true);
    m_stamp = stampOf(path);
    TakeBackup();
    repaintImageView();
    UpdateStatus(StatusAll);
    showRecognisedText(path);
    emit imageChanged();
}

void CScrivaDoc::listInThumbnails(const QString& path)
{
    IThumbList* thumbs = m_host->Thumbs();
    if (!thumbs)
        return;
    const int listed = thumbs->IndexOfPath(path);
    if (listed >= 0) {
        // Already in the column: that item becomes current.
        thumbs->SelectItem(IThumbList::SelectNext, listed - 1);
        return;
    }
    thumbs->AddFile(path);
    thumbs->SelectItem(IThumbList::SelectNext, thumbs->CurrentIndex() - 1);
}

void CScrivaDoc::listCopyInThumbnails(const QString& path)
{
    IThumbList* thumbs = m_host->Thumbs();
    if (!thumbs)
        return;
    const int current = thumbs->CurrentIndex();
    thumbs->AddFile(path);
    if (current >= 0)
        thumbs->SelectItem(IThumbList::SelectPrev, current + 1);
    UpdateStatus(StatusAll);
}

void CScrivaDoc::showRecognisedText(const QString& path)
{
    const auto found = m_texts.find(path);
    const bool known = found != m_texts.end();
    m_host->ShowResultPane(known);
    m_host->SetResultText(path, known ? found->second : QString());
}

bool CScrivaDoc::SaveModified()
{
    // The text pane's edits belong to the image it was recognised from.
    m_host->KeepResultEdits();
    if (IsModified()) {
        const QString question = string(StrAskToSave) + QStringLiteral("\r\n") + m_pathName;
        if (m_window->AskYesNo(m_host->BoxParent(), question) && !DoSave(m_pathName, true))
            return false; // the edits stay
    }
    m_undo.Clear();
    return true;
}

QString CScrivaDoc::saveProposal(bool replace) const
{
    QString proposal = withoutExtension(m_pathName);
    if (replace && proposal.isEmpty())
        proposal = withoutExtension(Title());
    const int slash = proposal.lastIndexOf(QLatin1Char('/'));
    const QString name = proposal.mid(slash + 1);
    if (std::any_of(name.begin(), name.end(),
                    [](QChar c) { return kForbiddenInProposal.contains(c); }))
        proposal = proposal.left(slash + 1) + kUntitled;
    return proposal;
}

bool CScrivaDoc::DoSave(const QString& givenPath, bool replace)
{
    if (!HasImage())
        return false;
    QString path = givenPath;
    if (path.isEmpty() || !scriva::FileTypeTable::CanSave(int(m_image->GetType()))) {
        path = saveProposal(replace);
        int type = int(m_image->GetType());
        const QString title = string(replace ? StrSaveAsTitle : StrSaveCopyTitle);
        const bool chosen = m_host->PromptSaveName(path, type, title);
        if (!chosen) {
            m_chosenType = 0;
            return false;
        }
        m_chosenType = type;
    }
    const bool pdf = m_chosenType == scriva::FileTypeTable::Pdf;
    bool saved = false;
    {
        WaitCursor wait;
        saved = OnSaveDocument(path);
    }
    // A PDF export leaves the document as it is: its image was not saved.
    if (!saved || pdf)
        return saved;
    if (replace) {
        SetPathName(path, true);
        m_stamp = stampOf(path);
        m_undo.Clear();
        listInThumbnails(path);
        if (!m_fileList.contains(path))
            m_fileList << path;
        UpdateStatus(StatusAll);
    }
    return true;
}

bool CScrivaDoc::OnSaveDocument(const QString& path)
{
    const int chosen = m_chosenType;
    m_chosenType = 0; // one prompt, one save
    if (chosen == scriva::FileTypeTable::Pdf)
        return m_pdfExporter ? m_pdfExporter(path) : false;
    if (!HasImage())
        return false;
    const QString extension = extensionOf(path);
    if (extension.isEmpty())
        return false;
    int format = int(CxImage::FormatFromExtension(extension.toLatin1().constData()));
    if (extension == QLatin1String("tmp"))
        format = kBmpForTemporary;
    if (format == 0)
        return false;
    if (!mayReplace(path))
        return false; // the other program's file stays
    if (!m_image->Save(scriva::NativePathString(path), uint32_t(format))) {
        // The file and the reason (the system's, for a file that cannot be written).
        writeFailed(path, QString::fromUtf8(m_image->GetLastError()));
        return false;
    }
    if (path == m_pathName)
        m_stamp = stampOf(path);
    return true;
}

void CScrivaDoc::SetZoom(float zoom)
{
    m_zoom = zoom;
    updateAllViews(0);
}

bool CScrivaDoc::ZoomIn()
{
    if (!scriva::view::ZoomInStep(m_zoom))
        return false;
    updateAllViews(0);
    return true;
}

bool CScrivaDoc::ZoomOut()
{
    if (!scriva::view::ZoomOutStep(m_zoom))
        return false;
    updateAllViews(0);
    return true;
}

void CScrivaDoc::FitZoom()
{
    if (!m_imageView || !HasImage())
        return;
    const QSize client = m_imageView->ClientSize();
    m_zoom = scriva::view::FitZoom(client.width(), client.height(), int(m_image->GetWidth()),
                                   int(m_image->GetHeight()));
    updateAllViews(0);
}

void CScrivaDoc::SetListPosition(int index, int count)
{
    m_listIndex = index;
    m_listCount = std::max(0, count);
}

void CScrivaDoc::UpdateStatus(int what)
{
    if (!HasImage() || (what != StatusAll && what != StatusZoom))
        return;
    QStringList texts = emptyPanes();
    texts[4] = QString::asprintf("%4.1f %%", double(m_zoom) * 100.0);
    if (what == StatusAll) {
        if (IThumbList* thumbs = m_host->Thumbs())
            SetListPosition(thumbs->CurrentIndex(), thumbs->ItemCount());
        texts[0] = QString::asprintf("%d/%d", m_listIndex + 1, m_listCount);
        texts[1] = QFileInfo(m_pathName).fileName();
        // Whole kilobytes, as the status pane always showed them.
        texts[2] = QString::asprintf(
            "%6.1fkb", double(m_image->GetSize() / 1024)); // NOLINT(bugprone-integer-division)
        texts[3] = QString::asprintf("%dx%dx%d", int(m_image->GetWidth()),
                                     int(m_image->GetHeight()), int(m_image->GetBpp()));
    }
    emit statusPanesChanged(what, texts);
}

bool CScrivaDoc::IsBusy() const
{
    return m_workerBusy || m_host->ProgramBusy();
}

bool CScrivaDoc::ImageViewActive() const
{
    const int mode = m_host->RightAreaMode();
    return mode == ImageMode;
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

void CScrivaDoc::repaintImageView()
{
    if (m_imageView)
        m_imageView->Repaint();
}

CScrivaDoc::FileStamp CScrivaDoc::stampOf(const QString& path)
{
    FileStamp stamp;
    struct stat info = {};
    if (path.isEmpty() || ::stat(scriva::NativePath(path).constData(), &info) != 0)
        return stamp;
    stamp.known = true;
    stamp.device = quint64(info.st_dev);
    stamp.inode = quint64(info.st_ino);
    stamp.size = qint64(info.st_size);
    stamp.modifiedSec = qint64(info.st_mtim.tv_sec);
    stamp.modifiedNsec = qint64(info.st_mtim.tv_nsec);
    return stamp;
}

bool CScrivaDoc::mayReplace(const QString& path) const
{
    if (path != m_pathName || !m_stamp.known)
        return true;
    const FileStamp now = stampOf(path);
    // Gone since: nobody's file is replaced.
    if (!now.known || now == m_stamp)
        return true;
    const QString question = string(StrChangedOnDisk) + QStringLiteral("\r\n") + path;
    // A save shows the wait cursor; the question wants the arrow.
    const bool waiting = QGuiApplication::overrideCursor() != nullptr;
    if (waiting)
        QGuiApplication::changeOverrideCursor(QCursor(Qt::ArrowCursor));
    const bool yes = m_window->AskYesNo(m_host->BoxParent(), question);
    if (waiting)
        QGuiApplication::changeOverrideCursor(QCursor(Qt::WaitCursor));
    return yes;
}

QString CScrivaDoc::string(int id) const
{
    return m_window->Text(id);
}

void CScrivaDoc::writeFailed(const QString& path, const QString& writerText) const
{
    const QString reason = scriva::image::WriteFailureReason(path, writerText);
    message(string(StrFileNotWritten) + QStringLiteral("\r\n") + path + QStringLiteral("\r\n") +
            reason);
}

void CScrivaDoc::message(const QString& text) const
{
    m_window->Tell(m_host->BoxParent(), text, IWindowServices::Icon::Critical);
}

void CScrivaDoc::messageId(int id) const
{
    m_window->Tell(m_host->BoxParent(), id);
}
