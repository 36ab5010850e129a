// The result window driven through the input window, as the user gets to it: the three sign
// tabs and their reports, tab availability, Back and the ways out, the copy guard, and the
// printable report of the print/save panel.
#include "tests/common/guitest.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPointer>
#include <QPushButton>
#include <QScrollBar>
#include <QTabWidget>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextEdit>

#include <functional>

namespace {

const QColor kDarkRed(128, 0, 0);
const QColor kBlack(0, 0, 0);
const QColor kDarkBlue(0, 0, 128);

// The boxes' plain text for the worked example (Pisces sun, Leo opposite, Taurus ascending).
const QString kPiscesBody = QStringLiteral(
    "Neptune\n\nHealth Issues\n\n"
    "Part of the Body/Glands :-\n->Feet, toes, the mucous membranes\n->senses of taste and smell very acute\n\n"
    "Tendency To Illness :-\n->suffer from corns, bunions\n"
    "->prone to athlete's foot and other fungus infections\n->gouts often afflicts the toes\n"
    "->easily fall prey to the influence of alcohol and drugs\n\n"
    "Diet Tips :-\n->Cell salt Ferrum phosphate\n->foods rich in iron\n->high protein diet low in fat and sugar\n"
    "->cut down on table salt, on coffee\n\n"
    "Heath Tips :-\n->involved in creative work, music, art and drama.\n"
    "->need  lots of rest to keep up vitality, which tends to be low\n->swimming and dancing\n"
    "->extra care of feet and wear comfortable , well -fitting shoes\n->warm foot bath\n\n"
    "Erogenous Zone :-\n->massage, touch the feet\n"
    "->foot soak in scented water, followed with an application of foot lotion, massage\n"
    "->use the feet to enhance the act of love\n\n");
const QString kLeoBody = QStringLiteral(
    "Sun\n\nHealth Issues\n\n"
    "Part of the Body/Glands :-\n->Spine, back, Heart\n->warm emotions, courage\n\n"
    "Tendency To Illness :-\n->upper back tires more easily\n->subject to strain and pressure around the heart\n"
    "->heart problem later in life\n\n"
    "Diet Tips :-\n->Cell salt: Magnesium phosphate\n->strong stomachs, good circulation\n"
    "->must learn to eat correctly ad cut down on fatty foods\n\n"
    "Heath Tips :-\n->take care of back, spine with strengthening exercises\n"
    "->develop good posture, get enough rest and relaxation\n->sunbathing\n\n"
    "Erogenous Zone :-\n->Sweeping caresses over the back ad spine\n->back massage\n\n");
const QString kTaurusBody = QStringLiteral(
    "Venus\n\nHealth Issues\n\n"
    "Part of the Body/Glands :-\n->Throat, neck\n->melodious speaking voices\n->fine singers\n->thyroid gland\n\n"
    "Tendency To Illness :-\n->colds, coughs, sore throats, stiff necks\n->tend to get weight\n\n"
    "Diet Tips :-\n->Cell salt: Sulphate of sodium -Na\n->Good diet low in starch, fat and sugar rich in Na\n\n"
    "Heath Tips :-\n->should coddle their throat\n->walking, stretching exercises for the neck\n\n"
    "Erogenous Zone :-\n->light touching , kissing , gentle bites, massage of neck\n\n");

// Checks the attributes of one sign's block where each piece starts: the planet heading, the
// planet, "Health Issues", and each list heading with the first item below it. The search
// starts at from and ends after the block; pointSize 0 leaves the size unchecked.
void checkBlock(const QTextDocument* document, QTextCursor& from, const QString& heading, bool boldPlanet,
                qreal pointSize = 0)
{
    // True when the character at position has these attributes.
    const auto has = [&](int position, bool bold, const QColor& colour, bool underline) {
        QTextCursor at(const_cast<QTextDocument*>(document));
        at.setPosition(position + 1); // the format of the character before the cursor
        const QTextCharFormat format = at.charFormat();
        return format.font().bold() == bold && format.fontUnderline() == underline
            && format.foreground().color() == colour
            && (pointSize <= 0 || qFuzzyCompare(format.font().pointSizeF(), pointSize));
    };
    const auto find = [&](const QString& text) {
        from = document->find(text, from, QTextDocument::FindCaseSensitively);
        return from;
    };
    const QTextCursor planetLine = find(heading);
    QVERIFY2(!planetLine.isNull(), qPrintable(heading));
    QVERIFY2(has(planetLine.selectionStart(), true, kDarkRed, false), qPrintable(heading));
    QVERIFY2(has(planetLine.selectionEnd(), boldPlanet, kBlack, false), "planet");
    QVERIFY(!find(QStringLiteral("Health Issues")).isNull());
    QVERIFY(has(from.selectionStart(), true, kDarkBlue, true));
    for (const QString& listHeading : {QStringLiteral("Part of the Body/Glands :-"), QStringLiteral("Tendency To Illness :-"),
                                       QStringLiteral("Diet Tips :-"), QStringLiteral("Heath Tips :-"),
                                       QStringLiteral("Erogenous Zone :-")}) {
        const QTextCursor found = find(listHeading);
        QVERIFY2(!found.isNull(), qPrintable(listHeading));
        QVERIFY2(has(found.selectionStart(), true, kDarkRed, false), qPrintable(listHeading));
        QVERIFY2(has(found.selectionEnd() + 1, false, kBlack, false), qPrintable(listHeading + QStringLiteral(" list")));
    }
}

} // namespace

