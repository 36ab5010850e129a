#include "app/commandline.h"

#include "app/system.h"
#include "core/product.h"
#include "storage/readingfile.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QFileInfo>

#include <cstdlib>

namespace {

void describe(QCommandLineParser& parser)
{
    parser.setApplicationDescription(QString::fromLatin1(product::kName)
                                     + QStringLiteral(": the body astrology reading for a birth date and time."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument(QStringLiteral("FILE"),
                                 QStringLiteral("A saved reading (.%1) to open.").arg(readingFileSuffix()),
                                 QStringLiteral("[FILE]"));
}

} // namespace

std::unique_ptr<QCoreApplication> createApplication(int& argc, char** argv)
{
    // The final reading of the line needs the application object (it holds the arguments as
    // the system gave them); this first look only decides which kind of object to make.
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    QCommandLineParser parser;
    describe(parser);
    parser.parse(arguments);
    if (parser.isSet(QStringLiteral("help")) || parser.isSet(QStringLiteral("help-all"))
        || parser.isSet(QStringLiteral("version")))
        return std::make_unique<QCoreApplication>(argc, argv);
    return std::make_unique<QApplication>(argc, argv);
}

QString readCommandLine()
{
    const QStringList arguments = QCoreApplication::arguments();
    QCommandLineParser parser;
    describe(parser);
    // A first look: will the line be answered (help, version, a mistake) rather than run?
    if (!parser.parse(arguments) || parser.isSet(QStringLiteral("help")) || parser.isSet(QStringLiteral("help-all"))
        || parser.isSet(QStringLiteral("version")) || parser.positionalArguments().size() > 1)
        prepareCommandLineOutput();
    parser.process(arguments);
    const QStringList files = parser.positionalArguments();
    if (files.size() > 1) {
        // As the parser reports its own mistakes, then out.
        showCommandLineError(QStringLiteral("Only one reading file can be opened.\n\n") + parser.helpText());
        std::exit(1);
    }
    return files.isEmpty() ? QString() : QFileInfo(files.first()).absoluteFilePath();
}
