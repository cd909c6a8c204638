// The main frame's part in text recognition: the recognition commands get
// the thumbnail selection, the text pane, the search bar and the program's
// message boxes, the image view's region tools reach the engine, and the
// stored texts follow the thumbnails that go away.

#include "app/frame/CMainFrame.h"

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

void CMainFrame::createRecognition()
{
    OcrHooks h;
    h.settings = m_services.ocrSettings;
    h.window = [this] { return static_cast<QWidget*>(this); };
    h.rightAreaMode = [this] { return RightAreaMode(); };
    h.selectedPaths = [this] { return thumbView()->SelectedPaths(); };
    h.allFiles = [this] { return m_listedFiles; };
    h.image = [this] { return m_doc.GetImage(); };
    h.setTool = [this](int tool) { m_doc.ToggleTool(tool); };
    h.pane = [this] { return recognizeView(); };
    h.showResultPane = [this](bool half) { ShowResultPane(half); };
    h.showSearchBar = [this] {
        m_searchBar->show();
        m_searchBar->raise();
        m_searchBar->activateWindow(); // floating, it is a window of its own
        m_searchBar->searchEdit()->setFocus();
    };
    h.searchText = [this] { return m_searchBar->searchEdit()->text(); };
    h.showFiles = [this](const QStringList& paths) { thumbView()->SetItems(itemsFor(paths)); };
    h.openPath = [this](const QString& path) {
        if (path.isEmpty()) {
            // Nothing found: the empty document, with no text in the pane.
            if (m_doc.OpenPath(QString()) && recognizeView())
                recognizeView()->SetResultText(QString(), QString());
            return;
        }
        if (!thumbView()->OpenItem(0)) {
            m_doc.SetPathName(path);
            return;
        }
        // The found file is the selected one too, for saving its text.
        thumbView()->SelectItem(CThumbView::SelectNext, -1);
    };
    h.setBusy = m_services.setRecognizing;
    m_recognition = new RecognitionCommands(m_doc, *m_services.window, h, this);
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
