// The document's side of the mouse tools: the active tool, crops by
// rectangle and lasso, and the placement of rendered text. The view asks; the
// document changes the image and records undo only when something changes.

#include "CScrivaDoc.h"

#include "CxImageDraw.h"
#include "IImageView.h"

namespace {
const RGBQUAD kWhite{255, 255, 255, 0};
} // namespace

void CScrivaDoc::ToggleTool(int id)
{
    ResetTool();
    m_tool = m_tool == id ? 0 : id;
}

void CScrivaDoc::ResetTool()
{
    if (!m_imageView)
        return;
    if (m_tool == CmdLassoTool) {
        m_lasso.clear();
        m_imageView->StopLasso();
        m_imageView->Repaint();
    } else if (m_tool == CmdCropTool || m_tool == CmdRegionTextTool ||
               m_tool == CmdRegionTableTool || m_tool == CmdPresetAreaTool) {
        m_imageView->EmptyTracker();
        m_imageView->Repaint();
    }
}

bool CScrivaDoc::CropTo(const QRect& imageRect)
{
    if (!HasImage() || imageRect.isEmpty())
        return false;
    const QRect r = imageRect & QRect(0, 0, int(m_image->GetWidth()), int(m_image->GetHeight()));
    if (r.isEmpty())
        return false;
    auto cropped = std::make_unique<CxImage>();
    if (!m_image->Crop(r.left(), r.top(), r.right() + 1, r.bottom() + 1, cropped.get()) ||
        !cropped->IsValid())
        return false;
    PushUndo();
    SetImage(std::move(cropped));
    return true;
}

void CScrivaDoc::RecognizeRegion(QWidget* source, const QRect& imageRect)
{
    if (m_regionRecognizer && HasImage() && !IsBusy())
        m_regionRecognizer(source, imageRect);
}

bool CScrivaDoc::LassoCrop()
{
    if (!HasImage() || m_lasso.size() < 3)
        return false;
    const int h = int(m_image->GetHeight());
    std::vector<CxPoint> polygon;
    polygon.reserve(m_lasso.size());
    for (const CxPoint& p : m_lasso)
        polygon.push_back(CxPoint{p.x, h - p.y - 1}); // rows counted from the bottom
    auto copy = std::make_unique<CxImage>(*m_image);
    if (!copy->IsValid())
        return false; // no memory for the copy: nothing happens
    if (!copy->ClearSelection(0) ||
        !copy->AddPolygonToSelection(polygon.data(), int32_t(polygon.size()), 255))
        return false;
    CxRect box;
    copy->GetSelectionBox(box);
    for (int y = box.bottom; y < box.top; ++y) {
        for (int x = box.left; x < box.right; ++x) {
            if (!copy->IsSelected(x, y))
                copy->SetPixelColor(x, y, kWhite);
        }
    }
    copy->DeleteSelection();
    auto cropped = std::make_unique<CxImage>();
    if (!copy->Crop(box.left, h - box.top, box.right, h - box.bottom, cropped.get()) ||
        !cropped->IsValid())
        return false;
    PushUndo();
    SetImage(std::move(cropped));
    if (m_imageView)
        m_imageView->StopLasso();
    return true;
}

bool CScrivaDoc::PrepareText()
{
    m_textImage = QImage();
    m_textPending = false;
    if (!m_textInfo.text.isEmpty())
        m_textImage = scriva::RenderTextInfo(m_textInfo);
    if (m_textImage.isNull() || m_textImage.width() == 0 || m_textImage.height() == 0) {
        m_textImage = QImage();
        m_tool = 0;
        repaintImageView();
        return false;
    }
    m_tool = CmdTextTool;
    m_textPending = true;
    repaintImageView();
    return true;
}

void CScrivaDoc::LiftText()
{
    if (m_backup.IsValid() && m_textPending)
        m_image = std::make_unique<CxImage>(m_backup);
    repaintImageView();
}

bool CScrivaDoc::PlaceText(QPoint p)
{
    if (!HasImage() || !m_textPending || m_textImage.isNull())
        return false;
    // Text placed before is lifted off: it moves instead of being stamped twice.
    if (m_backup.IsValid())
        m_image = std::make_unique<CxImage>(m_backup);
    PushUndo();
    scriva::DrawTextInfo(*m_image, p.x(), p.y(), m_textInfo);
    m_textHit = QRect(QPoint(p.x() - kTextHitMargin, p.y() - kTextHitMargin),
                      QPoint(p.x() + m_textImage.width() + kTextHitMargin,
                             p.y() + m_textImage.height() + kTextHitMargin));
    m_tool = 0;
    repaintImageView();
    UpdateStatus(StatusAll);
    emit imageChanged();
    return true;
}

void CScrivaDoc::TakeBackup()
{
    if (HasImage())
        m_backup = *m_image;
    else
        m_backup.Destroy();
}

void CScrivaDoc::ClearMarks()
{
    m_textHit = QRect();
    m_textPending = false;
    m_textImage = QImage();
}
