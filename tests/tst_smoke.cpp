#include <QtTest>
class tst_smoke : public QObject { Q_OBJECT private slots: void builds() { QVERIFY(true); } };
QTEST_MAIN(tst_smoke)
#include "tst_smoke.moc"
