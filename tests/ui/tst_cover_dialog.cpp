#include <QTest>

class TestCoverDialog : public QObject {
    Q_OBJECT
private slots:
    void placeholder() { QSKIP("not written yet"); }
};

QTEST_MAIN(TestCoverDialog)
#include "tst_cover_dialog.moc"