class tst_result : public FixtureTest {
    Q_OBJECT

private slots:
    void workedExample();
    void capricornNewYear();
    void onlyTickedTabsOpen_data();
    void onlyTickedTabsOpen();
    void backKeepsEntriesAndNextReadingStartsFresh();
    void waysOut_data();
    void waysOut();
    void copyGuardEmptiesClipboard();
    void printableReportHasAllThreeSigns();

private:
    // A reading for ANN born in 1990, made through the input window as the user makes it.
    frmDisplay* read(bool sun = true, bool opposite = true, bool ascending = true, int day = 7,
                     const QString& month = QStringLiteral("March"), const QString& time = QStringLiteral("8am-10am"))
    {
        Entries entries;
        entries.day = day;
        entries.month = month;
        entries.time = time;
        entries.ticks = {sun, opposite, ascending};
        return m_fx->readingFor(entries);
    }
    static int pictureNumber(QWidget* window, const char* name)
    {
        return child<QLabel>(window, name)->property("pictureNumber").toInt();
    }
};

void tst_result::workedExample()
{
    frmDisplay* display = read();
    QVERIFY(display);
    QVERIFY(!m_fx->input()->isVisible());
    QVERIFY(QApplication::topLevelWidgets().contains(display));

    QCOMPARE(child<QLabel>(display, "lblYourSunSign")->text(), QStringLiteral("Pisces"));
    QCOMPARE(child<QLabel>(display, "lblYourOppositeSign")->text(), QStringLiteral("Leo"));
    QCOMPARE(child<QLabel>(display, "lblYourAscendingSign")->text(), QStringLiteral("Taurus"));
    QCOMPARE(pictureNumber(display, "picSunSign"), 12);
    QCOMPARE(pictureNumber(display, "picOppositeSign"), 5);
    QCOMPARE(pictureNumber(display, "picAscendentSign"), 2);
    QVERIFY(!child<QLabel>(display, "picSunSign")->property("pixmap").value<QPixmap>().isNull());

    auto* tabs = child<QTabWidget>(display, "BodyTab");
    QCOMPARE(tabs->tabText(tabs->currentIndex()), QStringLiteral("Ascending Sign"));

    auto* sun = child<QTextEdit>(display, "RTBSunSign");
    QCOMPARE(sun->toPlainText(), QStringLiteral("Ruling Planet for your Sun Sign is :-") + kPiscesBody);
    QCOMPARE(child<QTextEdit>(display, "RTBOppositeSign")->toPlainText(),
             QStringLiteral("Ruling Planet for your Opposite Sign is :-") + kLeoBody);
    auto* ascending = child<QTextEdit>(display, "RTBAscendentSign");
    QCOMPARE(ascending->toPlainText(), QStringLiteral("Ruling Planet for your Ascendant Sign is :-") + kTaurusBody);
    QTextCursor from(sun->document());
    checkBlock(sun->document(), from, QStringLiteral("Ruling Planet for your Sun Sign is :-"), false);
    from = QTextCursor(ascending->document());
    checkBlock(ascending->document(), from, QStringLiteral("Ruling Planet for your Ascendant Sign is :-"), false);
    // Filling a box must not leave it scrolled to the end of the reading.
    QCOMPARE(ascending->verticalScrollBar()->value(), 0);
}

