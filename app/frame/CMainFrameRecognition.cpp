// The main frame's part in text recognition: the recognition commands get
// the thumbnail selection, the text pane, the search bar and the program's
// message boxes, the image view's region tools reach the engine, and the
// stored texts follow the thumbnails that go away.

#include "app/frame/CMainFrame.h"

#include "app/frame/FrameOcrHooks.h"
#include "app/frame/SearchBar.h"
#include "image/CScrivaDoc.h"
#include "ocr/ui/CRecognizeView.h"
#include "ocr/ui/RecognitionCommands.h"
#include "thumbs/ui/CThumbView.h"

#include <QFileInfo>
#include <QLineEdit>

namespace {

std::vector<ThumbItem> itemsFor(const QStringList& paths)
{
    std::vector<ThumbItem> items;
    items.reserve(size_t(paths.size()));
    for (const QString& path : paths) {
        ThumbItem item;
        item.path = path;
        item.name = QFileInfo(path).fileName();
        items.push_back(item);
    }
    return items;
}

} // namespace

scriva::ocr::OcrSettings FrameOcrHooks::Settings() const
{
    return m_frame.m_services.RecognitionSettings();
}

QWidget* FrameOcrHooks::DialogParent() const
{
    return &m_frame;
}

int FrameOcrHooks::RightAreaMode() const
{
    return m_frame.RightAreaMode();
}

QStringList FrameOcrHooks::SelectedPaths() const
{
    return m_frame.thumbView()->SelectedPaths();
}

QStringList FrameOcrHooks::AllFiles() const
{
    return m_frame.m_listedFiles;
}

const CxImage* FrameOcrHooks::Image() const
{
    return m_frame.m_doc.GetImage();
}

void FrameOcrHooks::SetTool(int tool)
{
    m_frame.m_doc.ToggleTool(tool);
}

CRecognizeView* FrameOcrHooks::Pane() const
{
    return m_frame.recognizeView();
}

void FrameOcrHooks::ShowResultPane(bool half)
{
    m_frame.ShowResultPane(half);
}

void FrameOcrHooks::ShowSearchBar()
{
    SearchBar* bar = m_frame.searchBar();
    bar->show();
    bar->raise();
    bar->activateWindow(); // floating, it is a window of its own
    bar->searchEdit()->setFocus();
}

QString FrameOcrHooks::SearchText() const
{
    return m_frame.searchBar()->searchEdit()->text();
}

void FrameOcrHooks::ShowFiles(const QStringList& paths)
{
    m_frame.thumbView()->SetItems(itemsFor(paths));
}

void FrameOcrHooks::OpenPath(const QString& path)
{
    CThumbView* thumbs = m_frame.thumbView();
    if (path.isEmpty()) {
        // Nothing found: the empty document, with no text in the pane.
        if (m_frame.m_doc.OpenPath(QString()) && m_frame.recognizeView())
            m_frame.recognizeView()->SetResultText(QString(), QString());
        return;
    }
    if (!thumbs->OpenItem(0)) {
        m_frame.m_doc.SetPathName(path);
        return;
    }
    // The found file is the selected one too, for saving its text.
    thumbs->SelectItem(CThumbView::SelectNext, -1);
}

void FrameOcrHooks::SetBusy(bool on)
{
    m_frame.m_services.SetRecognizing(on);
}

void CMainFrame::createRecognition()
{
    m_ocrHooks = std::make_unique<FrameOcrHooks>(*this);
    m_recognition = new RecognitionCommands(m_doc, m_services.Window(), *m_ocrHooks, this);
    // A region tool's rectangle pressed in the image view: its text is
    // recognised and dragged towards the text pane.
    m_doc.SetRegionRecognizer([this](QWidget* source, const QRect& imageRect) {
        m_recognition->DragRegionText(source, imageRect);
    });

    // Every file a folder scan or a photo brought in, for "Show all".
    connect(thumbView(), &CThumbView::filesListed, this, [this](const QStringList& paths) {
        for (const QString& path : paths) {
            if (!m_listedFiles.contains(path))
                m_listedFiles << path;
        }
    });
    // Texts live as long as their thumbnails.
    connect(thumbView(), &CThumbView::fileRemoved, this, [this](const QString& path) {
        m_doc.RecognisedTexts().erase(path);
        m_listedFiles.removeAll(path);
    });
    connect(thumbView(), &CThumbView::listCleared, this, [this] {
        m_doc.RecognisedTexts().clear();
        m_listedFiles.clear();
    });
}
