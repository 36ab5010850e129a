// ScrambleText and UnscrambleText on arbitrary bytes, and the Windows-1252 conversion at the
// edge of them.
//
// - Scrambling keeps the bytes up to 193 in their order, each raised by 62, and drops the rest,
//   so every scrambled byte is at least 62 (no line break ever reaches a file) and
//   unscrambling gives back the text without the dropped bytes.
// - Unscrambling keeps the bytes from 62 up, lowered by 62; scrambling that gives back the
//   text without the bytes below 62.
// - Every byte string survives Windows-1252 decoding and encoding unchanged, one character per
//   byte; any UTF-16 text encodes to at most one byte per unit, and encoding is stable.
#include "fuzz/fuzzcheck.h"

#include "storage/scramble.h"

#include <QByteArray>
#include <QString>

#include <cstdint>

namespace {

constexpr size_t kMaxInputBytes = 1 << 16;

QByteArray keptBytes(const QByteArray& bytes, int low, int high)
{
    QByteArray kept;
    for (const char byte : bytes) {
        const int code = static_cast<unsigned char>(byte);
        if (code >= low && code <= high)
            kept.append(byte);
    }
    return kept;
}

void checkScramble(const QByteArray& text)
{
    const QByteArray scrambled = ScrambleText(text);
    const QByteArray raisable = keptBytes(text, 0, 255 - kScrambleShift);
    FUZZ_CHECK(scrambled.size() == raisable.size());
    for (int i = 0; i < scrambled.size(); ++i) {
        const int code = static_cast<unsigned char>(scrambled.at(i));
        FUZZ_CHECK(code >= kScrambleShift);
        FUZZ_CHECK(code == static_cast<unsigned char>(raisable.at(i)) + kScrambleShift);
    }
    FUZZ_CHECK(UnscrambleText(scrambled) == raisable);
}

void checkUnscramble(const QByteArray& text)
{
    const QByteArray unscrambled = UnscrambleText(text);
    const QByteArray lowerable = keptBytes(text, kScrambleShift, 255);
    FUZZ_CHECK(unscrambled.size() == lowerable.size());
    FUZZ_CHECK(ScrambleText(unscrambled) == lowerable);
}

void checkCodePage(const QByteArray& bytes)
{
    const QString decoded = fromWindows1252(bytes);
    FUZZ_CHECK(decoded.size() == bytes.size());
    FUZZ_CHECK(toWindows1252(decoded) == bytes);

    // The same bytes read as UTF-16 text, which may hold anything, lone surrogates included.
    const QString text(reinterpret_cast<const QChar*>(bytes.constData()), bytes.size() / 2);
    const QByteArray encoded = toWindows1252(text);
    FUZZ_CHECK(encoded.size() <= text.size());
    FUZZ_CHECK(toWindows1252(fromWindows1252(encoded)) == encoded);
    // Without surrogate pairs every unit has its own byte: either the unit itself, read back
    // through the code page, or '?'. Latin-1 units outside 0x80..0x9F always have a byte.
    if (encoded.size() == text.size()) {
        const QString back = fromWindows1252(encoded);
        for (int i = 0; i < text.size(); ++i) {
            const ushort unit = text.at(i).unicode();
            FUZZ_CHECK(back.at(i) == text.at(i) || encoded.at(i) == '?');
            if (unit < 0x80 || (unit >= 0xA0 && unit <= 0xFF))
                FUZZ_CHECK(back.at(i) == text.at(i));
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size > kMaxInputBytes)
        return 0;
    const QByteArray input(reinterpret_cast<const char*>(data), static_cast<int>(size));
    checkScramble(input);
    checkUnscramble(input);
    checkCodePage(input);
    return 0;
}
