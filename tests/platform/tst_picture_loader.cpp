#include <QTest>

class TestPictureLoader : public QObject {
    Q_OBJECT
private slots:
    void placeholder() { QSKIP("not written yet"); }
};

QTEST_GUILESS_MAIN(TestPictureLoader)
#include "tst_picture_loader.moc"
