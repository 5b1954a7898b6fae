#include <QTest>

class TestListWindow : public QObject {
    Q_OBJECT
private slots:
    void placeholder() { QSKIP("not written yet"); }
};

QTEST_MAIN(TestListWindow)
#include "tst_list_window.moc"
