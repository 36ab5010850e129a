// Stand-alone reproduction, plain Qt only, of the heap growth seen over many readings: fresh
// widgets with a custom palette make the style cache its drawings under new keys every time,
// and the pixmap cache keeps the text key of every entry it has dropped.
//
//   bench_stylecache                      the table below, 2,000 windows each
//   bench_stylecache pixmapcache [n]      n distinct keys into QPixmapCache, cleared every 100
//   bench_stylecache window STYLE PALETTE CHILD [n]
//       STYLE fusion|windows; PALETTE none|window|application|child|stylesheet;
//       CHILD none|button|scrollbars|combo: n windows created, shown, painted and deleted
//
// Each line gives the heap in use after a quarter and after all of the n, and the growth per
// window (or per key) between the two. Needs glibc for the heap figure.
#include <QApplication>
#include <QComboBox>
#include <QPixmap>
#include <QPixmapCache>
#include <QProcess>
#include <QPushButton>
#include <QStyle>
#include <QStyleFactory>
#include <QTextEdit>

#include <cstdio>
#include <cstring>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace {

long heapInUseKiB()
{
#if defined(__GLIBC__) && (__GLIBC__ > 2 || (__GLIBC__ == 2 && __GLIBC_MINOR__ >= 33))
    const struct mallinfo2 info = mallinfo2();
    return static_cast<long>((info.uordblks + info.hblkhd) / 1024);
#else
    return -1;
#endif
}

void report(const char* what, int count, long quarter, long all)
{
    const int measured = count - count / 4;
    std::printf("%-44s n=%-6d heap %6ld KiB -> %6ld KiB  %+7.0f B each\n", what, count, quarter, all,
                measured > 0 ? (all - quarter) * 1024.0 / measured : 0.0);
    std::fflush(stdout);
}

// QPixmapCache alone: distinct text keys, small pixmaps, the cache emptied every 100 keys.
void pixmapCache(int count)
{
    long quarter = 0;
    for (int i = 1; i <= count; ++i) {
        QPixmap pixmap(16, 16);
        pixmap.fill(Qt::red);
        QPixmapCache::insert(QStringLiteral("style-like-key-with-a-palette-number-%1").arg(i), pixmap);
        if (i % 100 == 0)
            QPixmapCache::clear();
        if (i == count / 4)
            quarter = heapInUseKiB();
    }
    report("QPixmapCache, distinct keys, clear() often", count, quarter, heapInUseKiB());
}

QPalette customPalette(QPalette palette)
{
    palette.setColor(QPalette::Window, QColor(0x43, 0x32, 0x12));
    palette.setColor(QPalette::Button, QColor(0xE0, 0xE0, 0xE0));
    palette.setColor(QPalette::ButtonText, Qt::black);
    return palette;
}

// Windows made, shown, painted and deleted one after another, as the program's result windows.
void windows(const QString& style, const QString& palette, const QString& child, int count)
{
    QApplication::setStyle(QStyleFactory::create(style));
    if (palette == QLatin1String("application"))
        QApplication::setPalette(customPalette(QApplication::palette()));
    long quarter = 0;
    for (int i = 1; i <= count; ++i) {
        auto* window = new QWidget;
        window->resize(320, 240);
        QWidget* inner = nullptr;
        if (child == QLatin1String("button")) {
            inner = new QPushButton(QStringLiteral("Back"), window);
        } else if (child == QLatin1String("scrollbars")) {
            auto* box = new QTextEdit(window);
            box->setPlainText(QStringLiteral("A reading long enough to scroll.\n").repeated(40));
            inner = box;
        } else if (child == QLatin1String("combo")) {
            inner = new QComboBox(window);
        }
        if (inner)
            inner->setGeometry(10, 10, 200, 150);
        if (palette == QLatin1String("window"))
            window->setPalette(customPalette(window->palette()));
        else if (palette == QLatin1String("child") && inner)
            inner->setPalette(customPalette(inner->palette()));
        else if (palette == QLatin1String("stylesheet"))
            window->setStyleSheet(QStringLiteral("QWidget { background-color: #433212; } "
                                                 "QPushButton { background-color: #e0e0e0; color: black; }"));
        window->show();
        QApplication::processEvents();
        window->repaint();
        delete window;
        QApplication::processEvents();
        if (i == count / 4)
            quarter = heapInUseKiB();
    }
    const QString what = QStringLiteral("%1, %2 palette, %3").arg(style, palette, child);
    report(qPrintable(what), count, quarter, heapInUseKiB());
}

} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments().mid(1);
    if (args.value(0) == QLatin1String("pixmapcache")) {
        pixmapCache(args.size() > 1 ? args.at(1).toInt() : 100000);
        return 0;
    }
    if (args.value(0) == QLatin1String("window") && args.size() >= 4) {
        windows(args.at(1), args.at(2), args.at(3), args.size() > 4 ? args.at(4).toInt() : 2000);
        return 0;
    }
    if (!args.isEmpty() && args.value(0) != QLatin1String("table")) {
        std::fprintf(stderr, "usage: see the comment at the top of bench_stylecache.cpp\n");
        return 2;
    }
    // Every case in a fresh process, so that one case's cache does not count for the next.
    const int count = args.size() > 1 ? args.at(1).toInt() : 2000;
    const QString self = QCoreApplication::applicationFilePath();
    auto run = [&](const QStringList& caseArgs) {
        QProcess child;
        child.setProcessChannelMode(QProcess::ForwardedChannels);
        child.start(self, caseArgs);
        return child.waitForFinished(-1) && child.exitStatus() == QProcess::NormalExit && child.exitCode() == 0;
    };
    bool ok = run({QStringLiteral("pixmapcache"), QString::number(count * 20)});
    for (const char* style : {"fusion", "windows"}) {
        for (const char* child : {"none", "button", "scrollbars", "combo"}) {
            for (const char* palette : {"none", "window", "application", "child", "stylesheet"}) {
                if (std::strcmp(child, "none") == 0 && std::strcmp(palette, "child") == 0)
                    continue;
                ok = run({QStringLiteral("window"), QLatin1String(style), QLatin1String(palette), QLatin1String(child),
                          QString::number(count)}) && ok;
            }
        }
    }
    return ok ? 0 : 1;
}
