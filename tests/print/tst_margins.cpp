#include <QTest>

class TestMargins : public QObject {
    Q_OBJECT
private slots:
    void placeholder() { QSKIP("not written yet"); }
};

QTEST_MAIN(TestMargins)
#include "tst_margins.moc"
