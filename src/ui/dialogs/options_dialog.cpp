#include "ui/dialogs/options_dialog.h"

#include "print/print_session.h"
#include "text/line_breaks.h"
#include "ui/main/twips.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QStyleOptionTabWidgetFrame>
#include <QStylePainter>
#include <QTabBar>

namespace sorvane {

namespace {

// Client area of the dialog in twips.
constexpr int kClientWidth = 6150;
constexpr int kClientHeight = 4920;

const QChar kCr = QChar(0x0D);

// The explanation texts break their lines with a lone CR.
QString label1Text()
{
    return QStringLiteral("リストウィンドウはシステムチェック用です。") + kCr + kCr +
           QStringLiteral("リストウィンドウを閉じると強制終了します。") + kCr + kCr +
           QStringLiteral("操作が分からない場合は開かないで下さい。");
}

QString label2Text()
{
    return QStringLiteral("印刷のオプション設定です。") + kCr + kCr +
           QStringLiteral("この項目はｐｒｉｎｔ．ｉｎｉを読み込んでいます。") + kCr + kCr +
           QStringLiteral("書き換えることで初期値を変更出来ます。") + kCr + kCr;
}

// The tab strip: the tabs along its top edge and the tab-widget frame drawn
// below them over the rest of its area, where the page panels lie.
class TabStrip : public QTabBar {
public:
    explicit TabStrip(QWidget *parent) : QTabBar(parent)
    {
        setDrawBase(false);
        setExpanding(false);
    }

protected:
    void paintEvent(QPaintEvent *event) override
    {
        {
            QStylePainter painter(this);
            QStyleOptionTabWidgetFrame frame;
            frame.initFrom(this);
            const int tabHeight = count() > 0 ? tabRect(0).height() : 0;
            const int overlap = style()->pixelMetric(QStyle::PM_TabBarBaseOverlap, nullptr, this);
            frame.rect = QRect(0, tabHeight - overlap, width(), height() - tabHeight + overlap);
            frame.shape = shape();
            frame.lineWidth = style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, this);
            frame.tabBarSize = QSize(tabRect(count() - 1).right() + 1, tabHeight);
            frame.tabBarRect = QRect(QPoint(0, 0), frame.tabBarSize);
            painter.drawPrimitive(QStyle::PE_FrameTabWidget, frame);
        }
        QTabBar::paintEvent(event);
    }
};

QLabel *addLabel(QWidget *parent, const char *name, const QString &text, const QRect &geometry)
{
    auto *label = new QLabel(text, parent);
    label->setObjectName(QLatin1String(name));
    label->setGeometry(geometry);
    return label;
}

QLineEdit *addTextBox(QWidget *parent, const char *name, const QRect &geometry)
{
    auto *box = new QLineEdit(parent);
    box->setObjectName(QLatin1String(name));
    box->setGeometry(geometry);
    return box;
}

QGroupBox *addFrame(QWidget *parent, const char *name, const QRect &geometry)
{
    auto *frame = new QGroupBox(QStringLiteral("説明"), parent);
    frame->setObjectName(QLatin1String(name));
    frame->setGeometry(geometry);
    return frame;
}

QLabel *addExplanation(QGroupBox *frame, const char *name, const QString &rawText, const QRect &geometry)
{
    QLabel *label = addLabel(frame, name, QString(), geometry);
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setTextFormat(Qt::PlainText);
    // The text as written, with its CRs, for whoever wants it unconverted.
    label->setProperty("rawText", rawText);
    return label;
}

// Check box states as the settings files write them.
constexpr int kClear = 0;
constexpr int kTicked = 1;
constexpr int kGrey = 2;

Qt::CheckState checkStateOf(int state)
{
    if (state == kTicked)
        return Qt::Checked;
    if (state == kGrey)
        return Qt::PartiallyChecked;
    return Qt::Unchecked;
}

int stateOf(Qt::CheckState state)
{
    if (state == Qt::Checked)
        return kTicked;
    if (state == Qt::PartiallyChecked)
        return kGrey;
    return kClear;
}

} // namespace

