#pragma once
// The image menu's whole-image edits and the print commands of the image view,
// installed into the document as its command handlers. An edit pushes the undo
// step, runs on a copy of the image on a worker behind the modal wait box (shown
// before the worker can end, for at least half a second), and installs the
// result; a failure shows the image's error text; the end is announced to the
// application with the edit's command id. Free rotation and resize ask first.
// Whoever creates it keeps it and lets it go before the document.
// User-interface thread only.

#include "image/EditJob.h"
#include "image/PackText.h"
#include "image/ui/ImagePrinter.h"

#include <QObject>
#include <QPointer>

class CScrivaDoc;
class QPrinter;
class QWidget;
class FreeRotationDialog;
class ResizeDialog;

class ImageCommands : public QObject
{
    Q_OBJECT
public:
    static constexpr char kSizeExceeded[] = "Size of image is exceeding!";

    // Where the print mode lives (the main frame) and who hears of an edit's
    // end (the application: message 0x7E9 with the command id) and of the
    // worker's state (the program's busy state follows it: buttons and timers
    // wait).
    class Host : public IPrintMode
    {
    public:
        virtual void EditDone(int command) = 0;
        virtual void BusyChanged(bool running) = 0;
        // Tests answer the dialogs here instead of a person: true when they
        // did (the dialog is not shown and its result is the answer).
        virtual bool AnswerRotation(FreeRotationDialog&) { return false; }
        virtual bool AnswerSize(ResizeDialog&) { return false; }
    };

    // The texts and boxes are the document's window's; the host is never owned.
    ImageCommands(CScrivaDoc& doc, QWidget* window, QPrinter& printer, Host& host);
    ~ImageCommands() override;

    // Registers the handlers with the document.
    void Install();
    bool EditRunning() const { return m_job.IsRunning(); }

    // The commands themselves (what the handlers run).
    void RunEdit(int command);
    void PrintImage(bool askFirst);
    void PrintAt96Dpi();
    void PrintPreview();

private:
    void askRotation();
    void askSize();
    void startWorker(const scriva::image::EditRequest& request);
    void finishEdit(int command);
    void setBusy(bool on);
    void report(const QString& text) const;
    void message(int id) const;
    QString string(int id) const;
    ImagePrinter makePrinter() const;

    CScrivaDoc& m_doc;
    QPointer<QWidget> m_window;
    QPrinter& m_printer;
    Host& m_host;
    PackText m_text;
    scriva::image::EditJob m_job;
};
