#include <QTest>

class TestHints : public QObject {
    Q_OBJECT
private slots:
    void placeholder() { QSKIP("not written yet"); }
};

QTEST_MAIN(TestHints)
#include "tst_hints.moc"
