// A later start hands its reading file to the copy that is already running: one message per
// connection over a local socket beside the single-instance lock, in the user's private
// runtime folder (never the shared temporary folder, where another user could take the name
// first), and open to this user only.
#pragma once

#include <QLocalServer>
#include <QObject>
#include <QString>

class QLocalSocket;

class HandOverServer : public QObject {
    Q_OBJECT
public:
    // The longest message taken: a full path, in UTF-8.
    static constexpr int kMaxMessage = 4096;

    explicit HandOverServer(QObject* parent = nullptr);

    // Only the copy that holds the single-instance lock listens, so whatever is found at the
    // path was left by a copy that ended without cleaning up and is replaced.
    bool listen(const QString& socketPath = defaultSocketPath());

    // In the user's runtime folder, named after the program; empty when there is no such folder.
    static QString defaultSocketPath();

signals:
    // A later start asks this copy to come to the front and, when path is not empty, to open
    // the reading file at path. Anything that is not an absolute path is dropped unseen.
    void requested(const QString& path);

private:
    void accept();
    void finish(QLocalSocket* socket);

    QLocalServer m_server;
};

// Sent by a later start: path (empty to ask only for the front). True when the running copy
// took the message.
bool handOver(const QString& path, const QString& socketPath = HandOverServer::defaultSocketPath());
