#include "RecognitionCommands.h"

#include "CRecognizeView.h"
#include "RecognitionWaitDialog.h"
#include "image/cximage/CxImage.h"
#include "ocr/FileRecognition.h"
#include "ocr/RecognizedTexts.h"

#include <QApplication>
#include <QDrag>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontMetrics>
#include <QMessageBox>
#include <QMimeData>
#include <QPainter>
#include <QThread>
#include <algorithm>
#include <atomic>
#include <memory>

using namespace scriva::ocr;

namespace {

const QString kRegionErrorCaption = QStringLiteral("occur error");
constexpr int kDragMargin = 5;
const QColor kDragText(0xFF, 0x00, 0x00);

// Relays the workers' progress to the dialog (a queued connection).
class ProgressRelay : public QObject
{
    Q_OBJECT
signals:
    void progress(int done, int total);
};

QString askWithFileDialog(QWidget* parent, const QString& proposal, const QStringList& filters)
{
    QFileDialog dialog(parent);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setNameFilters(filters);
    dialog.selectFile(proposal);
    auto suffixOf = [](const QString& filter) {
        const int star = filter.indexOf(QLatin1String("*."));
        return star < 0 ? QString() : filter.mid(star + 2).section(QLatin1Char(')'), 0, 0);
    };
    dialog.setDefaultSuffix(suffixOf(filters.value(0)));
    QObject::connect(
        &dialog, &QFileDialog::filterSelected, &dialog,
        [&dialog, suffixOf](const QString& f) { dialog.setDefaultSuffix(suffixOf(f)); });
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    return dialog.selectedFiles().first();
}

} // namespace

RecognitionCommands::RecognitionCommands(CScrivaDoc& doc, OcrHooks hooks, QObject* parent)
    : QObject(parent), m_doc(doc), m_hooks(std::move(hooks))
{
    if (!m_hooks.askSavePath) {
        m_hooks.askSavePath = [this](const QString& proposal, const QStringList& filters) {
            return askWithFileDialog(m_hooks.window ? m_hooks.window() : nullptr, proposal,
                                     filters);
        };
    }
    if (!m_hooks.showBox) {
        m_hooks.showBox = [this](const QString& text, const QString& caption, bool info) {
            QMessageBox box(info ? QMessageBox::Information : QMessageBox::Critical, caption, text,
                            QMessageBox::Ok, m_hooks.window ? m_hooks.window() : nullptr);
            box.exec();
        };
    }
    m_engine.SetSettingsReader([this] { return settings(); });
}

RecognitionCommands::~RecognitionCommands() = default;

QString RecognitionCommands::string(int id) const
{
    return m_hooks.string ? m_hooks.string(id) : QString();
}

OcrSettings RecognitionCommands::settings() const
{
    return m_hooks.settings ? m_hooks.settings() : OcrSettings::Defaults();
}

bool RecognitionCommands::imageViewShown() const
{
    return m_hooks.rightAreaMode && m_hooks.rightAreaMode() == scriva::mode::kImage;
}

QString RecognitionCommands::firstSelected() const
{
    const QStringList paths = m_hooks.selectedPaths ? m_hooks.selectedPaths() : QStringList();
    return paths.value(0);
}

bool RecognitionCommands::OnCommand(int id)
{
    switch (id) {
    case CmdRecognizeChinese:
    case CmdRecognizeWestern:
        if (imageViewShown())
            RecognizeSelected(id == CmdRecognizeChinese ? kLanguageChinese : kLanguageLatin);
        return true;
    case CmdRegionChinese:
    case CmdRegionWestern:
        ActivateRegionTool(id);
        return true;
    case CmdSaveText:
    case CmdSaveTextWord:
        SaveText(id == CmdSaveTextWord);
        return true;
    case CmdShowSearchBar:
        if (m_hooks.showSearchBar)
            m_hooks.showSearchBar();
        return true;
    case CmdSearch:
        Search(m_hooks.searchText ? m_hooks.searchText() : QString());
        return true;
    case CmdShowAll:
        Search(QString());
        return true;
    default:
        return false;
    }
}

