// The input window driven through its real widgets: lists, key filter, validation, and the
// reading command's bookkeeping.
#include "tests/common/guitest.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QDropEvent>
#include <QMimeData>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>

class tst_input : public FixtureTest {
    Q_OBJECT

private slots:
    void startsWithFilledListsAndNothingTicked();
    void keyFilterCapitalisesAndRejects();
    void pastedAndDroppedTextObeyTheKeyRule();
    void validationRules_data();
    void validationRules();
    void emptyNameWinsAndTakesFocus();
    void menuCommandDoesWhatTheButtonDoes();
    void readingCapturesTrimmedDetails();
    void openRefusesWrongEndingsAndKeepsEntriesOnBadFiles();

private:
    template <typename T>
    T* w(const char* name) const
    {
        return child<T>(m_fx->input(), name);
    }
    void setEntries(const QString& name, int day, const QString& month, int year, bool sun, bool opposite,
                    bool ascending)
    {
        Entries entries;
        entries.name = name;
        entries.day = day;
        entries.month = month;
        entries.year = year;
        entries.time = w<QComboBox>("cmbTime")->currentText();
        entries.ticks = {sun, opposite, ascending};
        m_fx->fillEntries(entries);
    }
};

void tst_input::startsWithFilledListsAndNothingTicked()
{
    QCOMPARE(m_fx->input()->windowTitle(), expectedCaption());
    auto* date = w<QComboBox>("cmbDate");
    auto* month = w<QComboBox>("cmbMonth");
    auto* year = w<QComboBox>("cmbYear");
    auto* time = w<QComboBox>("cmbTime");
    QCOMPARE(date->count(), 31);
    QCOMPARE(date->itemText(30), QStringLiteral("31"));
    QCOMPARE(month->count(), 12);
    QCOMPARE(month->itemText(11), QStringLiteral("December"));
    QCOMPARE(year->count(), 151);
    QCOMPARE(year->itemText(150), QStringLiteral("2050"));
    QCOMPARE(time->count(), 12);
    QCOMPARE(time->itemText(2), QStringLiteral("midnight-2am"));
    QCOMPARE(time->itemText(8), QStringLiteral("noon-2pm"));
    QCOMPARE(time->itemText(11), QStringLiteral("6am-8am"));
    for (QComboBox* list : {date, month, year, time}) {
        QCOMPARE(list->currentIndex(), 0);
        QVERIFY(!list->isEditable());
    }
    QCOMPARE(date->currentText() + month->currentText() + year->currentText() + time->currentText(),
             QStringLiteral("1January19004am-6am"));
    for (const char* name : {"chkSign_0", "chkSign_1", "chkSign_2"})
        QVERIFY(!w<QCheckBox>(name)->isChecked());
    QCOMPARE(w<QCheckBox>("chkSign_2")->text(), QStringLiteral("Find Ascending Sign"));
    QCOMPARE(w<QPushButton>("cmdProceed")->text(), QStringLiteral("Find My &Body Astrology Result"));
    QCOMPARE(w<QPushButton>("cmdOpen")->text(),
             QStringLiteral("Click Here To Open Previously Saved Body Astrology Interpretation"));
    QVERIFY(!w<QAction>("mnuMakeMoneyOnline")->isEnabled());
    QVERIFY(w<QAction>("mnuHelp1")->isSeparator());
    QVERIFY(w<QAction>("mnuHelp2")->isSeparator());

    // A fresh start with a name typed stops at the sign choice.
    w<QLineEdit>("txtName")->setText(QStringLiteral("ANN"));
    QTest::mouseClick(w<QPushButton>("cmdProceed"), Qt::LeftButton);
    QCOMPARE(m_fx->platform.messageTexts(), QStringList{QStringLiteral("Please Select To Find Sign/Signs")});
    QVERIFY(m_fx->input()->isVisible());
}

