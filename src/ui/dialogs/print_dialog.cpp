#include "ui/dialogs/print_dialog.h"

#include "platform/services.h"
#include "print/print_session.h"
#include "text/numbers.h"
#include "ui/main/twips.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

namespace sorvane {

namespace {

// Client area of the dialog in twips.
constexpr int kClientWidth = 6030;
constexpr int kClientHeight = 1995;

// The copies spin: value after load and range.
constexpr int kCopiesAtLoad = 1;
constexpr int kCopiesMinimum = 0;
constexpr int kCopiesMaximum = 10;

} // namespace

UpDownControl::UpDownControl(int minimum, int maximum, int value, QWidget *parent)
    : QWidget(parent), minimum_(minimum), maximum_(std::max(minimum, maximum)),
      value_(std::clamp(value, minimum_, maximum_))
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    up_ = new QToolButton(this);
    up_->setObjectName(QStringLiteral("up"));
    up_->setArrowType(Qt::UpArrow);
    up_->setAutoRepeat(true);
    up_->setAccessibleName(QStringLiteral("部数を増やす"));
    down_ = new QToolButton(this);
    down_->setObjectName(QStringLiteral("down"));
    down_->setArrowType(Qt::DownArrow);
    down_->setAutoRepeat(true);
    down_->setAccessibleName(QStringLiteral("部数を減らす"));
    for (QToolButton *button : {up_, down_}) {
        button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
        button->setFocusPolicy(Qt::NoFocus);
        layout->addWidget(button);
    }
    connect(up_, &QToolButton::clicked, this, &UpDownControl::stepUp);
    connect(down_, &QToolButton::clicked, this, &UpDownControl::stepDown);
}

void UpDownControl::setValue(int value)
{
    value = std::clamp(value, minimum_, maximum_);
    if (value == value_)
        return;
    value_ = value;
    emit valueChanged(value_);
}

PrintDialog::PrintDialog(PlatformServices &services, PrintSession &session, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint),
      services_(services), session_(session)
{
    setObjectName(QStringLiteral("Dialog1"));
    setWindowTitle(QStringLiteral("印刷"));
    setModal(true);
    QFont dialogFont(QStringLiteral("ＭＳ Ｐゴシック"));
    dialogFont.setPointSize(9);
    setFont(dialogFont);
    setFixedSize(px(kClientWidth), px(kClientHeight));

    printerBox_ = new QComboBox(this);
    printerBox_->setObjectName(QStringLiteral("Combo1"));
    printerBox_->setEditable(true);
    printerBox_->setInsertPolicy(QComboBox::NoInsert);
    printerBox_->setGeometry(px(480), px(360), px(3855), printerBox_->sizeHint().height());

    noPrinterLabel_ = new QLabel(QStringLiteral("プリンタがありません"), this);
    noPrinterLabel_->setObjectName(QStringLiteral("NoPrinterLabel"));
    noPrinterLabel_->setGeometry(px(480), px(360), px(3855), printerBox_->height());
    noPrinterLabel_->hide();

    propertiesButton_ = new QPushButton(QStringLiteral("プロパティ"), this);
    propertiesButton_->setObjectName(QStringLiteral("Command1"));
    propertiesButton_->setGeometry(twipRect(4440, 360, 1215, 255));
    propertiesButton_->setAutoDefault(false);

    copiesLabel_ = new QLabel(QStringLiteral("印刷部数"), this);
    copiesLabel_->setObjectName(QStringLiteral("Label1"));
    copiesLabel_->move(px(600), px(1250));
    copiesLabel_->adjustSize();

    copiesBox_ = new QLineEdit(this);
    copiesBox_->setObjectName(QStringLiteral("Text1"));
    copiesBox_->setGeometry(twipRect(1560, 1200, 615, 375));
    copiesBox_->setAccessibleName(QStringLiteral("印刷部数"));
    printerBox_->setAccessibleName(QStringLiteral("プリンタ"));

    copiesSpin_ = new UpDownControl(kCopiesMinimum, kCopiesMaximum, kCopiesAtLoad, this);
    copiesSpin_->setObjectName(QStringLiteral("UpDown1"));
    copiesSpin_->setGeometry(twipRect(2160, 1080, 255, 615));

    printButton_ = new QPushButton(QStringLiteral("印刷"), this);
    printButton_->setObjectName(QStringLiteral("OKButton"));
    printButton_->setGeometry(twipRect(2640, 1080, 1695, 615));
    printButton_->setAutoDefault(false);

    // The spin writes its value into the copies box; typing into the box
    // does not move the spin, so its next step starts from its own value.
    connect(copiesSpin_, &UpDownControl::valueChanged, this,
            [this](int value) { copiesBox_->setText(QString::number(value)); });
    // Typing, a program step and a pick from the list all change the text.
    connect(printerBox_, &QComboBox::editTextChanged, this, &PrintDialog::selectPrinter);
    connect(printerBox_, &QComboBox::textActivated, this, &PrintDialog::selectPrinter);
    connect(propertiesButton_, &QPushButton::clicked, this,
            [this] { services_.showPrinterProperties(printerBox_->currentText()); });
    connect(printButton_, &QPushButton::clicked, this, &PrintDialog::print);

    load();
}

void PrintDialog::load()
{
    copiesBox_->setText(QString::number(copiesSpin_->value()));

    printers_ = services_.printerNames();
    const bool anyPrinter = !printers_.isEmpty();
    printerBox_->setVisible(anyPrinter);
    propertiesButton_->setEnabled(anyPrinter);
    printButton_->setEnabled(anyPrinter);
    noPrinterLabel_->setVisible(!anyPrinter);
    if (!anyPrinter)
        return;

    {
        // Filling the list must not pick its first entry as the printer.
        const QSignalBlocker blocker(printerBox_);
        printerBox_->addItems(printers_);
    }
    // Set even when the text happens to be equal already, so the selection
    // step always runs once here.
    printerBox_->setEditText(session_.currentPrinter());
    selectPrinter(printerBox_->currentText());
}

void PrintDialog::selectPrinter(const QString &text)
{
    // Names are compared exactly; with two printers of one name the later
    // one wins, which for a name is the same printer.
    QString chosen;
    bool found = false;
    for (const QString &name : std::as_const(printers_)) {
        if (name == text) {
            chosen = name;
            found = true;
        }
    }
    if (found)
        session_.setCurrentPrinter(chosen);
}

void PrintDialog::print()
{
    const int copies = wholeNumberFromText(copiesBox_->text());
    if (copies > 0 && !printers_.isEmpty())
        emit printRequested(copies);
    // Hidden, not closed: the list, the copies text and the spin stay.
    accept();
}

void PrintDialog::done(int result)
{
    QDialog::done(result);
    if (result == QDialog::Rejected)
        emit closed();
}

} // namespace sorvane