std::optional<CommandState> RecognitionCommands::OnUpdateCommand(int id) const
{
    switch (id) {
    case CmdRecognizeChinese:
    case CmdRecognizeWestern:
    case CmdShowSearchBar:
        return CommandState::Enabled(imageViewShown() && !m_running);
    case CmdSaveText:
    case CmdSaveTextWord: {
        QString text;
        return CommandState::Enabled(LookupText(m_doc.RecognisedTexts(), text, firstSelected()));
    }
    case CmdSearch:
    case CmdShowAll:
        return CommandState::Enabled(!m_running);
    default:
        return std::nullopt;
    }
}

void RecognitionCommands::RecognizeSelected(int language)
{
    const QStringList paths = m_hooks.selectedPaths ? m_hooks.selectedPaths() : QStringList();
    if (m_running || paths.isEmpty())
        return;
    RecognitionOptions options;
    options.language = language;
    options.settings = [s = settings()] { return s; }; // the worker reads no live store
    const QString failure = string(scriva::str::kNotRecognised);
    auto cancel = std::make_shared<std::atomic<bool>>(false);
    auto post = m_hooks.postFinished;

    RecognitionWaitDialog dialog(m_hooks.string, int(paths.size()),
                                 m_hooks.window ? m_hooks.window() : nullptr);
    ProgressRelay relay;
    connect(&relay, &ProgressRelay::progress, &dialog, &RecognitionWaitDialog::SetProgress,
            Qt::QueuedConnection);
    connect(&dialog, &RecognitionWaitDialog::cancelRequested, this, [cancel] { *cancel = true; });
    std::unique_ptr<QThread> worker(QThread::create([=, &relay] {
        const auto results = RecognizeFiles(paths, options, cancel.get(),
                                            [&relay](int d, int t) { emit relay.progress(d, t); });
        QVariantMap texts;
        for (const FileResult& r : results) {
            if (r.done)
                texts.insert(r.path, StoredTextFor(r, failure));
        }
        if (post)
            post(texts);
    }));
    connect(worker.get(), &QThread::finished, &dialog, &RecognitionWaitDialog::Finish,
            Qt::QueuedConnection);
    m_running = true;
    if (m_hooks.setBusy)
        m_hooks.setBusy(true);
    worker->start();
    dialog.exec();
    worker->wait();
    m_running = false;
    if (m_hooks.setBusy)
        m_hooks.setBusy(false);
}

void RecognitionCommands::ActivateRegionTool(int id)
{
    m_regionLanguage = id == CmdRegionChinese ? kLanguageChinese : kLanguageLatin;
    if (m_hooks.setTool)
        m_hooks.setTool(id);
    if (m_hooks.showResultPane)
        m_hooks.showResultPane(true);
}

bool RecognitionCommands::RecognizeSelection(const QRect& imageRect, QString& text)
{
    text.clear();
    const CxImage* current = m_hooks.image ? m_hooks.image() : nullptr;
    bool ok = false;
    if (current && current->IsValid()) {
        QApplication::setOverrideCursor(Qt::BusyCursor);
        m_engine.SetCodeMode(CodeModeFor(settings().interfaceCode));
        if (m_engine.Start(m_regionLanguage)) {
            CxImage copy(*current);
            ok = m_engine.RecognizeRegion(copy, imageRect.left(), imageRect.top(),
                                          imageRect.left() + imageRect.width(),
                                          imageRect.top() + imageRect.height(), text);
        }
        QApplication::restoreOverrideCursor();
    }
    if (ok)
        return true;
    QString message;
    int code = 0;
    m_engine.GetEngineError(message, code); // not shown: the box says it in the user's words
    m_hooks.showBox(string(scriva::str::kNotRecognised), kRegionErrorCaption, true);
    return false;
}

void RecognitionCommands::DragRegionText(QWidget* source, const QRect& imageRect)
{
    QString text;
    if (!source || !RecognizeSelection(imageRect, text))
        return;
    auto* drag = new QDrag(source);
    auto* data = new QMimeData;
    data->setData(QLatin1String(CRecognizeView::kRegionTextMime), text.toUtf8());
    drag->setMimeData(data);
    drag->setPixmap(MakeTextDragImage(*source, text));
    drag->setHotSpot(QPoint(0, 0));
    drag->exec(Qt::CopyAction);
}

