#include "app/handover.h"

#include <QDir>
#include <QElapsedTimer>
#include <QThread>
#include <QTimer>

#include <algorithm>

namespace {

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

void HandOverServer::finish(const QByteArray& message)
{
    if (message.size() > kMaxMessage)
        return;
    const QString path = pathFrom(message);
    if (!path.isNull())
        emit requested(path);
}

void HandOverServer::admit(HandOverSender* sender)
{
    const auto gone = [](const QPointer<HandOverSender>& other) { return !other || other->hasEnded(); };
    m_senders.erase(std::remove_if(m_senders.begin(), m_senders.end(), gone), m_senders.end());
    if (m_senders.size() >= kMaxSenders)
        m_senders.takeFirst()->cutOff();
    m_senders.append(sender);
}

HandOverSender::HandOverSender(HandOverServer* server)
    : QObject(server)
    , m_server(server)
{
    server->admit(this);
    QTimer::singleShot(HandOverServer::kSenderTimeoutMs, this, [this] { cutOff(); });
}

bool HandOverSender::take(const char* data, qsizetype size)
{
    if (m_ended)
        return false;
    m_message.append(data, static_cast<int>(std::min(size, room())));
    if (m_message.size() > HandOverServer::kMaxMessage)
        cutOff();
    return !m_ended;
}

void HandOverSender::end(bool whole)
{
    if (m_ended)
        return;
    m_ended = true;
    release();
    deleteLater();
    if (whole)
        m_server->finish(m_message);
}

bool reachPatiently(int patienceMs, const std::function<Reach()>& attempt)
{
    QElapsedTimer waited;
    waited.start();
    for (;;) {
        const Reach reach = attempt();
        if (reach != Reach::NotListening)
            return reach == Reach::Connected;
        if (waited.elapsed() + kRetryMs > patienceMs)
            return false;
        QThread::msleep(kRetryMs);
    }
}
