#pragma once
// The print preview: the real page as the printer will get it, with a toolbar to
// print, to switch between fit-to-page and screen size, and to turn the page to
// landscape or portrait (the printer's orientation changes with it). The picture
// is painted by whoever answers paintRequested. User-interface thread only.

#include "image/PackText.h"

#include <QDialog>

class QPrinter;
class QPrintPreviewWidget;
class QPushButton;

class PrintPreviewDialog : public QDialog
{
    Q_OBJECT
public:
    static constexpr int TemplateId = scriva::form::kPrintPreview;
    static constexpr int CloseId = scriva::ctl::kCancel;
    static constexpr int PrintId = scriva::cmd::kPrintFromPreview;
    static constexpr int FitId = scriva::cmd::kPrintFit;
    static constexpr int ActualId = scriva::cmd::kPrintActual;
    static constexpr int LandscapeId = scriva::cmd::kPreviewLandscape;
    static constexpr int PortraitId = scriva::cmd::kPreviewPortrait;

    PrintPreviewDialog(QPrinter& printer, const PackText& text, QWidget* parent = nullptr);

    int Mode() const { return m_mode; }
    void SetMode(int mode);
    QPrintPreviewWidget* PreviewWidget() const { return m_preview; }

signals:
    void paintRequested(QPrinter* printer);
    void modeChanged(int mode);
    void printRequested();

private:
    QPushButton* addButton(int id);
    void setLandscape(bool landscape);
    void showState();

    QPrinter& m_printer;
    PackText m_text;
    QPrintPreviewWidget* m_preview = nullptr;
    int m_mode;
};
