// The reading-file reader on arbitrary files, and the writer and reader together on arbitrary
// birth details.
//
// 1. The input is written to a file as it stands and read back. The reader must succeed and
//    give exactly five values, the same as a plain reference reading of the bytes: lines end
//    at CR with an optional LF after it, a missing line is empty, a last line needs no CR,
//    lines after the fifth are ignored and only the first 32767 bytes of a line are kept.
// 2. The input is taken as birth details, written with writeReadingFile and read back: each
//    value must come back as its Windows-1252 bytes without those above 193 (the bytes that
//    cannot be raised by the shift), cut to the length the reader keeps.
#include "fuzz/fuzzcheck.h"

#include "storage/readingfile.h"
#include "storage/scramble.h"

#include <QByteArray>
#include <QFile>
#include <QList>
#include <QTemporaryDir>

#include <cstdint>
#include <cstring>

namespace {

constexpr int kLines = 5;
constexpr int kMaxLineBytes = 32767;
// Five lines at the longest kept length and a little more; longer inputs find nothing new
// (and the reader stops scanning at 1 MiB, which the reference reading does not model).
constexpr size_t kMaxInputBytes = 6 * (kMaxLineBytes + 2);

const QTemporaryDir& workDir()
{
    static const QTemporaryDir dir;
    return dir;
}

QList<QByteArray> referenceLines(const QByteArray& content)
{
    QList<QByteArray> lines;
    int position = 0;
    for (int line = 0; line < kLines; ++line) {
        if (position >= content.size()) {
            lines.append(QByteArray());
            continue;
        }
        int end = content.indexOf('\r', position);
        if (end < 0)
            end = content.size();
        lines.append(content.mid(position, qMin(end - position, kMaxLineBytes)));
        position = end + 1;
        if (end < content.size() && position < content.size() && content.at(position) == '\n')
            ++position;
    }
    return lines;
}

QByteArray withoutBytesAbove(const QByteArray& bytes, int limit)
{
    QByteArray kept;
    for (const char byte : bytes) {
        if (static_cast<unsigned char>(byte) <= limit)
            kept.append(byte);
    }
    return kept;
}

void readRawFile(const QByteArray& content)
{
    const QString path = workDir().filePath(QStringLiteral("raw.boa"));
    QFile file(path);
    FUZZ_CHECK(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    FUZZ_CHECK(file.write(content) == content.size());
    file.close();

    QStringList values{QStringLiteral("left over")};
    QString error;
    FUZZ_CHECK(readReadingFile(path, &values, &error));
    FUZZ_CHECK(values.size() == kLines);
    const QList<QByteArray> expected = referenceLines(content);
    for (int i = 0; i < kLines; ++i)
        FUZZ_CHECK(toWindows1252(values.at(i)) == UnscrambleText(expected.at(i)));

    // A reader that is only asked whether the file can be read must not trip over null.
    FUZZ_CHECK(readReadingFile(path, nullptr, nullptr));
}

void writeAndReadBack(const QByteArray& input)
{
    if (input.size() < 4)
        return;
    BirthDetails details;
    details.Day = static_cast<std::int16_t>((static_cast<unsigned char>(input[0]) << 8) | static_cast<unsigned char>(input[1]));
    details.Year = static_cast<std::int16_t>((static_cast<unsigned char>(input[2]) << 8) | static_cast<unsigned char>(input[3]));
    const QList<QByteArray> texts = input.mid(4).split('\n');
    details.Name = texts.value(0).toStdString();
    details.Month = texts.value(1).toStdString();
    details.Time = texts.value(2).toStdString();

    const QString path = workDir().filePath(QStringLiteral("written.boa"));
    QString error;
    FUZZ_CHECK(writeReadingFile(path, details, &error));
    QStringList values;
    FUZZ_CHECK(readReadingFile(path, &values, &error));
    FUZZ_CHECK(values.size() == kLines);

    const auto restored = [](const std::string& text) {
        const QByteArray stored = withoutBytesAbove(toWindows1252(QString::fromStdString(text)), 255 - kScrambleShift);
        return fromWindows1252(stored.left(kMaxLineBytes));
    };
    FUZZ_CHECK(values.at(0) == restored(details.Name));
    FUZZ_CHECK(values.at(1) == QString::number(details.Day));
    FUZZ_CHECK(values.at(2) == restored(details.Month));
    FUZZ_CHECK(values.at(3) == QString::number(details.Year));
    FUZZ_CHECK(values.at(4) == restored(details.Time));

    // Every stored byte is a raised one, so the five CR LF pairs are the only line breaks.
    QFile file(path);
    FUZZ_CHECK(file.open(QIODevice::ReadOnly));
    const QByteArray stored = file.readAll();
    FUZZ_CHECK(stored.count("\r\n") == kLines && stored.count('\r') == kLines && stored.count('\n') == kLines);
    FUZZ_CHECK(stored.endsWith("\r\n"));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size > kMaxInputBytes)
        return 0;
    FUZZ_CHECK(workDir().isValid());
    const QByteArray input(reinterpret_cast<const char*>(data), static_cast<int>(size));
    readRawFile(input);
    writeAndReadBack(input);
    return 0;
}