QPixmap RecognitionCommands::MakeTextDragImage(const QWidget& window, const QString& text)
{
    // At most 99 lines split off, the rest of the text is the last one.
    QStringList lines = text.split(QLatin1Char('\n'));
    if (lines.size() > kMaxDragLines) {
        const QStringList rest = lines.mid(kMaxDragLines - 1);
        lines = lines.mid(0, kMaxDragLines - 1);
        lines << rest.join(QLatin1Char('\n'));
    }
    const QFontMetrics fm(window.font());
    int width = 0;
    int count = 0;
    bool leading = true;
    for (const QString& line : lines) {
        width = std::max(width, fm.horizontalAdvance(line));
        leading = leading && !line.trimmed().isEmpty();
        count += leading ? 1 : 0;
    }
    const int lineHeight = fm.height();
    const QSize size(width + kDragMargin, lineHeight * std::max(count, 1) + kDragMargin);
    // A transparent ground rather than a colour key: the text's smoothed
    // edges then stay red instead of mixing with the key colour.
    QPixmap pixmap(size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setFont(window.font());
    p.setPen(kDragText);
    p.drawText(QRect(QPoint(0, 0), size), Qt::TextWordWrap, text);
    p.end();
    return pixmap;
}

bool RecognitionCommands::SaveText(bool wordFile)
{
    const QString path = firstSelected();
    QString text;
    if (!LookupText(m_doc.RecognisedTexts(), text, path))
        return false;
    const QFileInfo info(path);
    QString proposal;
    QStringList filters;
    if (wordFile) {
        const QString doc = m_doc.PathName().isEmpty() ? path : m_doc.PathName();
        const QFileInfo docInfo(doc);
        proposal = docInfo.dir().filePath(docInfo.completeBaseName());
        filters = {QStringLiteral("Word (*.doc)"), QStringLiteral("All (*)")};
    } else {
        proposal = info.dir().filePath(info.fileName().section(QLatin1Char('.'), 0, 0));
        filters = {QStringLiteral("Text (*.txt)"), QStringLiteral("Word (*.doc)"),
                   QStringLiteral("Excel (*.xls)"), QStringLiteral("All (*)")};
    }
    const QString target = m_hooks.askSavePath(proposal, filters);
    if (target.isEmpty())
        return false;
    // The pane may show another image's text: it is saved only when it belongs here.
    CRecognizeView* pane = m_hooks.pane ? m_hooks.pane() : nullptr;
    if (pane && pane->TextPath() == path)
        text = pane->StoredText();
    QString error;
    if (WriteTextFile(target, text, &error))
        return true;
    m_hooks.showBox(string(scriva::str::kFileNotWritten) + QStringLiteral("\n") + target +
                        QStringLiteral("\n") + error,
                    QString(), false);
    return false;
}

void RecognitionCommands::showInPane(const QString& path, const QString& text)
{
    if (m_hooks.showResultPane)
        m_hooks.showResultPane(true);
    if (CRecognizeView* pane = m_hooks.pane ? m_hooks.pane() : nullptr)
        pane->SetResultText(path, text);
}

void RecognitionCommands::Search(const QString& needle)
{
    QStringList paths = needle.isEmpty() ? (m_hooks.allFiles ? m_hooks.allFiles() : QStringList())
                                         : PathsContaining(m_doc.RecognisedTexts(), needle);
    std::sort(paths.begin(), paths.end());
    paths.erase(std::unique(paths.begin(), paths.end()), paths.end());
    if (m_hooks.showFiles)
        m_hooks.showFiles(paths);
    if (paths.isEmpty()) {
        if (m_hooks.openPath)
            m_hooks.openPath(QString());
        return;
    }
    if (m_hooks.openPath)
        m_hooks.openPath(paths.first());
    QString text; // a file without a text gets no empty one here
    if (LookupText(m_doc.RecognisedTexts(), text, paths.first()) && !text.isEmpty())
        showInPane(paths.first(), text);
}

#include "RecognitionCommands.moc"
