#pragma once
// Turns SIGTERM, SIGINT and SIGHUP (a session ending, Ctrl+C in a terminal)
// into a signal on the user-interface thread, so the program closes its main
// window and saves its settings as a normal close does instead of dying.
// One instance; created and used on the user-interface thread.

#include <QObject>

class QSocketNotifier;

class TermSignals : public QObject
{
    Q_OBJECT
public:
    explicit TermSignals(QObject* parent = nullptr);
    ~TermSignals() override; // the default actions come back

    bool isInstalled() const { return m_notifier != nullptr; }

signals:
    void terminateRequested(int signalNumber);

private:
    void readSignal();

    QSocketNotifier* m_notifier = nullptr;
};