void tst_result::capricornNewYear()
{
    frmDisplay* display = read(true, true, true, 1, QStringLiteral("January"), QStringLiteral("4am-6am"));
    QVERIFY(display);
    const SignResults& signs = m_fx->session.records().signResults;
    QCOMPARE(signs.Sun, std::string("Capricorn"));
    QCOMPARE(signs.AscendingKey, std::string("Capricorn-4am-6am"));
    QCOMPARE(signs.Ascending, std::string("Capricorn"));
    QCOMPARE(signs.Opposite, std::string("Gemini"));
    QCOMPARE(child<QLabel>(display, "lblYourOppositeSign")->text(), QStringLiteral("Gemini"));
    QCOMPARE(pictureNumber(display, "picSunSign"), 10);
    QCOMPARE(pictureNumber(display, "picOppositeSign"), 3);
    QCOMPARE(pictureNumber(display, "picAscendentSign"), 10);
}

void tst_result::onlyTickedTabsOpen_data()
{
    QTest::addColumn<bool>("sun");
    QTest::addColumn<bool>("opposite");
    QTest::addColumn<bool>("ascending");
    QTest::addColumn<int>("current");
    QTest::newRow("sun only") << true << false << false << int(SunTab);
    QTest::newRow("ascending only") << false << false << true << int(AscendingTab);
    QTest::newRow("sun and opposite") << true << true << false << int(OppositeTab);
}

void tst_result::onlyTickedTabsOpen()
{
    QFETCH(bool, sun);
    QFETCH(bool, opposite);
    QFETCH(bool, ascending);
    QFETCH(int, current);
    frmDisplay* display = read(sun, opposite, ascending);
    QVERIFY(display);
    auto* tabs = child<QTabWidget>(display, "BodyTab");
    const bool ticked[] = {sun, opposite, ascending};
    for (int tab = 0; tab < 3; ++tab) {
        QCOMPARE(tabs->isTabEnabled(tab), ticked[tab]);
        QCOMPARE(tabs->isTabVisible(tab), ticked[tab]);
    }
    QCOMPARE(tabs->currentIndex(), current);
    QVERIFY(tabs->currentWidget()->isVisible());
    // Every reading is built whatever the ticks; they only decide what can be opened.
    for (const char* box : {"RTBSunSign", "RTBOppositeSign", "RTBAscendentSign"})
        QVERIFY(!child<QTextEdit>(display, box)->toPlainText().isEmpty());
    // Stepping through the tabs with the keyboard stays on the ticked ones.
    for (int step = 0; step < 4; ++step) {
        QTest::keyClick(tabs, Qt::Key_Tab, Qt::ControlModifier);
        QVERIFY2(ticked[tabs->currentIndex()], qPrintable(QString::number(tabs->currentIndex())));
    }
}

