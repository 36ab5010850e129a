#include "app/handover.h"

#include <QCoreApplication>
#include <QDir>
#include <QLocalSocket>
#include <QStandardPaths>
#include <QTimer>

namespace {

// A later start writes and leaves at once; one that sends nothing is not waited for long.
constexpr int kSenderTimeoutMs = 5000;

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

bool HandOverServer::listen(const QString& socketPath)
{
    if (socketPath.isEmpty())
        return false;
    QLocalServer::removeServer(socketPath);
    return m_server.listen(socketPath);
}

QString HandOverServer::defaultSocketPath()
{
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty() || !QDir::isAbsolutePath(folder))
        return QString();
    return QDir(folder).filePath(QCoreApplication::applicationName() + QStringLiteral(".socket"));
}

void HandOverServer::accept()
{
    while (QLocalSocket* socket = m_server.nextPendingConnection()) {
        // Never more than one byte past the limit is held; a sender that goes past it, or
        // does not finish in time, is cut off and its message dropped.
        socket->setReadBufferSize(kMaxMessage + 1);
        auto refuse = [this, socket] {
            socket->disconnect(this);
            socket->abort();
            socket->deleteLater();
        };
        connect(socket, &QLocalSocket::readyRead, this, [socket, refuse] {
            if (socket->bytesAvailable() > kMaxMessage)
                refuse();
        });
        QTimer::singleShot(kSenderTimeoutMs, socket, refuse);
        connect(socket, &QLocalSocket::disconnected, this, [this, socket] { finish(socket); });
        if (socket->state() != QLocalSocket::ConnectedState)
            finish(socket);
    }
}

void HandOverServer::finish(QLocalSocket* socket)
{
    socket->disconnect(this);
    const QByteArray message = socket->read(kMaxMessage + 1);
    socket->deleteLater();
    if (message.size() > kMaxMessage)
        return;
    const QString path = pathFrom(message);
    if (!path.isNull())
        emit requested(path);
}

bool handOver(const QString& path, const QString& socketPath)
{
    if (socketPath.isEmpty())
        return false;
    QLocalSocket socket;
    socket.connectToServer(socketPath);
    if (!socket.waitForConnected(kSenderTimeoutMs))
        return false;
    const QByteArray message = path.toUtf8();
    if (socket.write(message) != message.size())
        return false;
    while (socket.bytesToWrite() > 0) {
        if (!socket.waitForBytesWritten(kSenderTimeoutMs))
            return false;
    }
    socket.disconnectFromServer();
    if (socket.state() != QLocalSocket::UnconnectedState)
        socket.waitForDisconnected(kSenderTimeoutMs);
    return true;
}
