#include <QTest>

class TestQtServices : public QObject {
    Q_OBJECT
private slots:
    void placeholder() { QSKIP("not written yet"); }
};

QTEST_MAIN(TestQtServices)
#include "tst_qt_services.moc"
