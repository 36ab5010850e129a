// The hand-over over a named pipe, through Qt's local sockets.
#include "app/handover.h"

#include <QEventLoop>
#include <QLocalServer>
#include <QLocalSocket>
#include <QTimer>

#include <memory>

struct HandOverServer::Listener {
    QLocalServer server;
};

HandOverServer::HandOverServer(QObject* parent)
    : QObject(parent)
    , m_listener(std::make_unique<Listener>())
{
    QLocalServer& server = m_listener->server;
    server.setSocketOptions(QLocalServer::UserAccessOption);
    connect(&server, &QLocalServer::newConnection, this, [this, &server] {
        while (QLocalSocket* socket = server.nextPendingConnection()) {
            // Never more than one byte past the limit is held; a sender that goes past it, or
            // does not finish in time, is cut off and its message dropped. What comes is taken
            // as it comes: a pipe that the sender has closed can no longer be read.
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
    });
}

HandOverServer::~HandOverServer() = default;

bool HandOverServer::listen(const QString& serverName)
{
    if (serverName.isEmpty())
        return false;
    QLocalServer::removeServer(serverName);
    return m_listener->server.listen(serverName);
}

bool handOver(const QString& path, const QString& serverName, int patienceMs)
{
    if (serverName.isEmpty())
        return false;
    constexpr int timeoutMs = HandOverServer::kSenderTimeoutMs;
    QLocalSocket socket;
    const bool reached = reachPatiently(patienceMs, [&] {
        socket.connectToServer(serverName);
        if (socket.waitForConnected(timeoutMs))
            return Reach::Connected;
        const bool notYet = socket.error() == QLocalSocket::ServerNotFoundError
                            || socket.error() == QLocalSocket::ConnectionRefusedError;
        return notYet ? Reach::NotListening : Reach::Failed;
    });
    if (!reached || !handOverPeerIsThisUser(socket.socketDescriptor()))
        return false;

    // Written from an event loop: the pipe's writes only move on from there.
    const QByteArray message = path.toUtf8();
    QEventLoop loop;
    QObject::connect(&socket, &QLocalSocket::bytesWritten, &loop, [&] {
        if (socket.bytesToWrite() == 0)
            loop.quit();
    });
    QObject::connect(&socket, &QLocalSocket::disconnected, &loop, &QEventLoop::quit);
    QObject::connect(&socket, &QLocalSocket::errorOccurred, &loop, &QEventLoop::quit);
    QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
    if (socket.write(message) != message.size())
        return false;
    if (!message.isEmpty())
        loop.exec();
    if (socket.bytesToWrite() > 0 || socket.state() != QLocalSocket::ConnectedState)
        return false;
    socket.disconnectFromServer();
    if (socket.state() != QLocalSocket::UnconnectedState)
        socket.waitForDisconnected(timeoutMs);
    return true;
}
