#include "RecognitionWaitDialog.h"

#include "image/IWindowServices.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

RecognitionWaitDialog::RecognitionWaitDialog(const IWindowServices& window, int fileCount,
                                             QWidget* parent)
    : QDialog(parent)
{
    auto text = [&](int id) { return window.Text(id); };
    setObjectName(QStringLiteral("id_%1").arg(TemplateId));
    setWindowTitle(text(scriva::str::DialogText(TemplateId)));
    setModal(true);
    auto* layout = new QVBoxLayout(this);
    m_text = new QLabel(text(scriva::str::DialogText(TemplateId, TextId)), this);
    m_text->setObjectName(QStringLiteral("id_%1").arg(TextId));
    layout->addWidget(m_text);
    if (fileCount > 1) {
        m_progress = new QProgressBar(this);
        m_progress->setRange(0, fileCount);
        m_progress->setValue(0);
        m_progress->setFormat(QStringLiteral("%v/%m"));
        layout->addWidget(m_progress);
        m_cancel = new QPushButton(text(scriva::str::kButtonCancel), this);
        m_cancel->setObjectName(QStringLiteral("cancel"));
        layout->addWidget(m_cancel, 0, Qt::AlignRight);
        connect(m_cancel, &QPushButton::clicked, this, &RecognitionWaitDialog::reject);
    }
    // This line shows one dot more than the edit box's before it starts again.
    m_dots = new WaitDots(*m_text, WaitDots::kLongest + 1);
    m_shown.start();
}

QString RecognitionWaitDialog::ShownText() const
{
    return m_text->text();
}

void RecognitionWaitDialog::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    m_shown.restart();
    m_dots->Start();
}

void RecognitionWaitDialog::SetProgress(int done, int total)
{
    if (!m_progress)
        return;
    m_progress->setMaximum(total);
    m_progress->setValue(done);
}

void RecognitionWaitDialog::Finish()
{
    if (m_finished)
        return;
    m_finished = true;
    const qint64 left = kMinimumShownMs - m_shown.elapsed();
    if (left > 0)
        QTimer::singleShot(int(left), this, &QDialog::accept);
    else
        accept();
}

void RecognitionWaitDialog::reject()
{
    // The worker owns the files until it ends; closing now would leave it behind.
    if (m_cancelled || m_finished)
        return;
    m_cancelled = true;
    if (m_cancel)
        m_cancel->setEnabled(false);
    emit cancelRequested();
}