void tst_input::keyFilterCapitalisesAndRejects()
{
    auto* name = w<QLineEdit>("txtName");
    name->setFocus();
    QTest::keyClicks(name, QStringLiteral("ann"));
    QCOMPARE(name->text(), QStringLiteral("ANN"));
    QVERIFY(m_fx->platform.messages.isEmpty());

    QTest::keyClicks(name, QStringLiteral("1-"));
    QCOMPARE(name->text(), QStringLiteral("ANN"));
    QCOMPARE(m_fx->platform.messageTexts(),
             (QStringList{QStringLiteral("Please Enter Only Alphabet !"), QStringLiteral("Please Enter Only Alphabet !")}));
    QCOMPARE(m_fx->platform.messages.first().icon, QMessageBox::Information);

    QTest::keyClick(name, Qt::Key_Space);
    QTest::keyClicks(name, QStringLiteral("Lee"));
    QCOMPARE(name->text(), QStringLiteral("ANN LEE"));
    QTest::keyClick(name, Qt::Key_Backspace);
    QCOMPARE(name->text(), QStringLiteral("ANN LE"));

    // Keys that carry no character move the cursor and are not filtered.
    QTest::keyClick(name, Qt::Key_Home);
    QTest::keyClick(name, Qt::Key_Delete);
    QTest::keyClick(name, Qt::Key_Right);
    QTest::keyClicks(name, QStringLiteral("x"));
    QCOMPARE(name->text(), QStringLiteral("NXN LE"));
    QCOMPARE(m_fx->platform.messages.size(), 2);

    // An access key that matches no command types nothing.
    QTest::keyClick(name, Qt::Key_P, Qt::AltModifier);
    QCOMPARE(name->text(), QStringLiteral("NXN LE"));
    QCOMPARE(m_fx->platform.messages.size(), 2);

    // Letters outside A-Z are refused like digits.
    QKeyEvent accented(QEvent::KeyPress, Qt::Key_Eacute, Qt::NoModifier, QString(QChar(0xE9)));
    QApplication::sendEvent(name, &accented);
    QCOMPARE(name->text(), QStringLiteral("NXN LE"));
    QCOMPARE(m_fx->platform.messages.size(), 3);
}

