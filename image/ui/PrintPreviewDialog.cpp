#include "PrintPreviewDialog.h"

#include "image/PrintLayout.h"

#include <QHBoxLayout>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QPushButton>
#include <QVBoxLayout>

using namespace scriva;
using namespace scriva::image;

namespace {

constexpr int kPreviewWidth = 800; // pixels, before the user resizes it
constexpr int kPreviewHeight = 700;

} // namespace

PrintPreviewDialog::PrintPreviewDialog(QPrinter& printer, const PackText& text, QWidget* parent)
    : QDialog(parent), m_printer(printer), m_text(text), m_mode(mode::kPrintFitToPage)
{
    setWindowTitle(ControlText(text, TemplateId, 0));
    auto* bar = new QHBoxLayout;
    for (int id : {PrintId, FitId, ActualId, LandscapeId, PortraitId})
        bar->addWidget(addButton(id));
    bar->addStretch(1);
    bar->addWidget(addButton(CloseId));
    m_preview = new QPrintPreviewWidget(&m_printer, this);
    m_preview->setObjectName(QStringLiteral("preview"));
    connect(m_preview, &QPrintPreviewWidget::paintRequested, this,
            &PrintPreviewDialog::paintRequested);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(bar);
    layout->addWidget(m_preview, 1);
    resize(kPreviewWidth, kPreviewHeight);
    showState();
}

QPushButton* PrintPreviewDialog::addButton(int id)
{
    auto* button = new QPushButton(ControlText(m_text, TemplateId, id), this);
    button->setObjectName(QStringLiteral("id_%1").arg(id));
    button->setAutoDefault(false);
    connect(button, &QPushButton::clicked, this, [this, id] {
        switch (id) {
        case CloseId:
            accept();
            break;
        case PrintId:
            emit printRequested();
            break;
        case FitId:
        case ActualId:
            SetMode(id == FitId ? mode::kPrintFitToPage : mode::kPrintActualSize);
            emit modeChanged(m_mode);
            break;
        default:
            setLandscape(id == LandscapeId);
            break;
        }
    });
    if (id == FitId || id == ActualId || id == LandscapeId || id == PortraitId)
        button->setCheckable(true);
    return button;
}

void PrintPreviewDialog::SetMode(int mode)
{
    m_mode = mode;
    showState();
    // Before the dialog shows, the preview is drawn when it appears: drawn now,
    // it would be taken as done while nobody painted it yet.
    if (m_preview->isVisible())
        m_preview->updatePreview();
}

void PrintPreviewDialog::setLandscape(bool landscape)
{
    m_printer.setPageOrientation(landscape ? QPageLayout::Landscape : QPageLayout::Portrait);
    showState();
    m_preview->updatePreview();
}

void PrintPreviewDialog::showState()
{
    const bool landscape = m_printer.pageLayout().orientation() == QPageLayout::Landscape;
    const std::pair<int, bool> states[] = {{FitId, m_mode == mode::kPrintFitToPage},
                                           {ActualId, m_mode == mode::kPrintActualSize},
                                           {LandscapeId, landscape},
                                           {PortraitId, !landscape}};
    for (auto [id, on] : states)
        if (auto* button = findChild<QPushButton*>(QStringLiteral("id_%1").arg(id)))
            button->setChecked(on);
}
