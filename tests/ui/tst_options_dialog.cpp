#include <QTest>

class TestOptionsDialog : public QObject {
    Q_OBJECT
private slots:
    void placeholder() { QSKIP("not written yet"); }
};

QTEST_MAIN(TestOptionsDialog)
#include "tst_options_dialog.moc"
