#include "app/shell/SingleInstance.h"

#include "app/shell/AppEvent.h"
#include "config/CommandIds.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QUrl>

#include <algorithm>

const char* const SingleInstance::kName = "orvek20090917152502";

namespace {
constexpr int kConnectTimeoutMs = 500;
constexpr int kProbeTimeoutMs = 100;
constexpr int kLockTimeoutMs = 3000;
constexpr int kTakeOverIntervalMs = 200;
constexpr int kTakeOverTries = 50; // 10 s, then the socket is taken anyway
constexpr int kWatchIntervalMs = 1000;
constexpr int kMaxLineLength = 256;
} // namespace

SingleInstance::SingleInstance(const QString& runtimeFolder, QObject* receiver, QObject* parent)
    : QObject(parent), m_socketPath(QDir(runtimeFolder).filePath(QLatin1String(kName))),
      m_lockPath(m_socketPath + QStringLiteral(".lock")), m_receiver(receiver)
{
    QDir().mkpath(runtimeFolder);
    m_takeOverTimer.setInterval(kTakeOverIntervalMs);
    connect(&m_takeOverTimer, &QTimer::timeout, this, &SingleInstance::tryTakeOver);
    m_watchTimer.setInterval(kWatchIntervalMs);
    connect(&m_watchTimer, &QTimer::timeout, this, &SingleInstance::watchSocketFile);
}

SingleInstance::~SingleInstance()
{
    // Closing removes the socket file, which lets a restarted instance take over.
    if (m_server)
        m_server->close();
}

bool SingleInstance::HasRestartFlag(const QStringList& arguments)
{
    return arguments.indexOf(QStringLiteral("-r"), 1) > 0;
}

SingleInstance::Start SingleInstance::start(bool restart)
{
    if (restart) {
        if (!someoneAnswers(kProbeTimeoutMs) && listenNow())
            return Start::Listening;
        m_takeOverTries = 0;
        m_takeOverTimer.start();
        return Start::TakingOver;
    }
    // Two programs started at the same moment take turns here, so the second
    // one sees the first one's socket.
    QLockFile lock(m_lockPath);
    lock.tryLock(kLockTimeoutMs);
    if (someoneAnswers(kConnectTimeoutMs))
        return Start::AlreadyRunning;
    return listenNow() ? Start::Listening : Start::Failed;
}

QString SingleInstance::errorString() const
{
    if (!QFileInfo(QFileInfo(m_socketPath).path()).isDir())
        return QStringLiteral("the folder %1 cannot be made").arg(QFileInfo(m_socketPath).path());
    return m_server ? m_server->errorString() : QString();
}

bool SingleInstance::isListening() const
{
    return m_server && m_server->isListening();
}

bool SingleInstance::someoneAnswers(int timeoutMs) const
{
    QLocalSocket probe;
    probe.connectToServer(m_socketPath);
    const bool answered = probe.waitForConnected(timeoutMs);
    probe.abort();
    return answered;
}

bool SingleInstance::listenNow()
{
    if (!m_server) {
        m_server = new QLocalServer(this);
        m_server->setSocketOptions(QLocalServer::UserAccessOption);
        connect(m_server, &QLocalServer::newConnection, this, &SingleInstance::acceptConnections);
    }
    m_server->close();
    QLocalServer::removeServer(m_socketPath); // a stale file of a program that died
    return m_server->listen(m_socketPath);
}

void SingleInstance::tryTakeOver()
{
    ++m_takeOverTries;
    QLockFile lock(m_lockPath);
    if (!lock.tryLock(kProbeTimeoutMs) && m_takeOverTries < kTakeOverTries)
        return;
    const bool forced = m_takeOverTries >= kTakeOverTries;
    if (!forced && someoneAnswers(kProbeTimeoutMs))
        return;
    m_takeOverTimer.stop();
    if (listenNow())
        emit listening();
    // The old instance still holds the name: its close would remove our file,
    // so keep an eye on it for a while.
    if (forced)
        m_watchTimer.start();
}

