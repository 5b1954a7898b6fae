#include <QTest>

class TestPictureCache : public QObject {
    Q_OBJECT
private slots:
    void placeholder() { QSKIP("not written yet"); }
};

QTEST_GUILESS_MAIN(TestPictureCache)
#include "tst_picture_cache.moc"
