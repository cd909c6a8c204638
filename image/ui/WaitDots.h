#pragma once
// The growing line of the wait dialogs: every 200 ms (timer 1) the label's text
// gets one more dot, and a text that has reached the longest length starts again
// from the text the label had when the dots were attached. The label is made wide
// enough for kLongest + 4 dots. User-interface thread only.

#include <QObject>
#include <QString>
#include <QTimer>

class QLabel;

class WaitDots : public QObject
{
public:
    static constexpr int kTickMs = 200;
    static constexpr int kLongest = 40;

    // The label's present text is the one each round starts from.
    explicit WaitDots(QLabel& label, int longest = kLongest);

    void Start() { m_timer.start(); }
    void Stop() { m_timer.stop(); }

    // The line after `shown`: one dot more, or `base` once `shown` has `longest` characters.
    static QString Next(const QString& shown, const QString& base, int longest);

private:
    void tick();

    QLabel& m_label;
    QString m_base;
    int m_longest;
    QTimer m_timer;
};
