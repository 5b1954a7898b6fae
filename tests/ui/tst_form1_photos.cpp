#include <QTest>

class TestForm1Photos : public QObject {
    Q_OBJECT
private slots:
    void placeholder() { QSKIP("not written yet"); }
};

QTEST_MAIN(TestForm1Photos)
#include "tst_form1_photos.moc"
