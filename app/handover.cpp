#include "app/handover.h"

#include <QDir>

namespace {

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