void SingleInstance::watchSocketFile()
{
    static constexpr int kWatchTicks = 60;
    if (!QFileInfo::exists(m_socketPath))
        listenNow();
    if (++m_takeOverTries >= kTakeOverTries + kWatchTicks)
        m_watchTimer.stop();
}

void SingleInstance::acceptConnections()
{
    while (QLocalSocket* socket = m_server->nextPendingConnection()) {
        if (m_connections >= kMaxConnections) {
            socket->abort();
            socket->deleteLater();
            continue;
        }
        ++m_connections;
        // Qt stops reading from the peer while this much waits unread.
        socket->setReadBufferSize(kMaxBufferedBytes);
        auto* idle = new QTimer(socket);
        idle->setSingleShot(true);
        idle->setInterval(kIdleTimeoutMs);
        connect(idle, &QTimer::timeout, socket, &QLocalSocket::abort);
        idle->start();
        connect(socket, &QLocalSocket::readyRead, this, [this, socket, idle] {
            idle->start();
            readLines(socket);
        });
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QObject::destroyed, this, [this] { --m_connections; });
        if (socket->bytesAvailable() > 0)
            readLines(socket);
    }
}

namespace {
const QByteArray kOpenPrefix = QByteArrayLiteral("open ");
const char* const kPendingFiles = "scrivaPendingFiles";
} // namespace

void SingleInstance::readLines(QLocalSocket* socket)
{
    int taken = 0;
    while (socket->canReadLine()) {
        const bool open = socket->peek(kOpenPrefix.size()) == kOpenPrefix;
        const QByteArray line = socket->readLine(open ? kMaxBufferedBytes : kMaxLineLength + 2);
        if (!line.endsWith('\n')) { // over-long line: drop the client
            socket->abort();
            return;
        }
        if (open || line.trimmed() == "show") {
            QStringList pending = socket->property(kPendingFiles).toStringList();
            if (!open) {
                socket->setProperty(kPendingFiles, QStringList());
                if (!pending.isEmpty())
                    emit openRequested(pending);
                continue;
            }
            const QString path = QUrl::fromPercentEncoding(line.mid(kOpenPrefix.size()).trimmed());
            if (pending.size() >= kMaxFilesPerRequest || !QFileInfo(path).isAbsolute())
                continue;
            pending << path;
            socket->setProperty(kPendingFiles, pending);
            continue;
        }
        if (taken == kMaxLinesPerRead)
            continue; // a flood: the rest of this read is dropped
        uint32_t code = 0;
        int64_t lParam = 0;
        if (!ParseButtonLine(line, code, lParam))
            continue;
        ++taken;
        QObject* receiver = m_receiver ? m_receiver : QCoreApplication::instance();
        QCoreApplication::postEvent(
            receiver, new AppEvent(scriva::msg::kButton, code, static_cast<intptr_t>(lParam)));
    }
    if (socket->bytesAvailable() > kMaxLineLength &&
        socket->peek(kOpenPrefix.size()) != kOpenPrefix)
        socket->abort();
}

bool SingleInstance::ParseNumber(const QString& text, int64_t& value)
{
    QString digits = text;
    const bool negative = digits.startsWith(QLatin1Char('-'));
    if (negative)
        digits.remove(0, 1);
    int base = 10;
    if (digits.startsWith(QLatin1String("0x"), Qt::CaseInsensitive)) {
        base = 16;
        digits.remove(0, 2);
    }
    // Digits only: no sign, prefix or space of the number converter's own.
    const auto isDigit = [base](QChar c) {
        return (c >= QLatin1Char('0') && c <= QLatin1Char('9')) ||
               (base == 16 && ((c >= QLatin1Char('a') && c <= QLatin1Char('f')) ||
                               (c >= QLatin1Char('A') && c <= QLatin1Char('F'))));
    };
    if (digits.isEmpty() || !std::all_of(digits.begin(), digits.end(), isDigit))
        return false;
    bool ok = false;
    const qlonglong parsed = digits.toLongLong(&ok, base);
    if (!ok)
        return false;
    value = negative ? -parsed : parsed;
    return true;
}