void tst_result::backKeepsEntriesAndNextReadingStartsFresh()
{
    QPointer<frmDisplay> first = read();
    QVERIFY(first);
    QTest::mouseClick(child<QPushButton>(first, "cmdMainPrint"), Qt::LeftButton);
    QVERIFY(!child<QPushButton>(first, "cmdMainPrint")->isEnabled());

    QTest::mouseClick(child<QPushButton>(first, "cmdBack"), Qt::LeftButton);
    QVERIFY(!m_fx->session.resultWindow());
    QVERIFY(m_fx->input()->isVisible());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(!first);
    QCOMPARE(m_fx->endings, 0);
    QString entries = child<QLineEdit>(m_fx->input(), "txtName")->text();
    for (const char* list : {"cmbDate", "cmbMonth", "cmbYear", "cmbTime"})
        entries += QLatin1Char(' ') + child<QComboBox>(m_fx->input(), list)->currentText();
    QCOMPARE(entries, QStringLiteral("ANN 7 March 1990 8am-10am"));
    QVERIFY(child<QCheckBox>(m_fx->input(), "chkSign_1")->isChecked());

    frmDisplay* second = read(true, true, true, 1, QStringLiteral("January"), QStringLiteral("4am-6am"));
    QVERIFY(second);
    const QString sunText = child<QTextEdit>(second, "RTBSunSign")->toPlainText();
    QVERIFY(sunText.startsWith(QStringLiteral("Ruling Planet for your Sun Sign is :-Saturn\n")));
    QCOMPARE(sunText.count(QStringLiteral("Ruling Planet")), 1);
    QVERIFY(child<QPushButton>(second, "cmdMainPrint")->isEnabled());
    QVERIFY(child<QTextEdit>(second, "RTBSave")->toPlainText().isEmpty());
    QVERIFY(child<QWidget>(second, "fraTab")->isVisible());
    QVERIFY(!child<QWidget>(second, "fraSave")->isVisible());
}

void tst_result::waysOut_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<bool>("ends");
    QTest::newRow("Exit button") << "cmdExit" << true;
    QTest::newRow("File > Exit") << "mnuExit" << true;
    QTest::newRow("close box") << "close" << true;
    QTest::newRow("Alt+E") << "Alt+E" << true;
    QTest::newRow("Back button") << "cmdBack" << false;
    QTest::newRow("File > Back") << "mnuFileBack" << false;
    QTest::newRow("Alt+B") << "Alt+B" << false;
}

void tst_result::waysOut()
{
    QFETCH(QString, how);
    QFETCH(bool, ends);
    QPointer<frmDisplay> display = read();
    QVERIFY(display);
    if (how.startsWith(QLatin1String("Alt+"))) {
        display->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(display));
        QTest::keyClick(display, how.endsWith(QLatin1Char('E')) ? Qt::Key_E : Qt::Key_B, Qt::AltModifier);
    } else if (how == QLatin1String("close")) {
        display->close();
    } else if (how.startsWith(QLatin1String("mnu"))) {
        child<QAction>(display, qPrintable(how))->trigger();
    } else {
        QTest::mouseClick(child<QPushButton>(display, qPrintable(how)), Qt::LeftButton);
    }
    // An access key clicks its button after a short animation, hence the wait.
    QTRY_VERIFY(!display || !display->isVisible());
    QCOMPARE(m_fx->endings, ends ? 1 : 0);
    QCOMPARE(m_fx->input()->isVisible(), !ends);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(!display);
}

