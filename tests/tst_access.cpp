// Both windows and the About box as a keyboard user, a screen reader and a large-text screen
// meet them: tab order, Return on buttons, links from the keyboard, accessible names and roles,
// captions that fit at the screen's text size, and the colours as drawn. CTest runs this program
// again at 144 dpi without Qt's scaling and at scale factors 1.5 and 2.
#include "app/startup.h"
#include "tests/common/guitest.h"
#include "ui/look.h"
#include "ui/weblinks.h"
#include "ui/windowcontext.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QStyleOptionGroupBox>
#include <QTabBar>
#include <QTextEdit>

namespace {

QString stripMnemonic(QString text)
{
    return text.replace(QRegularExpression(QStringLiteral("&(.)")), QStringLiteral("\\1"));
}

// Where the ink of one line of text lands when drawn left-aligned and vertically centred in box.
QRect inkRect(const QFontMetrics& fm, const QString& text, const QRect& box)
{
    const QRect tight = fm.tightBoundingRect(text);
    const int baseline = box.top() + (box.height() - fm.height()) / 2 + fm.ascent();
    return QRect(box.left() + tight.left(), baseline + tight.top(), tight.width(), tight.height());
}

bool isControl(const QWidget* w)
{
    return !w->objectName().isEmpty() && !w->objectName().startsWith(QLatin1String("qt_"))
           && (qobject_cast<const QPushButton*>(w) || qobject_cast<const QCheckBox*>(w) || qobject_cast<const QComboBox*>(w)
               || qobject_cast<const QLineEdit*>(w) || qobject_cast<const QTextEdit*>(w)
               || qobject_cast<const QLabel*>(w) || qobject_cast<const QGroupBox*>(w));
}

// Named controls whose caption needs more room than the control has, or that stick out of their
// container, with the reason.
QStringList captionsThatDoNotFit(const QWidget* window)
{
    QStringList problems;
    for (const QWidget* w : window->findChildren<QWidget*>()) {
        if (!isControl(w))
            continue;
        const QString name = w->objectName();
        const QFontMetrics fm(w->font());
        const QWidget* parent = w->parentWidget();
        if (w->isVisible() && !parent->layout() && !parent->rect().contains(w->geometry()))
            problems << name + QStringLiteral(" outside its container");
        if (const auto* label = qobject_cast<const QLabel*>(w)) {
            if (label->text().isEmpty())
                continue; // a picture
            // One line: its ink must fit, except for a capital's overhang to the left (the
            // left bearing of "T" or "Y", which the label draws from its edge anyway).
            const QRect room = label->contentsRect();
            const QRect ink = inkRect(fm, label->text(), room);
            const bool fits = label->wordWrap() ? label->heightForWidth(label->width()) <= label->height()
                                                : ink.right() <= room.right() && ink.top() >= room.top()
                                                      && ink.bottom() <= room.bottom();
            if (!fits)
                problems << name;
        } else if (const auto* box = qobject_cast<const QCheckBox*>(w)) {
            if (box->sizeHint().width() > box->width() || box->sizeHint().height() > box->height())
                problems << name;
        } else if (const auto* button = qobject_cast<const QPushButton*>(w)) {
            QStyleOptionButton option;
            option.initFrom(button);
            QRect room = button->style()->subElementRect(QStyle::SE_PushButtonContents, &option, button);
            const QString text = stripMnemonic(button->text());
            // The open button wraps its long caption; the others draw one line.
            const int flags = name == QLatin1String("cmdOpen") ? Qt::TextWordWrap : Qt::TextSingleLine;
            const QRect need = fm.boundingRect(room, flags | Qt::AlignCenter, text);
            if (need.width() > room.width() || need.height() > room.height())
                problems << name;
        } else if (const auto* group = qobject_cast<const QGroupBox*>(w)) {
            QStyleOptionGroupBox option;
            option.initFrom(group);
            option.text = group->title();
            option.subControls = QStyle::SC_GroupBoxLabel | QStyle::SC_GroupBoxFrame;
            const QRect title = group->style()->subControlRect(QStyle::CC_GroupBox, &option,
                                                               QStyle::SC_GroupBoxLabel, group);
            bool covered = false;
            for (const QWidget* c : group->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly))
                covered = covered || c->geometry().intersects(inkRect(fm, group->title(), title));
            if (title.right() >= group->width() || covered)
                problems << name + QStringLiteral(" title");
        }
    }
    return problems;
}