bool SingleInstance::ParseButtonLine(const QByteArray& line, uint32_t& code, int64_t& lParam)
{
    const QStringList parts =
        QString::fromLatin1(line).simplified().split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (parts.size() < 2 || parts.size() > 3 || parts.at(0) != QLatin1String("button"))
        return false;
    int64_t parsedCode = 0;
    int64_t parsedParam = 0;
    if (!ParseNumber(parts.at(1), parsedCode) || parsedCode < 0 || parsedCode > UINT32_MAX)
        return false;
    if (parts.size() == 3 && !ParseNumber(parts.at(2), parsedParam))
        return false;
    code = static_cast<uint32_t>(parsedCode);
    lParam = parsedParam;
    return true;
}

bool SingleInstance::IsRunning(const QString& runtimeFolder)
{
    QLocalSocket probe;
    probe.connectToServer(QDir(runtimeFolder).filePath(QLatin1String(kName)));
    const bool answered = probe.waitForConnected(kConnectTimeoutMs * 2);
    probe.abort();
    return answered;
}

bool SingleInstance::SendButton(const QString& runtimeFolder, uint32_t code, int64_t lParam,
                                QString* error)
{
    QLocalSocket socket;
    socket.connectToServer(QDir(runtimeFolder).filePath(QLatin1String(kName)));
    if (!socket.waitForConnected(kConnectTimeoutMs * 2)) {
        if (error)
            *error = QStringLiteral("no running instance answers (%1)").arg(socket.errorString());
        return false;
    }
    const QByteArray line = QByteArray("button ") + QByteArray::number(code) + ' ' +
                            QByteArray::number(static_cast<qlonglong>(lParam)) + '\n';
    socket.write(line);
    const bool written = socket.waitForBytesWritten(kConnectTimeoutMs * 2);
    socket.disconnectFromServer();
    if (socket.state() != QLocalSocket::UnconnectedState)
        socket.waitForDisconnected(kConnectTimeoutMs);
    if (!written && error)
        *error = QStringLiteral("the running instance did not take the button (%1)")
                     .arg(socket.errorString());
    return written;
}

bool SingleInstance::SendFiles(const QString& runtimeFolder, const QStringList& paths,
                               QString* error)
{
    QLocalSocket socket;
    socket.connectToServer(QDir(runtimeFolder).filePath(QLatin1String(kName)));
    if (!socket.waitForConnected(kConnectTimeoutMs * 2)) {
        if (error)
            *error = QStringLiteral("no running instance answers (%1)").arg(socket.errorString());
        return false;
    }
    QByteArray lines;
    for (const QString& path : paths.mid(0, kMaxFilesPerRequest)) {
        const QByteArray line = kOpenPrefix + QUrl::toPercentEncoding(path, "/") + '\n';
        if (line.size() >= kMaxBufferedBytes) {
            if (error)
                *error = QStringLiteral("the path %1 is too long to hand over").arg(path);
            return false;
        }
        lines += line;
    }
    lines += "show\n";
    bool written = true;
    // Written in pieces no larger than what the running instance buffers.
    for (qsizetype at = 0; written && at < lines.size(); at += kMaxBufferedBytes / 2) {
        socket.write(lines.mid(at, kMaxBufferedBytes / 2));
        while (written && socket.bytesToWrite() > 0)
            written = socket.waitForBytesWritten(kConnectTimeoutMs * 4);
    }
    socket.disconnectFromServer();
    if (socket.state() != QLocalSocket::UnconnectedState)
        socket.waitForDisconnected(kConnectTimeoutMs);
    if (!written && error)
        *error = QStringLiteral("the running instance did not take the files (%1)")
                     .arg(socket.errorString());
    return written;
}
