// Without libFuzzer (another compiler than clang), each fuzz target is a plain program that
// runs its entry point once on every file named, or every file in every folder named.
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstdint>
#include <cstdio>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

bool replayFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "cannot read %s\n", qPrintable(path));
        return false;
    }
    const QByteArray input = file.readAll();
    std::fprintf(stderr, "Running: %s\n", qPrintable(path));
    LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(input.constData()),
                           static_cast<std::size_t>(input.size()));
    return true;
}

} // namespace

int main(int argc, char* argv[])
{
    int replayed = 0;
    bool ok = true;
    for (int i = 1; i < argc; ++i) {
        if (argv[i][0] == '-')
            continue; // libFuzzer options mean nothing here
        const QString path = QString::fromLocal8Bit(argv[i]);
        if (QFileInfo(path).isDir()) {
            const QFileInfoList files = QDir(path).entryInfoList(QDir::Files, QDir::Name);
            for (const QFileInfo& entry : files) {
                ok = replayFile(entry.filePath()) && ok;
                ++replayed;
            }
        } else {
            ok = replayFile(path) && ok;
            ++replayed;
        }
    }
    std::fprintf(stderr, "Replayed %d inputs\n", replayed);
    return ok ? 0 : 1;
}
