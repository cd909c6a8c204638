#pragma once
// The print preview: the real page as the printer will get it, with a toolbar to
// print, to switch between fit-to-page and screen size, and to turn the page to
// landscape or portrait (the printer's orientation changes with it). The picture
// is painted by whoever answers paintRequested. User-interface thread only.

#include "PackText.h"

#include <QDialog>

class QPrinter;
class QPrintPreviewWidget;
class QPushButton;

class PrintPreviewDialog : public QDialog
{
    Q_OBJECT
public:
    static constexpr int TemplateId = 152;
    static constexpr int CloseId = 2;
    static constexpr int PrintId = 1043;
    static constexpr int FitId = 1046;
    static constexpr int ActualId = 1047;
    static constexpr int LandscapeId = 1050;
    static constexpr int PortraitId = 1051;

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