OptionsDialog::OptionsDialog(PrintSession &session, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint),
      session_(session)
{
    setObjectName(QStringLiteral("frmOptions"));
    setWindowTitle(QStringLiteral("ｵﾌﾟｼｮﾝ"));
    setModal(true);
    QFont dialogFont(QStringLiteral("ＭＳ Ｐゴシック"));
    dialogFont.setPointSize(9);
    setFont(dialogFont);
    setFixedSize(px(kClientWidth), px(kClientHeight));

    tabs_ = new TabStrip(this);
    tabs_->setObjectName(QStringLiteral("tbsOptions"));
    tabs_->setGeometry(twipRect(105, 120, 5895, 4245));
    const int printTab = tabs_->addTab(QStringLiteral("印刷設定"));
    tabs_->setTabData(printTab, QStringLiteral("Group1"));
    tabs_->setTabToolTip(printTab, QStringLiteral("印刷ｵﾌﾟｼｮﾝの設定"));
    const int behaviourTab = tabs_->addTab(QStringLiteral("動作設定"));
    tabs_->setTabData(behaviourTab, QStringLiteral("Group2"));
    tabs_->setTabToolTip(behaviourTab, QStringLiteral("動作ｵﾌﾟｼｮﾝの設定"));

    // Both page panels lie at the same place inside the tab strip's frame;
    // only the selected one is shown and enabled.
    for (int i = 0; i < 2; ++i) {
        pages_[i] = new QWidget(this);
        pages_[i]->setObjectName(QStringLiteral("picOptions%1").arg(i));
        pages_[i]->setGeometry(twipRect(210, 480, 5685, 3780));
    }
    buildPrintPage(pages_[0]);
    buildBehaviourPage(pages_[1]);

    okButton_ = new QPushButton(QStringLiteral("OK"), this);
    okButton_->setObjectName(QStringLiteral("cmdOK"));
    okButton_->setGeometry(twipRect(4920, 4440, 1095, 375));
    okButton_->setAutoDefault(false);
    connect(okButton_, &QPushButton::clicked, this, &QDialog::accept);

    connect(tabs_, &QTabBar::currentChanged, this, &OptionsDialog::selectPage);
    connect(numberCheck_, &QCheckBox::stateChanged, this, [this](int) {
        // A grey box comes only from a program step; a click on it goes on
        // to ticked, and from there clicks toggle between ticked and clear.
        if (numberCheck_->checkState() != Qt::PartiallyChecked)
            numberCheck_->setTristate(false);
        session_.setNumberPrintState(numberPrintState());
    });
    connect(topMarginBox_, &QLineEdit::textChanged, this,
            [this](const QString &text) { session_.setTopMarginText(text); });
    connect(leftMarginBox_, &QLineEdit::textChanged, this,
            [this](const QString &text) { session_.setLeftMarginText(text); });
    connect(listButton_, &QPushButton::clicked, this, &OptionsDialog::listWindowRequested);

    // Key preview: every control reports its key presses here first.
    for (QWidget *child : findChildren<QWidget *>())
        child->installEventFilter(this);

    selectPage(tabs_->currentIndex());
    load();
}

void OptionsDialog::buildPrintPage(QWidget *page)
{
    numberCheck_ = new QCheckBox(QStringLiteral("写真番号を印刷する"), page);
    numberCheck_->setObjectName(QStringLiteral("Check1"));
    numberCheck_->setGeometry(twipRect(360, 240, 3000, 300));

    // The labels run under their text boxes: the box covers the blanks
    // between the caption and the unit note.
    const QString blanks(12, QChar(0x3000));
    addLabel(page, "Label3", QStringLiteral("上マージン") + blanks + QStringLiteral("※単位はミリです。"),
             twipRect(360, 840, 5205, 300));
    topMarginBox_ = addTextBox(page, "Text1", twipRect(1440, 840, 735, 300));
    topMarginBox_->setAccessibleName(QStringLiteral("上マージン（ミリ）"));
    addLabel(page, "Label4", QStringLiteral("左マージン") + blanks + QStringLiteral("※単位はミリです。"),
             twipRect(360, 1320, 5205, 300));
    leftMarginBox_ = addTextBox(page, "Text2", twipRect(1440, 1320, 735, 300));
    leftMarginBox_->setAccessibleName(QStringLiteral("左マージン（ミリ）"));

    QGroupBox *frame = addFrame(page, "fraSample2", twipRect(240, 1800, 5175, 1785));
    printSettingsHelp_ = addExplanation(frame, "Label2", label2Text(), twipRect(240, 270, 4695, 1455));
}

