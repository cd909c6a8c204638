#pragma once
// The modal "please wait" box shown while an image edit runs: its line grows a
// dot every 200 ms and starts again past 40 characters. The user cannot close it;
// Finish() (queued from the worker's end) does. User-interface thread only.

#include "PackText.h"

#include <QDialog>
#include <QTimer>

class QLabel;

class WaitDialog : public QDialog
{
    Q_OBJECT
public:
    static constexpr int TemplateId = scriva::form::kWait;
    static constexpr int TextId = scriva::ctl::kWaitText;
    static constexpr int DotTimerMs = 200; // timer 1
    static constexpr int MaxTextLength = 40;

    WaitDialog(const PackText& text, QWidget* parent = nullptr);

    QString Text() const;
    bool Finished() const { return m_finished; }

public slots:
    void Finish();

protected:
    void reject() override {} // Escape does not end a wait
    void closeEvent(QCloseEvent* event) override;

private:
    void addDot();

    QLabel* m_label = nullptr;
    QString m_initial;
    QTimer m_dots;
    bool m_finished = false;
};
