#include "storage/readingfile.h"

#include "core/product.h"
#include "storage/openfile.h"
#include "storage/scramble.h"

#include <QFile>
#include <QSaveFile>

namespace {

constexpr int kLineCount = 5;
// The values are a name and four short list entries; anything longer than this is not a
// reading file, so the rest of such a line is skipped rather than kept.
constexpr int kMaxLineBytes = 32767;
constexpr int kChunkBytes = 4096;
// A genuine file is a few dozen bytes; stop scanning after this much, so that a huge file
// picked by mistake cannot keep the window busy.
constexpr qint64 kMaxScanBytes = 1024 * 1024;

QByteArray storedLine(const QString& value)
{
    return ScrambleText(toWindows1252(value)) + "\r\n";
}

// Splits bytes into lines as they arrive, in chunks: CR ends a line, an LF right after it
// belongs to it, and at most kMaxLineBytes of each line are kept, so that picking a huge or
// binary file by mistake costs neither much memory nor a long wait.
class LineSplitter {
public:
    bool full() const { return m_lines.size() >= kLineCount; }

    void feed(const char* bytes, qint64 count)
    {
        for (qint64 i = 0; i < count && !full(); ++i)
            take(bytes[i]);
    }

    // The lines so far; a last line without a closing CR still counts.
    QList<QByteArray> finish()
    {
        if (!full() && m_lineOpen)
            m_lines.append(m_current);
        return m_lines;
    }

private:
    void take(char byte)
    {
        if (m_skipLineFeed) {
            m_skipLineFeed = false;
            if (byte == '\n')
                return;
        }
        if (byte == '\r') {
            m_lines.append(m_current);
            m_current.clear();
            m_lineOpen = false;
            m_skipLineFeed = true;
        } else {
            m_lineOpen = true;
            if (m_current.size() < kMaxLineBytes)
                m_current.append(byte);
        }
    }

    QList<QByteArray> m_lines;
    QByteArray m_current;
    bool m_lineOpen = false;     // bytes of an unfinished line have been seen
    bool m_skipLineFeed = false; // the previous line ended at CR
};

} // namespace

QString readingFileSuffix()
{
    return QString::fromLatin1(product::kReadingSuffix);
}

QString readingFileFilter()
{
    return QStringLiteral("%1 (*.%2)").arg(QString::fromLatin1(product::kName), readingFileSuffix());
}

bool writeReadingFile(const QString& path, const BirthDetails& details, QString* error)
{
    QByteArray content;
    content += storedLine(QString::fromStdString(details.Name));
    content += storedLine(QString::number(details.Day));
    content += storedLine(QString::fromStdString(details.Month));
    content += storedLine(QString::number(details.Year));
    content += storedLine(QString::fromStdString(details.Time));

    // QSaveFile writes beside the target and renames on commit, so a failure never leaves
    // a half-written reading or damages the one that was there. Unbuffered, so that a write
    // error (a full disk) shows here, before the commit, and not inside it, where some Qt
    // versions lose it and rename the short file over the old one anyway.
    QSaveFile file(path);
    // Where the folder cannot take the new file beside the old one, the save is refused rather
    // than written over the old file in place: a failure then would destroy the old reading.
    file.setDirectWriteFallback(false);
    bool written = file.open(QIODevice::WriteOnly | QIODevice::Unbuffered);
    // A short write is retried, so that the call that fails reports why.
    for (qint64 done = 0; written && done < content.size();) {
        const qint64 count = file.write(content.constData() + done, content.size() - done);
        written = count > 0;
        done += count;
    }
    if (!written || !file.commit()) {
        if (error)
            *error = file.errorString();
        return false;
    }
    return true;
}

bool readReadingFile(const QString& path, QStringList* values, QString* error)
{
    // A pipe would block the window until some other program writes to it, and a device or
    // folder is no reading either: only regular files are read.
    QFile file;
    if (!openRegularFile(file, path, error))
        return false;

    LineSplitter splitter;
    char chunk[kChunkBytes];
    for (qint64 scanned = 0; !splitter.full() && scanned < kMaxScanBytes;) {
        const qint64 got = file.read(chunk, sizeof chunk);
        if (got < 0) {
            if (error)
                *error = file.errorString();
            return false;
        }
        if (got == 0)
            break;
        scanned += got;
        splitter.feed(chunk, got);
    }
    const QList<QByteArray> lines = splitter.finish();

    if (values) {
        values->clear();
        for (int i = 0; i < kLineCount; ++i)
            values->append(fromWindows1252(UnscrambleText(lines.value(i))));
    }
    return true;
}
