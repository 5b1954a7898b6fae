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

    combo1_ = new QComboBox(this);
    combo1_->setObjectName(QStringLiteral("Combo1"));
    combo1_->setEditable(true);
    combo1_->setInsertPolicy(QComboBox::NoInsert);
    combo1_->setGeometry(px(480), px(360), px(3855), combo1_->sizeHint().height());

    noPrinter_ = new QLabel(QStringLiteral("プリンタがありません"), this);
    noPrinter_->setObjectName(QStringLiteral("NoPrinterLabel"));
    noPrinter_->setGeometry(px(480), px(360), px(3855), combo1_->height());
    noPrinter_->hide();

    command1_ = new QPushButton(QStringLiteral("プロパティ"), this);
    command1_->setObjectName(QStringLiteral("Command1"));
    command1_->setGeometry(twipRect(4440, 360, 1215, 255));
    command1_->setAutoDefault(false);

    label1_ = new QLabel(QStringLiteral("印刷部数"), this);
    label1_->setObjectName(QStringLiteral("Label1"));
    label1_->move(px(600), px(1250));
    label1_->adjustSize();

    text1_ = new QLineEdit(this);
    text1_->setObjectName(QStringLiteral("Text1"));
    text1_->setGeometry(twipRect(1560, 1200, 615, 375));
    text1_->setAccessibleName(QStringLiteral("印刷部数"));
    combo1_->setAccessibleName(QStringLiteral("プリンタ"));

    upDown1_ = new UpDownControl(kCopiesMinimum, kCopiesMaximum, kCopiesAtLoad, this);
    upDown1_->setObjectName(QStringLiteral("UpDown1"));
    upDown1_->setGeometry(twipRect(2160, 1080, 255, 615));

    okButton_ = new QPushButton(QStringLiteral("印刷"), this);
    okButton_->setObjectName(QStringLiteral("OKButton"));
    okButton_->setGeometry(twipRect(2640, 1080, 1695, 615));
    okButton_->setAutoDefault(false);

    // The spin writes its value into the copies box; typing into the box
    // does not move the spin, so its next step starts from its own value.
    connect(upDown1_, &UpDownControl::valueChanged, this,
            [this](int value) { text1_->setText(QString::number(value)); });
    // Typing, a program step and a pick from the list all change the text.
    connect(combo1_, &QComboBox::editTextChanged, this, &PrintDialog::selectPrinter);
    connect(combo1_, &QComboBox::textActivated, this, &PrintDialog::selectPrinter);
    connect(command1_, &QPushButton::clicked, this,
            [this] { services_.showPrinterProperties(combo1_->currentText()); });
    connect(okButton_, &QPushButton::clicked, this, &PrintDialog::print);

    load();
}

void PrintDialog::load()
{
    text1_->setText(QString::number(upDown1_->value()));

    printers_ = services_.printerNames();
    const bool anyPrinter = !printers_.isEmpty();
    combo1_->setVisible(anyPrinter);
    command1_->setEnabled(anyPrinter);
    okButton_->setEnabled(anyPrinter);
    noPrinter_->setVisible(!anyPrinter);
    if (!anyPrinter)
        return;

    {
        // Filling the list must not pick its first entry as the printer.
        const QSignalBlocker blocker(combo1_);
        combo1_->addItems(printers_);
    }
    // Set even when the text happens to be equal already, so the selection
    // step always runs once here.
    combo1_->setEditText(session_.currentPrinter());
    selectPrinter(combo1_->currentText());
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
    const int copies = wholeNumberFromText(text1_->text());
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
