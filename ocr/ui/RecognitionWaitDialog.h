#pragma once
// The modal wait dialog shown while the recognition worker runs: a text whose
// dots grow every 200 ms (WaitDots) and, when several files are read, a
// progress bar and a Cancel button. The worker's end closes it (never sooner than 500 ms after
// it opened, so it does not flash); Escape and the close button ask to cancel
// instead of leaving the worker behind. User-interface thread only.

#include "config/CommandIds.h"
#include "image/ui/WaitDots.h"

#include <QDialog>
#include <QElapsedTimer>
#include <QTimer>

class IWindowServices;
class QLabel;
class QProgressBar;
class QPushButton;

class RecognitionWaitDialog : public QDialog
{
    Q_OBJECT
public:
    static constexpr int TemplateId = scriva::form::kRecognitionWait;
    static constexpr int TextId = scriva::ctl::kRecognitionWaitText;
    static constexpr int kMinimumShownMs = 500;

    RecognitionWaitDialog(const IWindowServices& window, int fileCount, QWidget* parent = nullptr);

    QString ShownText() const;
    bool CancelRequested() const { return m_cancelled; }

public slots:
    void SetProgress(int done, int total);
    // The worker has ended: close (after the minimum time).
    void Finish();

signals:
    void cancelRequested();

protected:
    void reject() override;
    void showEvent(QShowEvent* event) override;

private:
    QLabel* m_text;
    QProgressBar* m_progress = nullptr;
    QPushButton* m_cancel = nullptr;
    WaitDots* m_dots = nullptr;
    QElapsedTimer m_shown;
    bool m_cancelled = false;
    bool m_finished = false;
};
