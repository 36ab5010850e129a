#include "app/handover.h"

#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
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

HandOverSender::HandOverSender(HandOverServer* server)
    : QObject(server)
    , m_server(server)
{
    ++server->m_serving;
    QTimer::singleShot(HandOverServer::kSenderTimeoutMs, this, [this] {
        if (!m_ended)
            readWhatCame();
        cutOff();
    });
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
    // Answered before anything runs on the request: opening the file may show a box for long.
    const QString path = whole && m_message.size() <= HandOverServer::kMaxMessage ? pathFrom(m_message) : QString();
    if (!path.isNull())
        answerTaken();
    release();
    deleteLater();
    --m_server->m_serving;
    m_server->resume();
    if (!path.isNull())
        emit m_server->requested(path);
}

bool reachPatiently(int patienceMs, const QDeadlineTimer& deadline, const std::function<Reach()>& attempt)
{
    QElapsedTimer waited;
    waited.start();
    for (;;) {
        const Reach reach = attempt();
        if (reach == Reach::Connected)
            return true;
        if (reach == Reach::Failed || deadline.hasExpired())
            return false;
        if (reach == Reach::NotListening && waited.elapsed() + kRetryMs > patienceMs)
            return false;
        // A pause long enough for timers to come due too (a loop that ends at once may run
        // none of them on Windows).
        QEventLoop loop;
        QTimer::singleShot(kRetryMs, &loop, &QEventLoop::quit);
        loop.exec();
    }
}
