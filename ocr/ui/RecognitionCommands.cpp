#include "RecognitionCommands.h"

#include "CRecognizeView.h"
#include "RecognitionWaitDialog.h"
#include "image/IWindowServices.h"
#include "image/cximage/CxImage.h"
#include "ocr/RecognitionJob.h"
#include "ocr/RecognizedTexts.h"

#include <QApplication>
#include <QDrag>
#include <QEventLoop>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontMetrics>
#include <QMimeData>
#include <QPainter>
#include <algorithm>

using namespace scriva::ocr;

namespace {

const QString kRegionErrorCaption = QStringLiteral("occur error");
constexpr int kDragMargin = 5;
const QColor kDragText(0xFF, 0x00, 0x00);

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

OcrSettings OcrHooks::Settings() const
{
    return OcrSettings::Defaults();
}

QString OcrHooks::AskSavePath(const QString& proposal, const QStringList& filters)
{
    return askWithFileDialog(DialogParent(), proposal, filters);
}

RecognitionCommands::RecognitionCommands(CScrivaDoc& doc, IWindowServices& window, OcrHooks& hooks,
                                         QObject* parent)
    : QObject(parent), m_doc(doc), m_window(window), m_hooks(hooks)
{
    m_engine.SetSettingsReader([this] { return settings(); });
}

RecognitionCommands::~RecognitionCommands() = default;

QString RecognitionCommands::string(int id) const
{
    return m_window.Text(id);
}

void RecognitionCommands::showBox(const QString& text, const QString& caption, bool information)
{
    QWidget* owner = QApplication::focusWidget();
    if (!owner)
        owner = m_hooks.DialogParent();
    m_window.Tell(owner, text,
                  information ? IWindowServices::Icon::Information
                              : IWindowServices::Icon::Critical,
                  caption);
}

OcrSettings RecognitionCommands::settings() const
{
    return m_hooks.Settings();
}

bool RecognitionCommands::imageViewShown() const
{
    return m_hooks.RightAreaMode() == scriva::mode::kImage;
}

QString RecognitionCommands::firstSelected() const
{
    const QStringList paths = m_hooks.SelectedPaths();
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
        m_hooks.ShowSearchBar();
        return true;
    case CmdSearch:
        Search(m_hooks.SearchText());
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
    const QStringList paths = m_hooks.SelectedPaths();
    if (m_running || paths.isEmpty())
        return;
    RecognitionOptions options;
    options.language = language;
    options.settings = [s = settings()] { return s; }; // the worker reads no live store

    RecognitionWaitDialog dialog(m_window, int(paths.size()), m_hooks.DialogParent());
    RecognitionJob job;
    connect(&job, &RecognitionJob::progress, &dialog, &RecognitionWaitDialog::SetProgress);
    connect(&job, &RecognitionJob::finished, this, [this, &job] { TakeTexts(job.Texts()); });
    connect(&job, &RecognitionJob::finished, &dialog, &RecognitionWaitDialog::Finish);
    connect(&dialog, &RecognitionWaitDialog::cancelRequested, &job, &RecognitionJob::Cancel);
    m_running = true;
    m_hooks.SetBusy(true);
    job.Start(paths, options, string(scriva::str::kNotRecognised));
    dialog.exec();
    if (job.IsRunning()) { // the dialog went without the job's end: wait for it here
        QEventLoop rest;
        connect(&job, &RecognitionJob::finished, &rest, &QEventLoop::quit);
        rest.exec();
    }
    m_running = false;
    m_hooks.SetBusy(false);
}

void RecognitionCommands::TakeTexts(const QVariantMap& texts)
{
    CRecognizeView* pane = m_hooks.Pane();
    if (!texts.isEmpty()) {
        // What the user typed goes in first, so that a new recognition wins.
        if (pane)
            pane->KeepEdits();
        for (auto it = texts.cbegin(); it != texts.cend(); ++it)
            m_doc.RecognisedTexts()[it.key()] = it.value().toString();
    }
    const QString path = firstSelected();
    // With nothing selected no empty path enters the document's texts.
    const auto found = m_doc.RecognisedTexts().find(path);
    const QString text = found == m_doc.RecognisedTexts().end() ? QString() : found->second;
    if (pane && pane->IsHeld())
        return;
    showInPane(path, text);
}

void RecognitionCommands::ActivateRegionTool(int id)
{
    m_regionLanguage = id == CmdRegionChinese ? kLanguageChinese : kLanguageLatin;
    m_hooks.SetTool(id);
    m_hooks.ShowResultPane(true);
}

bool RecognitionCommands::RecognizeSelection(const QRect& imageRect, QString& text)
{
    text.clear();
    const CxImage* current = m_hooks.Image();
    bool ok = false;
    if (current && current->IsValid()) {
        m_window.SetBusyCursor(true);
        m_engine.SetCodeMode(CodeModeFor(settings().interfaceCode));
        if (m_engine.Start(m_regionLanguage)) {
            CxImage copy(*current);
            ok = m_engine.RecognizeRegion(copy, imageRect.left(), imageRect.top(),
                                          imageRect.left() + imageRect.width(),
                                          imageRect.top() + imageRect.height(), text);
        }
        m_window.SetBusyCursor(false);
    }
    if (ok)
        return true;
    QString message;
    int code = 0;
    m_engine.GetEngineError(message, code); // not shown: the box says it in the user's words
    showBox(string(scriva::str::kNotRecognised), kRegionErrorCaption, true);
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
    const QString target = m_hooks.AskSavePath(proposal, filters);
    if (target.isEmpty())
        return false;
    // The pane may show another image's text: it is saved only when it belongs here.
    CRecognizeView* pane = m_hooks.Pane();
    if (pane && pane->TextPath() == path)
        text = pane->StoredText();
    QString error;
    if (WriteTextFile(target, text, &error))
        return true;
    showBox(string(scriva::str::kFileNotWritten) + QStringLiteral("\n") + target +
                QStringLiteral("\n") + error,
            QString(), false);
    return false;
}

void RecognitionCommands::showInPane(const QString& path, const QString& text)
{
    m_hooks.ShowResultPane(true);
    if (CRecognizeView* pane = m_hooks.Pane())
        pane->SetResultText(path, text);
}

void RecognitionCommands::Search(const QString& needle)
{
    QStringList paths =
        needle.isEmpty() ? m_hooks.AllFiles() : PathsContaining(m_doc.RecognisedTexts(), needle);
    std::sort(paths.begin(), paths.end());
    paths.erase(std::unique(paths.begin(), paths.end()), paths.end());
    m_hooks.ShowFiles(paths);
    if (paths.isEmpty()) {
        m_hooks.OpenPath(QString());
        return;
    }
    m_hooks.OpenPath(paths.first());
    QString text; // a file without a text gets no empty one here
    if (LookupText(m_doc.RecognisedTexts(), text, paths.first()) && !text.isEmpty())
        showInPane(paths.first(), text);
}
