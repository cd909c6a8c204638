#pragma once
// The modal "please wait" box shown while an image edit runs: its line grows a
// dot every 200 ms and starts again past 40 characters. The user cannot close it;
// Finish() (queued from the worker's end) does. User-interface thread only.

#include "WaitDots.h"
#include "image/PackText.h"

#include <QDialog>

class QLabel;

class WaitDialog : public QDialog
{
    Q_OBJECT
public:
    static constexpr int TemplateId = scriva::form::kWait;
    static constexpr int TextId = scriva::ctl::kWaitText;
    static constexpr int DotTimerMs = WaitDots::kTickMs;
    static constexpr int MaxTextLength = WaitDots::kLongest;

    WaitDialog(const PackText& text, QWidget* parent = nullptr);

    QString Text() const;
    bool Finished() const { return m_finished; }

public slots:
    void Finish();

protected:
    void reject() override {} // Escape does not end a wait
    void closeEvent(QCloseEvent* event) override;

private:
    QLabel* m_label = nullptr;
    WaitDots* m_dots = nullptr;
    bool m_finished = false;
};
