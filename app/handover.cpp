#include "app/handover.h"

#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QLocalSocket>
#include <QThread>
#include <QTimer>

#include <memory>

namespace {

// A later start writes and leaves at once; one that sends nothing is not waited for long.
constexpr int kSenderTimeoutMs = 5000;
// How often a later start looks again for a copy that has not begun to listen.
constexpr int kRetryMs = 50;

// An absolute path as the sender wrote it, or a null string for anything else.
QString pathFrom(const QByteArray& message)
{
    const QString text = QString::fromUtf8(message);
    if (text.isEmpty())
        return QStringLiteral(""); // asks only for the front
    if (text.toUtf8() != message || text.contains(QChar(0)) || !QDir::isAbsolutePath(text))
        return QString();
    return text;
}

} // namespace

HandOverServer::HandOverServer(QObject* parent)
    : QObject(parent)
{
    m_server.setSocketOptions(QLocalServer::UserAccessOption);
    connect(&m_server, &QLocalServer::newConnection, this, &HandOverServer::accept);
}

bool HandOverServer::listen(const QString& serverName)
{
    if (serverName.isEmpty())
        return false;
    QLocalServer::removeServer(serverName);
    return m_server.listen(serverName);
}

void HandOverServer::accept()
{
    while (QLocalSocket* socket = m_server.nextPendingConnection()) {
        // Never more than one byte past the limit is held; a sender that goes past it, or
        // does not finish in time, is cut off and its message dropped. What comes is taken as
        // it comes: on Windows a pipe that the sender has closed can no longer be read.
        socket->setReadBufferSize(kMaxMessage + 1);
        auto message = std::make_shared<QByteArray>();
        auto refuse = [this, socket] {
            socket->disconnect(this);
            socket->abort();
            socket->deleteLater();
        };
        auto take = [socket, message] {
            if (socket->isOpen())
                message->append(socket->read(kMaxMessage + 1 - message->size()));
        };
        connect(socket, &QLocalSocket::readyRead, this, [take, message, refuse] {
            take();
            if (message->size() > kMaxMessage)
                refuse();
        });
        QTimer::singleShot(kSenderTimeoutMs, socket, refuse);
        auto end = [this, socket, message, take] {
            take();
            socket->disconnect(this);
            socket->deleteLater();
            finish(*message);
        };
        connect(socket, &QLocalSocket::disconnected, this, end);
        if (socket->state() != QLocalSocket::ConnectedState)
            end();
    }
}

void HandOverServer::finish(const QByteArray& message)
{
    if (message.size() > kMaxMessage)
        return;
    const QString path = pathFrom(message);
    if (!path.isNull())
        emit requested(path);
}

bool handOver(const QString& path, const QString& serverName, int patienceMs)
{
    if (serverName.isEmpty())
        return false;
    QElapsedTimer waited;
    waited.start();
    QLocalSocket socket;
    for (;;) {
        socket.connectToServer(serverName);
        if (socket.waitForConnected(kSenderTimeoutMs))
            break;
        const bool notYet = socket.error() == QLocalSocket::ServerNotFoundError
                            || socket.error() == QLocalSocket::ConnectionRefusedError;
        if (!notYet || waited.elapsed() + kRetryMs > patienceMs)
            return false;
        QThread::msleep(kRetryMs);
    }
    if (!handOverPeerIsThisUser(socket.socketDescriptor()))
        return false;

    // Written from an event loop: on Windows the pipe's writes only move on from there.
    const QByteArray message = path.toUtf8();
    QEventLoop loop;
    QObject::connect(&socket, &QLocalSocket::bytesWritten, &loop, [&] {
        if (socket.bytesToWrite() == 0)
            loop.quit();
    });
    QObject::connect(&socket, &QLocalSocket::disconnected, &loop, &QEventLoop::quit);
    QObject::connect(&socket, &QLocalSocket::errorOccurred, &loop, &QEventLoop::quit);
    QTimer::singleShot(kSenderTimeoutMs, &loop, &QEventLoop::quit);
    if (socket.write(message) != message.size())
        return false;
    if (!message.isEmpty())
        loop.exec();
    if (socket.bytesToWrite() > 0 || socket.state() != QLocalSocket::ConnectedState)
        return false;
    socket.disconnectFromServer();
    if (socket.state() != QLocalSocket::UnconnectedState)
        socket.waitForDisconnected(kSenderTimeoutMs);
    return true;
}
