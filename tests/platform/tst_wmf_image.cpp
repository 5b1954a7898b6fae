#include <QTest>

class TestWmfImage : public QObject {
    Q_OBJECT
private slots:
    void placeholder() { QSKIP("not written yet"); }
};

QTEST_GUILESS_MAIN(TestWmfImage)
#include "tst_wmf_image.moc"