void tst_input::pastedAndDroppedTextObeyTheKeyRule()
{
    auto* name = w<QLineEdit>("txtName");
    name->setText(QStringLiteral("ANN"));
    name->setCursorPosition(3);
    // The context menu's Paste and the middle button both end in paste's insertion.
    QGuiApplication::clipboard()->setText(QStringLiteral(" lee"));
    name->paste();
    QCOMPARE(name->text(), QStringLiteral("ANN LEE"));
    QGuiApplication::clipboard()->setText(QStringLiteral("Zo\u00eb O'Brien-42"));
    name->paste();
    QMimeData dropped;
    dropped.setText(QStringLiteral("x1"));
    QDragEnterEvent enter(QPoint(2, 2), Qt::CopyAction, &dropped, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(name, &enter);
    QDropEvent drop(QPointF(2, 2), Qt::CopyAction, &dropped, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(name, &drop);
    QVERIFY(drop.isAccepted());
    QCOMPARE(name->text(), QStringLiteral("ANN LEE"));
    const QString refusal = QStringLiteral("Please Enter Only Alphabet !");
    QTRY_COMPARE(m_fx->platform.messageTexts(), (QStringList{refusal, refusal}));
    // A name that the program puts in (a reopened file) stands as it is.
    name->setText(QStringLiteral("O'BRIEN"));
    QTest::qWait(0);
    QCOMPARE(name->text(), QStringLiteral("O'BRIEN"));
    QCOMPARE(m_fx->platform.messages.size(), 2);
}

void tst_input::validationRules_data()
{
    QTest::addColumn<int>("day");
    QTest::addColumn<QString>("month");
    QTest::addColumn<int>("year");
    QTest::addColumn<int>("ticks"); // bit 0 sun, bit 1 opposite, bit 2 ascending
    QTest::addColumn<QString>("message"); // empty: the reading goes ahead

    const QString february = QStringLiteral("Please Enter Correct Date Or Month!");
    const QString thirty = QStringLiteral("Please Enter Correct Date Or Month !");
    QTest::newRow("29 Feb 2001") << 29 << "February" << 2001 << 7 << february;
    QTest::newRow("29 Feb 2000") << 29 << "February" << 2000 << 7 << QString();
    QTest::newRow("29 Feb 1900") << 29 << "February" << 1900 << 7 << QString();
    QTest::newRow("30 Feb 2000") << 30 << "February" << 2000 << 7 << february;
    QTest::newRow("31 Feb 2001") << 31 << "February" << 2001 << 7 << february;
    QTest::newRow("28 Feb 2001") << 28 << "February" << 2001 << 7 << QString();
    QTest::newRow("31 Apr") << 31 << "April" << 1990 << 7 << thirty;
    QTest::newRow("31 Jun") << 31 << "June" << 1990 << 7 << thirty;
    QTest::newRow("31 Sep") << 31 << "September" << 1990 << 7 << thirty;
    QTest::newRow("31 Nov") << 31 << "November" << 1990 << 7 << thirty;
    QTest::newRow("31 May") << 31 << "May" << 1990 << 7 << QString();
    QTest::newRow("30 Apr") << 30 << "April" << 1990 << 7 << QString();
    QTest::newRow("no tick") << 7 << "March" << 1990 << 0 << QStringLiteral("Please Select To Find Sign/Signs");
    QTest::newRow("date before ticks") << 31 << "April" << 1990 << 0 << thirty;
    QTest::newRow("only opposite") << 7 << "March" << 1990 << 2 << QString();
}

void tst_input::validationRules()
{
    QFETCH(int, day);
    QFETCH(QString, month);
    QFETCH(int, year);
    QFETCH(int, ticks);
    QFETCH(QString, message);

    setEntries(QStringLiteral("ANN"), day, month, year, ticks & 1, ticks & 2, ticks & 4);
    m_fx->session.records().signResults = SignResults();
    QTest::mouseClick(w<QPushButton>("cmdProceed"), Qt::LeftButton);
    if (message.isEmpty()) {
        QVERIFY(m_fx->platform.messages.isEmpty());
        QVERIFY(!m_fx->input()->isVisible());
        QVERIFY(m_fx->session.resultWindow());
        QVERIFY(!m_fx->session.records().signResults.Sun.empty());
    } else {
        QCOMPARE(m_fx->platform.messageTexts(), QStringList{message});
        QCOMPARE(m_fx->platform.messages.first().icon, QMessageBox::Information);
        QCOMPARE(m_fx->platform.messages.first().buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
        // A refused reading changes nothing.
        QVERIFY(m_fx->input()->isVisible());
        QVERIFY(!m_fx->session.resultWindow());
        QVERIFY(m_fx->session.records().signResults.Sun.empty());
        QVERIFY(m_fx->session.records().birthDetails.Name.empty());
    }
}

void tst_input::emptyNameWinsAndTakesFocus()
{
    setEntries(QString(), 31, QStringLiteral("April"), 2001, false, false, false);
    m_fx->input()->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_fx->input()));
    w<QComboBox>("cmbYear")->setFocus();
    QTest::mouseClick(w<QPushButton>("cmdProceed"), Qt::LeftButton);
    QCOMPARE(m_fx->platform.messageTexts(), QStringList{QStringLiteral("Please Enter Your Name !")});
    QCOMPARE(m_fx->platform.messages.first().icon, QMessageBox::NoIcon);
    QTRY_VERIFY(w<QLineEdit>("txtName")->hasFocus());

    // A name of blanks only is a name.
    m_fx->platform.messages.clear();
    setEntries(QStringLiteral("   "), 1, QStringLiteral("May"), 2001, true, false, false);
    QTest::mouseClick(w<QPushButton>("cmdProceed"), Qt::LeftButton);
    QVERIFY(m_fx->platform.messages.isEmpty());
    QCOMPARE(m_fx->session.records().birthDetails.Name, std::string());
}

void tst_input::menuCommandDoesWhatTheButtonDoes()
{
    // Invalid entries: the same single message from both.
    setEntries(QStringLiteral("ANN"), 30, QStringLiteral("February"), 2000, true, true, true);
    QTest::mouseClick(w<QPushButton>("cmdProceed"), Qt::LeftButton);
    w<QAction>("mnuFindZodiacRisingSign")->trigger();
    QCOMPARE(m_fx->platform.messageTexts(),
             (QStringList{QStringLiteral("Please Enter Correct Date Or Month!"),
                          QStringLiteral("Please Enter Correct Date Or Month!")}));

    // Valid entries: the same reading from both.
    setEntries(QStringLiteral("ANN"), 7, QStringLiteral("March"), 1990, true, true, true);
    frmMain::setListText(w<QComboBox>("cmbTime"), QStringLiteral("8am-10am"));
    w<QAction>("mnuFindZodiacRisingSign")->trigger();
    const SignResults byMenu = m_fx->session.records().signResults;
    QVERIFY(m_fx->session.resultWindow());
    QVERIFY(!m_fx->input()->isVisible());
    m_fx->back();
    QVERIFY(m_fx->input()->isVisible());
    m_fx->session.records().signResults = SignResults();
    QTest::mouseClick(w<QPushButton>("cmdProceed"), Qt::LeftButton);
    const SignResults byButton = m_fx->session.records().signResults;
    QCOMPARE(byMenu.Sun, std::string("Pisces"));
    QCOMPARE(byMenu.AscendingKey, std::string("Pisces-8am-10am"));
    QCOMPARE(byButton.Sun, byMenu.Sun);
    QCOMPARE(byButton.AscendingKey, byMenu.AscendingKey);
    QCOMPARE(byButton.Ascending, byMenu.Ascending);
    QCOMPARE(byButton.Opposite, std::string("Leo"));
    QCOMPARE(byMenu.Opposite, std::string("Leo"));
}

void tst_input::readingCapturesTrimmedDetails()
{
    setEntries(QStringLiteral("  ANN LEE "), 7, QStringLiteral("March"), 1990, false, false, true);
    frmMain::setListText(w<QComboBox>("cmbTime"), QStringLiteral("10pm-midnight"));
    QTest::mouseClick(w<QPushButton>("cmdProceed"), Qt::LeftButton);
    const BirthDetails& details = m_fx->session.records().birthDetails;
    QCOMPARE(details.Name, std::string("ANN LEE"));
    QCOMPARE(int(details.Day), 7);
    QCOMPARE(details.Month, std::string("March"));
    QCOMPARE(int(details.Year), 1990);
    QCOMPARE(details.Time, std::string("10pm-midnight"));
    QCOMPARE(m_fx->session.records().signResults.AscendingKey, std::string("Pisces-10pm-midnight"));

    // Back leaves the entries as they were typed.
    m_fx->back();
    QCOMPARE(w<QLineEdit>("txtName")->text(), QStringLiteral("  ANN LEE "));
    QCOMPARE(w<QComboBox>("cmbTime")->currentText(), QStringLiteral("10pm-midnight"));
    QVERIFY(w<QCheckBox>("chkSign_2")->isChecked());
    QVERIFY(!w<QCheckBox>("chkSign_0")->isChecked());
}

void tst_input::openRefusesWrongEndingsAndKeepsEntriesOnBadFiles()
{
    setEntries(QStringLiteral("ANN"), 7, QStringLiteral("March"), 1990, true, false, false);
    auto* open = w<QPushButton>("cmdOpen");

    // Cancel: nothing at all.
    QTest::mouseClick(open, Qt::LeftButton);
    QCOMPARE(m_fx->platform.openDialogs.size(), 1);
    QCOMPARE(m_fx->platform.openDialogs.first().title, QStringLiteral("Select the source file"));
    QCOMPARE(m_fx->platform.openDialogs.first().filter, expectedReadingFilter());
    QVERIFY(m_fx->platform.messages.isEmpty());

    // The ending test is case-sensitive and needs no dot.
    QTemporaryDir dir;
    m_fx->platform.openFileAnswers.enqueue(dir.filePath(QStringLiteral("reading.BOA")));
    QTest::mouseClick(open, Qt::LeftButton);
    QCOMPARE(m_fx->platform.messageTexts(), QStringList{QStringLiteral("Please Check The File.")});
    QCOMPARE(m_fx->platform.messages.first().icon, QMessageBox::Critical);

    // A file that cannot be read is reported and wipes nothing.
    m_fx->platform.messages.clear();
    const QString missing = dir.filePath(QStringLiteral("missing.boa"));
    m_fx->platform.openFileAnswers.enqueue(missing);
    QTest::mouseClick(open, Qt::LeftButton);
    QCOMPARE(m_fx->platform.messages.size(), 1);
    QCOMPARE(m_fx->platform.messages.first().icon, QMessageBox::Critical);
    QVERIFY(m_fx->platform.messages.first().text.contains(QDir::toNativeSeparators(missing)));
    QCOMPARE(w<QLineEdit>("txtName")->text(), QStringLiteral("ANN"));
    QVERIFY(!w<QCheckBox>("chkSign_1")->isChecked());
    QVERIFY(m_fx->input()->isVisible());
}

QTEST_MAIN(tst_input)
#include "tst_input.moc"