// The widgets that Tab visits from the current focus until it comes round again.
QWidgetList tabCycle(Qt::Key key)
{
    QWidgetList seen;
    QWidget* first = QApplication::focusWidget();
    for (QWidget* w = first; w && seen.size() < 60;) {
        seen << w;
        QTest::keyClick(w, key);
        w = QApplication::focusWidget();
        if (w == first)
            break;
    }
    return seen;
}

QWidgetList reachableControls(const QWidget* window)
{
    QWidgetList all;
    for (QWidget* w : window->findChildren<QWidget*>()) {
        if (w->isVisible() && w->isEnabled() && (w->focusPolicy() & Qt::TabFocus) && !w->focusProxy())
            all << w;
    }
    return all;
}

QStringList names(const QWidgetList& widgets)
{
    QStringList result;
    for (const QWidget* w : widgets)
        result << w->objectName();
    return result;
}

QString sortedNames(const QWidgetList& widgets)
{
    QStringList list = names(widgets);
    list.sort();
    return list.join(QLatin1Char(' '));
}

} // namespace

class tst_access : public FixtureTest {
    Q_OBJECT

private slots:
    void captionsFit();
    void tabReachesEveryControl();
    void returnAndSpaceActivate();
    void accessibleNamesAndRoles();
    void coloursAsDrawn();

private:
    // Runs check on the About box while it is shown modally over window.
    void withAboutBox(QWidget* window, const std::function<void(QDialog*)>& check)
    {
        QTimer::singleShot(0, this, [&] {
            auto* box = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            QVERIFY(box);
            check(box);
            box->close();
        });
        m_fx->session.context().showAbout(window);
    }
    frmDisplay* reading()
    {
        frmDisplay* display = m_fx->readingFor();
        if (display) {
            display->activateWindow();
            HELPER_VERIFY(QTest::qWaitForWindowActive(display), nullptr);
        }
        return display;
    }
};

void tst_access::captionsFit()
{
    QCOMPARE(captionsThatDoNotFit(m_fx->input()).join(QStringLiteral(", ")), QString());
    QStringList about;
    withAboutBox(m_fx->input(), [&](QDialog* box) { about = captionsThatDoNotFit(box); });
    QCOMPARE(about.join(QStringLiteral(", ")), QString());
    frmDisplay* display = reading();
    QVERIFY(display);
    QCOMPARE(captionsThatDoNotFit(display).join(QStringLiteral(", ")), QString());
}

void tst_access::tabReachesEveryControl()
{
    frmMain* input = m_fx->input();
    input->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(input));
    QCOMPARE(QApplication::focusWidget(), child<QWidget>(input, "txtName"));
    QWidgetList forward = tabCycle(Qt::Key_Tab);
    QCOMPARE(names(forward).mid(0, 6), (QStringList{"txtName", "cmbTime", "cmbDate", "cmbMonth", "cmbYear", "chkSign_0"}));
    QCOMPARE(sortedNames(forward), sortedNames(reachableControls(input)));
    QWidgetList backward = tabCycle(Qt::Key_Backtab);
    std::reverse(backward.begin() + 1, backward.end());
    QCOMPARE(names(backward), names(forward));

    // The result window: the tab bar does not hold on to the focus, on either panel.
    frmDisplay* display = reading();
    QVERIFY(display);
    for (bool panel : {false, true}) {
        if (panel)
            display->cmdMainPrint_Click();
        child<QWidget>(display, "Label61")->setFocus();
        const QWidgetList cycle = tabCycle(Qt::Key_Tab);
        const QWidgetList all = reachableControls(display);
        QCOMPARE(sortedNames(cycle), sortedNames(all));
        const QStringList order = names(cycle);
        const QStringList expected = panel ? QStringList{"Label61", "RTBSave", "cmdSave", "cmdPrint", "lblCobrand", "cmdExit", "cmdBack"}
                                           : QStringList{"Label61", "qt_tabwidget_tabbar", "RTBAscendentSign", "lblCobrand",
                                                         "cmdMainPrint", "cmdExit", "cmdBack"};
        QCOMPARE(order.join(QLatin1Char(' ')), expected.join(QLatin1Char(' ')));
    }
}

