// The commands and labels that open web pages, the promotional label drawn at start-up, and
// the About box.
#include "tests/common/guitest.h"
#include "ui/about/frmabout.h"
#include "ui/weblinks.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

Q_DECLARE_METATYPE(WebPage)

class TestWebLinks : public FixtureTest {
    Q_OBJECT

private slots:
    void cleanup();
    void eachCommandOpensItsPage_data();
    void eachCommandOpensItsPage();
    void promotionLabelFollowsDraw_data();
    void promotionLabelFollowsDraw();
    void drawsBringUpBothLabels();
    void aboutBox_data();
    void aboutBox();
};

void TestWebLinks::cleanup()
{
    QCOMPARE(m_fx->endings, 0);
    FixtureTest::cleanup();
}

void TestWebLinks::eachCommandOpensItsPage_data()
{
    QTest::addColumn<bool>("onResult");
    QTest::addColumn<QString>("control");
    QTest::addColumn<WebPage>("page");

    const QList<QPair<const char*, WebPage>> common = {
        {"mnuOnline", WebPage::ProductHelp},       {"mnuVisit", WebPage::MakerHome},
        {"mnuUpdate", WebPage::ProductUpdate},     {"mnuDonate", WebPage::Donation},
        {"mnuMakeMoneyOnline", WebPage::FullBranding}, {"Label61", WebPage::MakerHome},
        {"lblCobrand", WebPage::CoBranding},       {"lblFullBrand", WebPage::FullBranding},
    };
    for (bool onResult : {false, true}) {
        for (const auto& entry : common)
            QTest::addRow("%s %s", onResult ? "result" : "input", entry.first)
                << onResult << QString::fromLatin1(entry.first) << entry.second;
    }
    QTest::newRow("input Label2") << false << "Label2" << WebPage::FullBranding;
    QTest::newRow("result Label1") << true << "Label1" << WebPage::FullBranding;
}

void TestWebLinks::eachCommandOpensItsPage()
{
    QFETCH(bool, onResult);
    QFETCH(QString, control);
    QFETCH(WebPage, page);

    QWidget* window = onResult ? static_cast<QWidget*>(m_fx->readingFor()) : m_fx->input();
    QVERIFY(window);

    if (auto* action = window->findChild<QAction*>(control)) {
        // Switched off by design; its wiring is still checked.
        action->setEnabled(true);
        action->trigger();
    } else {
        auto* label = window->findChild<QLabel*>(control);
        QVERIFY(label);
        QTest::mouseClick(label, Qt::LeftButton);
    }
    QCOMPARE(m_fx->platform.openedUrls, QList<QUrl>{QUrl(webAddress(page))});
    QVERIFY(m_fx->platform.messages.isEmpty());
    QVERIFY(window->isVisible());
}

void TestWebLinks::promotionLabelFollowsDraw_data()
{
    QTest::addColumn<int>("draw");
    QTest::addColumn<QString>("front");
    QTest::addColumn<WebPage>("page");
    for (int draw = 1; draw <= 6; ++draw) {
        const bool odd = draw % 2 != 0;
        QTest::addRow("%d", draw) << draw << (odd ? "lblCobrand" : "lblFullBrand")
                                  << (odd ? WebPage::CoBranding : WebPage::FullBranding);
    }
}

void TestWebLinks::promotionLabelFollowsDraw()
{
    QFETCH(int, draw);
    QFETCH(QString, front);
    QFETCH(WebPage, page);

    // Start from the other order, so that a draw that does nothing is caught.
    const QString back = front == QLatin1String("lblCobrand") ? QStringLiteral("lblFullBrand") : QStringLiteral("lblCobrand");
    m_fx->input()->findChild<QLabel*>(back)->raise();

    m_fx->input()->ChoosePromotionLabel(draw);
    auto* label = m_fx->input()->findChild<QLabel*>(front);
    QWidget* parent = label->parentWidget();
    auto* hit = parent->childAt(label->geometry().center());
    QVERIFY(hit);
    QCOMPARE(hit->objectName(), front);
    QTest::mouseClick(hit, Qt::LeftButton);
    QCOMPARE(m_fx->platform.openedUrls, QList<QUrl>{QUrl(webAddress(page))});
}

void TestWebLinks::drawsBringUpBothLabels()
{
    QRandomGenerator random(20261208);
    QSet<int> seen;
    for (int i = 0; i < 600; ++i)
        seen.insert(drawPromotionNumber(random));
    QCOMPARE(seen, (QSet<int>{1, 2, 3, 4, 5, 6}));
}

void TestWebLinks::aboutBox_data()
{
    QTest::addColumn<bool>("byOK");
    QTest::newRow("OK") << true;
    QTest::newRow("close box") << false;
}

void TestWebLinks::aboutBox()
{
    QFETCH(bool, byOK);
    QPointer<frmAbout> box;
    bool modal = false;
    bool openAfterLinks = false;
    QString caption;
    QString homeLink;
    QTimer::singleShot(0, this, [&] {
        box = qobject_cast<frmAbout*>(QApplication::activeModalWidget());
        if (!box)
            return;
        modal = box->isModal() && box->parentWidget() == m_fx->input();
        caption = box->windowTitle();
        homeLink = box->findChild<QLabel*>(QStringLiteral("lblHomePage"))->text();
        QTest::mouseClick(box->findChild<QLabel*>(QStringLiteral("Label5")), Qt::LeftButton);
        QTest::mouseClick(box->findChild<QLabel*>(QStringLiteral("lblHomePage")), Qt::LeftButton);
        QTest::mouseClick(box->findChild<QLabel*>(QStringLiteral("Label6")), Qt::LeftButton);
        openAfterLinks = box->isVisible();
        if (byOK)
            QTest::mouseClick(box->findChild<QPushButton*>(QStringLiteral("cmdOK")), Qt::LeftButton);
        else
            box->close();
    });
    m_fx->input()->findChild<QAction*>(QStringLiteral("mnuAbout"))->trigger();

    QVERIFY(m_fx->watchdog.unexpected.isEmpty());
    QVERIFY(modal);
    QCOMPARE(caption, expectedCaption());
    QVERIFY(openAfterLinks);
    // The box and the input window's banner name the address that the link opens.
    const QString host = QUrl(webAddress(WebPage::MakerHome)).host();
    QCOMPARE(homeLink, QStringLiteral("Click here to visit ") + host);
    QVERIFY(m_fx->input()->findChild<QLabel*>(QStringLiteral("Label61"))->text().contains(host));
    QCOMPARE(m_fx->platform.openedUrls,
             (QList<QUrl>{QUrl(webAddress(WebPage::FullBranding)), QUrl(webAddress(WebPage::MakerHome))}));
    // Closed and discarded; the program goes on.
    QVERIFY(box.isNull());
    QVERIFY(m_fx->input()->isVisible());
    QCOMPARE(m_fx->endings, 0);
}

QTEST_MAIN(TestWebLinks)
#include "tst_weblinks.moc"