void tst_result::copyGuardEmptiesClipboard()
{
    // Text another program put on the clipboard survives a reading.
    QClipboard* clipboard = QGuiApplication::clipboard();
    const QString precious = QStringLiteral("precious");
    clipboard->setText(precious);
    if (clipboard->text() != precious)
        QSKIP("this platform has no working clipboard");

    frmDisplay* display = read();
    QVERIFY(display);
    QCOMPARE(clipboard->text(), precious);
    auto* sun = child<QTextEdit>(display, "RTBSunSign");
    child<QTabWidget>(display, "BodyTab")->setCurrentIndex(SunTab);

    // Copying with the keyboard is allowed; the next mouse movement over the box undoes it.
    sun->setFocus();
    sun->selectAll();
    QTest::keySequence(sun, QKeySequence::Copy);
    QCOMPARE(clipboard->text(), sun->toPlainText());
    QTest::keyClick(sun, Qt::Key_Down);
    QCOMPARE(clipboard->text(), sun->toPlainText());
    QTest::mouseMove(sun->viewport(), QPoint(40, 40));
    QTest::mouseMove(sun->viewport(), QPoint(60, 50));
    QVERIFY(clipboard->text().isEmpty());

    // So do a press, a release, any change of a box's text (building the report included), and
    // a movement over the print/save panel's box; each leaves other text alone. The offscreen
    // clipboard is never owned by this program, so what goes is text found in the reading, as
    // when a clipboard manager has taken it over.
    auto* report = child<QTextEdit>(display, "RTBSave");
    const std::function<void()> actions[] = {
        [&] { QTest::mousePress(sun->viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(20, 20)); },
        [&] { QTest::mouseRelease(sun->viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(30, 20)); },
        [&] { child<QTextEdit>(display, "RTBAscendentSign")->append(QStringLiteral("x")); },
        [&] { QTest::mouseClick(child<QPushButton>(display, "cmdMainPrint"), Qt::LeftButton); },
        [&] { QTest::mouseMove(report->viewport(), QPoint(50, 50)); },
    };
    for (const auto& action : actions) {
        clipboard->setText(QStringLiteral("->Feet, toes"));
        action();
        QVERIFY(clipboard->text().isEmpty());
        clipboard->setText(precious);
        action();
        QCOMPARE(clipboard->text(), precious);
    }
}

void tst_result::printableReportHasAllThreeSigns()
{
    frmDisplay* display = read(true, false, false);
    QVERIFY(display);
    auto* mainPrint = child<QPushButton>(display, "cmdMainPrint");
    QTest::mouseClick(mainPrint, Qt::LeftButton);
    QVERIFY(!mainPrint->isEnabled());
    QVERIFY(child<QWidget>(display, "fraSave")->isVisible() && !child<QWidget>(display, "fraTab")->isVisible());

    auto* report = child<QTextEdit>(display, "RTBSave");
    QCOMPARE(report->toPlainText(),
             QStringLiteral("Ruling Planet for your Sun Sign is :- ") + kPiscesBody + QLatin1Char('\n')
                 + QStringLiteral("Ruling Planet for your Opposite Sign is :- ") + kLeoBody + QLatin1Char('\n')
                 + QStringLiteral("Ruling Planet for your Ascendent Sign is :-") + kTaurusBody);
    QTextCursor from(report->document());
    checkBlock(report->document(), from, QStringLiteral("Ruling Planet for your Sun Sign is :- "), true, 12);
    checkBlock(report->document(), from, QStringLiteral("Ruling Planet for your Opposite Sign is :- "), true, 12);
    checkBlock(report->document(), from, QStringLiteral("Ruling Planet for your Ascendent Sign is :-"), true, 12);
    // The look-ups leave the last sign's entry behind, as printing always has.
    QCOMPARE(m_fx->session.records().catalogueFields.RulingPlanet, std::string("Venus"));

    // The panel's buttons hand the report and the birth details to printing and saving.
    QTest::mouseClick(child<QPushButton>(display, "cmdPrint"), Qt::LeftButton);
    QCOMPARE(m_fx->platform.printDialogs, 1);
    QVERIFY(!m_fx->platform.lastPrintHadSelection);
    report->selectAll();
    // Only the panel's "&Print" is left for Alt+P once the bottom one is disabled.
    display->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(display));
    QTest::keyClick(display, Qt::Key_P, Qt::AltModifier);
    QTRY_COMPARE(m_fx->platform.printDialogs, 2);
    QVERIFY(m_fx->platform.lastPrintHadSelection);
    QTest::mouseClick(child<QPushButton>(display, "cmdSave"), Qt::LeftButton);
    QCOMPARE(m_fx->platform.saveDialogs.size(), 1);
    QVERIFY(m_fx->platform.messages.isEmpty());
}

QTEST_MAIN(tst_result)
#include "tst_result.moc"