void tst_access::returnAndSpaceActivate()
{
    frmMain* input = m_fx->input();
    input->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(input));
    // Return in the name box does nothing; on a button it presses it.
    QTest::keyClick(child<QLineEdit>(input, "txtName"), Qt::Key_Return);
    QVERIFY(m_fx->platform.messages.isEmpty() && !m_fx->result());
    auto* open = child<QPushButton>(input, "cmdOpen");
    open->setFocus();
    QTest::keyClick(open, Qt::Key_Return);
    QCOMPARE(m_fx->platform.openDialogs.size(), 1);
    // Links open from the keyboard.
    QTest::keyClick(child<QLabel>(input, "lblCobrand"), Qt::Key_Return);
    QTest::keyClick(child<QLabel>(input, "Label2"), Qt::Key_Space);
    withAboutBox(input, [&](QDialog* box) {
        QTest::keyClick(child<QLabel>(box, "Label5"), Qt::Key_Return);
        QTest::keyClick(child<QLabel>(box, "lblHomePage"), Qt::Key_Enter);
        QVERIFY(box->isVisible());
        QCOMPARE(box->focusWidget(), child<QWidget>(box, "cmdOK"));
        QTest::keyClick(child<QPushButton>(box, "cmdOK"), Qt::Key_Return);
        QVERIFY(!box->isVisible());
    });
    QCOMPARE(m_fx->platform.openedUrls,
             (QList<QUrl>{QUrl(webAddress(WebPage::CoBranding)), QUrl(webAddress(WebPage::FullBranding)),
                          QUrl(webAddress(WebPage::FullBranding)), QUrl(webAddress(WebPage::MakerHome))}));

    frmDisplay* display = reading();
    QVERIFY(display);
    auto* mainPrint = child<QPushButton>(display, "cmdMainPrint");
    mainPrint->setFocus();
    QTest::keyClick(mainPrint, Qt::Key_Enter);
    QVERIFY(child<QWidget>(display, "fraSave")->isVisible());
    QTest::keyClick(child<QPushButton>(display, "cmdBack"), Qt::Key_Return);
    QVERIFY(!m_fx->result());
}

