#pragma once
// One running instance per user: a local socket in the runtime folder that the
// first instance listens on, guarded by a lock file while an instance checks
// and starts listening. The same socket carries camera button presses from
// `scriva --button`: each line "button CODE [LPARAM]" becomes an AppEvent 0x7E8
// posted to the application. A second `scriva FILE...` hands its files over the
// same socket: lines "open PATH" (PATH percent-encoded) and a closing "show",
// which emits openRequested. Lives on the user-interface thread.

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <cstdint>

class QLocalServer;
class QLocalSocket;

class SingleInstance : public QObject
{
    Q_OBJECT
public:
    enum class Start {
        Listening,      // this is the one instance
        AlreadyRunning, // another instance answers: start-up must stop
        TakingOver,     // a restart: listening as soon as the old instance stops answering
        Failed          // the socket could not be set up; the program runs without it
    };

    static const char* const kName; // socket (and lock file) name in the runtime folder
    // What one peer may make the program hold or do: connections open at once,
    // bytes buffered per connection, button lines taken from one read (the
    // rest of that read is dropped: a press is worth nothing late), and the
    // time a connection may stay silent.
    static constexpr int kMaxConnections = 8;
    static constexpr int kMaxBufferedBytes = 4096;
    static constexpr int kMaxLinesPerRead = 16;
    static constexpr int kIdleTimeoutMs = 10000;
    // Files one hand-over may name; an "open" line may fill the buffer.
    static constexpr int kMaxFilesPerRequest = 1000;

    // runtimeFolder: where the socket lives; events go to `receiver` (qApp when null).
    explicit SingleInstance(const QString& runtimeFolder, QObject* receiver = nullptr,
                            QObject* parent = nullptr);
    ~SingleInstance() override;

    Start start(bool restart);
    bool isListening() const;
    QString socketPath() const { return m_socketPath; }
    // Why the socket could not be set up (after start gave Failed).
    QString errorString() const;

    // True when an argument after the program's own path is exactly "-r".
    static bool HasRestartFlag(const QStringList& arguments);
    // "button CODE [LPARAM]", CODE and LPARAM decimal or 0x-hex.
    static bool ParseButtonLine(const QByteArray& line, uint32_t& code, int64_t& lParam);
    static bool ParseNumber(const QString& text, int64_t& value);
    // True when an instance listens on the socket in runtimeFolder.
    static bool IsRunning(const QString& runtimeFolder);
    // Sends one button line to the running instance; false with a reason when none answers.
    static bool SendButton(const QString& runtimeFolder, uint32_t code, int64_t lParam,
                           QString* error);
    // Hands absolute file paths to the running instance, which opens the first,
    // lists them all and comes to the front; false with a reason when it does not take them.
    static bool SendFiles(const QString& runtimeFolder, const QStringList& paths, QString* error);

signals:
    void listening();                             // emitted when a takeover finally listens
    void openRequested(const QStringList& paths); // a second start's files, in its order

private:
    bool someoneAnswers(int timeoutMs) const;
    bool listenNow();
    void tryTakeOver();
    void watchSocketFile();
    void acceptConnections();
    void readLines(QLocalSocket* socket);

    QString m_socketPath;
    QString m_lockPath;
    QObject* m_receiver;
    QLocalServer* m_server = nullptr;
    QTimer m_takeOverTimer;
    QTimer m_watchTimer;
    int m_takeOverTries = 0;
    int m_connections = 0;
};