void OptionsDialog::buildBehaviourPage(QWidget *page)
{
    listButton_ = new QPushButton(QStringLiteral("リストウィンドウを開く"), page);
    listButton_->setObjectName(QStringLiteral("Command1"));
    listButton_->setGeometry(twipRect(360, 480, 2055, 1215));
    listButton_->setAutoDefault(false);

    QGroupBox *frame = addFrame(page, "fraSample1", twipRect(210, 2055, 5175, 1425));
    listWarning_ = addExplanation(frame, "Label1", label1Text(), twipRect(360, 300, 4455, 975));
}

void OptionsDialog::load()
{
    listWarning_->setText(lineBreaksToLf(listWarning_->property("rawText").toString()));
    printSettingsHelp_->setText(lineBreaksToLf(printSettingsHelp_->property("rawText").toString()));

    if (const QScreen *screen = this->screen()) {
        const QRect area = screen->geometry();
        move(area.x() + (area.width() - width()) / 2, area.y() + (area.height() - height()) / 2);
    }

    setNumberPrintState(session_.numberPrintState());
    topMarginBox_->setText(session_.topMarginText());
    leftMarginBox_->setText(session_.leftMarginText());
}

void OptionsDialog::setNumberPrintState(int state)
{
    numberCheck_->setCheckState(checkStateOf(state));
    // Also when the box already showed this state and no change was reported.
    session_.setNumberPrintState(numberPrintState());
}

int OptionsDialog::numberPrintState() const
{
    return stateOf(numberCheck_->checkState());
}

void OptionsDialog::selectPage(int index)
{
    for (int i = 0; i < 2; ++i) {
        const bool selected = i == index;
        pages_[i]->setEnabled(selected);
        pages_[i]->setVisible(selected);
        if (selected)
            pages_[i]->raise();
    }
}

bool OptionsDialog::previewKey(QKeyEvent *event)
{
    // Only Ctrl+Tab with no Shift and no Alt: the next tab, the first after
    // the last. Ctrl+Shift+Tab arrives as Backtab and is left alone.
    const Qt::KeyboardModifiers held = event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
    if (event->key() != Qt::Key_Tab || held != Qt::ControlModifier)
        return false;
    tabs_->setCurrentIndex((tabs_->currentIndex() + 1) % tabs_->count());
    return true;
}

bool OptionsDialog::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress && previewKey(static_cast<QKeyEvent *>(event)))
        return true;
    return QDialog::eventFilter(watched, event);
}

void OptionsDialog::keyPressEvent(QKeyEvent *event)
{
    if (previewKey(event))
        return;
    QDialog::keyPressEvent(event);
}

void OptionsDialog::done(int result)
{
    QDialog::done(result);
    finishClosing();
}

void OptionsDialog::closeEvent(QCloseEvent *event)
{
    // Shown, the close box goes through reject() and so through done(). A
    // hidden dialog closed by its owner gets only this event.
    if (isVisible()) {
        QDialog::closeEvent(event);
        return;
    }
    event->accept();
    finishClosing();
}

void OptionsDialog::showEvent(QShowEvent *event)
{
    closingDone_ = false;
    QDialog::showEvent(event);
}

void OptionsDialog::finishClosing()
{
    if (closingDone_)
        return;
    closingDone_ = true;
    session_.closeOptions();
    emit closed();
}

} // namespace sorvane