void tst_access::accessibleNamesAndRoles()
{
    QStringList problems;
    auto check = [&](QWidget* window) {
        for (QWidget* w : window->findChildren<QWidget*>()) {
            if (!isControl(w))
                continue;
            QAccessibleInterface* a = QAccessible::queryAccessibleInterface(w);
            // On Linux a list reports its value as its name and its label through a relation.
            const QString name = qobject_cast<QComboBox*>(w) ? w->accessibleName()
                                 : a                      ? a->text(QAccessible::Name)
                                                          : QString();
            const auto* label = qobject_cast<QLabel*>(w);
            const bool link = label && w->focusPolicy() == Qt::StrongFocus;
            QAccessible::Role role = link ? QAccessible::Link
                                     : label ? QAccessible::StaticText
                                     : qobject_cast<QPushButton*>(w) ? QAccessible::Button
                                     : qobject_cast<QCheckBox*>(w) ? QAccessible::CheckBox
                                     : qobject_cast<QComboBox*>(w) ? QAccessible::ComboBox
                                     : qobject_cast<QGroupBox*>(w) ? QAccessible::Grouping
                                     : QAccessible::EditableText;
            if (label && label->text().isEmpty())
                role = QAccessible::Graphic; // the pictures
            if (name.trimmed().isEmpty() || name.contains(QRegularExpression(QStringLiteral("&[A-Za-z]"))))
                problems << w->objectName() + QStringLiteral(" named \"") + name + QLatin1Char('"');
            if (!a || a->role() != role)
                problems << w->objectName() + QStringLiteral(" role %1").arg(a ? int(a->role()) : -1);
        }
    };
    check(m_fx->input());
    QCOMPARE(QAccessible::queryAccessibleInterface(child<QWidget>(m_fx->input(), "txtName"))->text(QAccessible::Name),
             QStringLiteral("Name"));
    QCOMPARE(QAccessible::queryAccessibleInterface(child<QWidget>(m_fx->input(), "cmdProceed"))->text(QAccessible::Name),
             QStringLiteral("Find My Body Astrology Result"));
    withAboutBox(m_fx->input(), check);
    frmDisplay* display = reading();
    QVERIFY(display);
    check(display);
    QCOMPARE(problems.join(QStringLiteral(", ")), QString());
}

void tst_access::coloursAsDrawn()
{
    frmMain* input = m_fx->input();
    // The menu bar is dark brown; the switched-off command is drawn grey, the one beside it not.
    QMenuBar* bar = input->menuBar();
    const QImage menu = bar->grab().toImage();
    const qreal barRatio = menu.devicePixelRatio();
    QCOMPARE(menu.pixelColor(1, 1), look::kDarkBrown);
    auto countColour = [&](const char* action, const QColor& colour) {
        const QRect r = bar->actionGeometry(child<QAction>(input, action));
        int count = 0;
        for (int y = int(r.top() * barRatio); y < int(r.bottom() * barRatio); ++y)
            for (int x = int(r.left() * barRatio); x < int(r.right() * barRatio); ++x)
                count += menu.pixelColor(x, y) == colour;
        return count;
    };
    QVERIFY(countColour("mnuDonate", look::kLightGrey) > 0);
    QCOMPARE(countColour("mnuMakeMoneyOnline", look::kLightGrey), 0);
    QVERIFY(countColour("mnuMakeMoneyOnline", look::kDisabledGrey) > 0);

    // Flat faces in the window's colours, and a light grey frame round an empty check box.
    const QImage list = child<QWidget>(input, "cmbMonth")->grab().toImage();
    QCOMPARE(list.pixelColor(list.width() / 2, 3), look::kDarkBrown);
    QCOMPARE(list.pixelColor(list.width() / 2, list.height() - 4), look::kDarkBrown);
    const QImage button = child<QWidget>(input, "cmdExit")->grab().toImage();
    QCOMPARE(button.pixelColor(6, 4), look::kLightGrey);
    QCOMPARE(button.pixelColor(6, button.height() - 5), look::kLightGrey);
    auto* box = child<QCheckBox>(input, "chkSign_0");
    QVERIFY(!box->isChecked());
    QStyleOptionButton option;
    option.initFrom(box);
    const QRect indicator = box->style()->subElementRect(QStyle::SE_CheckBoxIndicator, &option, box);
    const QImage drawn = box->grab().toImage();
    const qreal ratio = drawn.devicePixelRatio();
    QCOMPARE(drawn.pixelColor(QPoint(indicator.left(), indicator.center().y()) * ratio), look::kLightGrey);
    QCOMPARE(drawn.pixelColor(indicator.center() * ratio), look::kDarkBrown);
}

int main(int argc, char* argv[])
{
    // As the program starts (QTEST_MAIN would pin the screen to 96 dpi).
    prepareHighDpi();
    QApplication app(argc, argv);
    tst_access test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_access.moc"
