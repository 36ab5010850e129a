#include "tests/common/fakeplatform.h"
#include "tests/common/guitest.h"
#include "ui/result/printing.h"

#include <QFile>
#include <QPrinter>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTextCursor>
#include <QTextEdit>
#include <QtTest>

namespace {

// A report long enough to need several pages, in the report's mix of formats.
void fillReport(QTextEdit& box)
{
    QTextCursor cursor(box.document());
    QTextCharFormat heading;
    heading.setFontWeight(QFont::Bold);
    heading.setForeground(QColor(128, 0, 0));
    heading.setFontPointSize(12);
    QTextCharFormat body;
    body.setFontPointSize(12);
    for (int i = 0; i < 40; ++i) {
        cursor.insertText(QStringLiteral("Diet Tips :-\r\n"), heading);
        cursor.insertText(QStringLiteral("->Eat fresh fruit\r\n->Drink water\r\n\r\n"), body);
    }
}

int pdfPageCount(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    // Qt 5's fromLatin1(QByteArray) stops at the first NUL, and a PDF has many.
    const QByteArray bytes = file.readAll();
    const QString pdf = QString::fromLatin1(bytes.constData(), bytes.size());
    return int(pdf.count(QRegularExpression(QStringLiteral("/Type\\s*/Page(?!s)"))));
}

} // namespace

class tst_printing : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { prepareGuiTestEnvironment(); }

    // What is printed follows the box's selection, never the range the dialog comes back with.
    void printsSelectionOrWholeReport_data()
    {
        QTest::addColumn<bool>("select");
        QTest::addColumn<int>("dialogRange");

        QTest::newRow("whole report") << false << int(QPrinter::AllPages);
        QTest::newRow("whole report, dialog says selection") << false << int(QPrinter::Selection);
        QTest::newRow("selection") << true << int(QPrinter::Selection);
        QTest::newRow("selection, dialog says all pages") << true << int(QPrinter::AllPages);
    }

    void printsSelectionOrWholeReport()
    {
        QFETCH(bool, select);
        QFETCH(int, dialogRange);

        QTemporaryDir dir;
        QTextEdit box;
        fillReport(box);
        if (select) {
            QTextCursor cursor(box.document());
            cursor.movePosition(QTextCursor::NextBlock, QTextCursor::KeepAnchor, 3);
            box.setTextCursor(cursor);
        }
        const QString pdf = dir.filePath("report.pdf");
        FakePlatform platform;
        platform.printAnswer = [&](QPrinter& printer) {
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(pdf);
            printer.setPrintRange(QPrinter::PrintRange(dialogRange));
        };
        printRichText(box, platform, nullptr);

        QCOMPARE(platform.printDialogs, 1);
        QCOMPARE(platform.lastPrintHadSelection, select);
        QVERIFY(QFile::exists(pdf));
        const int pages = pdfPageCount(pdf);
        if (select)
            QCOMPARE(pages, 1);
        else
            QVERIFY2(pages > 1, qPrintable(QString::number(pages)));
        QVERIFY(platform.messages.isEmpty());
    }

    void cancelPrintsNothing()
    {
        // A dialog in which a PDF file was already chosen before the user pressed Cancel.
        struct CancellingPlatform : FakePlatform {
            QString pdf;
            bool execPrintDialog(QWidget*, QPrinter& printer, bool) override
            {
                ++printDialogs;
                printer.setOutputFormat(QPrinter::PdfFormat);
                printer.setOutputFileName(pdf);
                return false;
            }
        };
        QTemporaryDir dir;
        QTextEdit box;
        fillReport(box);
        CancellingPlatform platform;
        platform.pdf = dir.filePath("report.pdf");
        printRichText(box, platform, nullptr);
        QCOMPARE(platform.printDialogs, 1);
        QVERIFY(!QFile::exists(platform.pdf));
    }

    // With nothing to print on, the user is told so rather than left with no dialog and no page.
    void noPrinterSaysSo()
    {
        QTextEdit box;
        fillReport(box);
        FakePlatform platform;
        platform.printerInstalled = false;
        printRichText(box, platform, nullptr);
        QCOMPARE(platform.printDialogs, 0);
        QCOMPARE(platform.messages.size(), 1);
        QVERIFY(platform.messages.constFirst().text.contains(QLatin1String("No printer is installed")));
    }
};

QTEST_MAIN(tst_printing)
#include "tst_printing.moc"
