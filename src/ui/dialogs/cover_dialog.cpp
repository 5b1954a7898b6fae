#include "ui/dialogs/cover_dialog.h"

#include "ui/main/twips.h"

#include <QFont>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>

#include <algorithm>

namespace sorvane {

namespace {

// Client area in twips.
constexpr int kClientWidth = 8280;
constexpr int kClientHeight = 3555;
constexpr int kBoxHeight = 270;
constexpr int kRowLabelLeft = 120;
constexpr int kRuleRight = 6360;

// Row tops.
constexpr int kRowNumber = 240;
constexpr int kRowName = 720;
constexpr int kRowSite = 1200;
constexpr int kRowStart = 1680;
constexpr int kRowEnd = 2160;
constexpr int kRowContractor = 2640;
constexpr int kRowSubmitted = 3120;

// The date label: its blanks are the gaps the year, month and day boxes sit in.
const QString kDateLabel = QStringLiteral("令和　　　年　　 月　　 日");

QFont labelFont(const QString &family, qreal points, bool bold)
{
    QFont font(family);
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}

QFont rowLabelFont()
{
    return labelFont(QStringLiteral("ＭＳ ゴシック"), 12, true);
}

QFont textLabelFont()
{
    return labelFont(QStringLiteral("ＭＳ 明朝"), 12, false);
}

// A label whose text stands at x and is centred on the text boxes of the row.
void addLabel(QWidget *parent, const QString &name, const QString &text, const QFont &font, int x, int rowTop)
{
    auto *label = new QLabel(text, parent);
    label->setObjectName(name);
    label->setFont(font);
    label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    label->setAttribute(Qt::WA_TransparentForMouseEvents);
    const QSize hint = label->sizeHint();
    const int height = std::max(hint.height(), px(kBoxHeight));
    label->setGeometry(px(x), px(rowTop) + (px(kBoxHeight) - height) / 2, hint.width(), height);
}

void addRule(QWidget *parent, const QString &name, int left, int y)
{
    auto *line = new QFrame(parent);
    line->setObjectName(name);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    line->setGeometry(px(left), px(y) - 1, px(kRuleRight) - px(left), 2);
    line->setAttribute(Qt::WA_TransparentForMouseEvents);
}

} // namespace

CoverDialog::CoverDialog(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint)
{
    setWindowTitle(QStringLiteral("表紙データ"));
    setModal(true);
    // The labels go first so that the text boxes, made later, lie above the
    // blanks of the date labels they fill.
    buildLabels();
    buildTextBoxes();
    setFixedSize(px(kClientWidth), px(kClientHeight));
}

void CoverDialog::buildLabels()
{
    const QFont rowFont = rowLabelFont();
    const QFont textFont = textLabelFont();

    addLabel(this, QStringLiteral("Label1"), QStringLiteral("工事番号"), rowFont, kRowLabelLeft, kRowNumber);
    addLabel(this, QStringLiteral("Label2"), QStringLiteral("令和"), textFont, 1560, kRowNumber);
    addLabel(this, QStringLiteral("Label3"), QStringLiteral("年度"), textFont, 3000, kRowNumber);
    addLabel(this, QStringLiteral("Label4"), QStringLiteral("工第"), textFont, 4200, kRowNumber);
    addLabel(this, QStringLiteral("Label5"), QStringLiteral("号"), textFont, 5760, kRowNumber);
    addLabel(this, QStringLiteral("Label6"), QStringLiteral("工 事 名"), rowFont, kRowLabelLeft, kRowName);
    addLabel(this, QStringLiteral("Label7"), QStringLiteral("工事場所"), rowFont, kRowLabelLeft, kRowSite);
    addLabel(this, QStringLiteral("Label8"), QStringLiteral("工　　期"), rowFont, kRowLabelLeft, kRowStart);
    addLabel(this, QStringLiteral("Label9"), QStringLiteral("着　工"), textFont, 1560, kRowStart);
    addLabel(this, QStringLiteral("Label10"), kDateLabel, textFont, 3000, kRowStart);
    addLabel(this, QStringLiteral("Label11"), QStringLiteral("竣　工"), textFont, 1560, kRowEnd);
    addLabel(this, QStringLiteral("Label12"), kDateLabel, textFont, 3000, kRowEnd);
    addLabel(this, QStringLiteral("Label13"), QStringLiteral("工事施工者"), rowFont, kRowLabelLeft, kRowContractor);
    addLabel(this, QStringLiteral("Label14"), QStringLiteral("提出年月日"),
             labelFont(QStringLiteral("ＭＳ 明朝"), 11.25, false), kRowLabelLeft, kRowSubmitted);
    addLabel(this, QStringLiteral("Label15"), kDateLabel, textFont, 1560, kRowSubmitted);

    addRule(this, QStringLiteral("Line1"), kRowLabelLeft, 600);
    addRule(this, QStringLiteral("Line2"), kRowLabelLeft, 1080);
    addRule(this, QStringLiteral("Line3"), kRowLabelLeft, 1560);
    addRule(this, QStringLiteral("Line4"), 1560, 2040);
    addRule(this, QStringLiteral("Line5"), 1560, 2520);
    addRule(this, QStringLiteral("Line6"), kRowLabelLeft, 3000);
}

void CoverDialog::buildTextBoxes()
{
    struct Place {
        int left;
        int top;
        int width;
    };
    // Fields 1..14 in keyboard order; "OK" follows field 2.
    static constexpr std::array<Place, kCoverFieldCount> places{{
        {2160, kRowNumber, 735},
        {4920, kRowNumber, 735},
        {1560, kRowName, 4815},
        {1560, kRowSite, 4815},
        {3600, kRowStart, 495},
        {4560, kRowStart, 495},
        {5400, kRowStart, 495},
        {3600, kRowEnd, 495},
        {4560, kRowEnd, 495},
        {5400, kRowEnd, 495},
        {1560, kRowContractor, 4815},
        {2160, kRowSubmitted, 495},
        {3120, kRowSubmitted, 495},
        {3960, kRowSubmitted, 495},
    }};

    auto *ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("OKButton"));
    ok->setGeometry(twipRect(6840, kRowNumber, 1215, 375));
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    // What each box holds, in the words of its row, for assistive technology.
    static const char16_t *const names[kCoverFieldCount] = {
        u"工事番号 令和 年度", u"工事番号 工第 号", u"工事名",       u"工事場所",
        u"工期 着工 令和 年",  u"工期 着工 月",     u"工期 着工 日", u"工期 竣工 令和 年",
        u"工期 竣工 月",       u"工期 竣工 日",     u"工事施工者",   u"提出年月日 令和 年",
        u"提出年月日 月",      u"提出年月日 日",
    };
    for (int n = 1; n <= kCoverFieldCount; ++n) {
        const Place &at = places[size_t(n - 1)];
        auto *box = new QLineEdit(this);
        box->setObjectName(QStringLiteral("Text%1").arg(n));
        box->setAccessibleName(QString::fromUtf16(names[n - 1]));
        box->setGeometry(twipRect(at.left, at.top, at.width, kBoxHeight));
        box->raise();
        fieldBoxes_[size_t(n - 1)] = box;
    }

    QWidget *previous = fieldBoxes_[0];
    const auto chain = [&previous](QWidget *next) {
        QWidget::setTabOrder(previous, next);
        previous = next;
    };
    chain(fieldBoxes_[1]);
    chain(ok);
    for (int n = 3; n <= kCoverFieldCount; ++n)
        chain(fieldBoxes_[size_t(n - 1)]);
    // The dialog opens with the cursor in the first box.
    fieldBoxes_[0]->setFocus();
}

void CoverDialog::showEvent(QShowEvent *event)
{
    // Runs before the window is mapped, so the move below replaces Qt's own
    // placement, which guesses at frame sizes the window system has not told.
    if (!placed_) {
        placed_ = true;
        QWidget *owner = parentWidget() ? parentWidget()->window() : nullptr;
        QRect area;
        if (owner && owner->isVisible())
            area = owner->frameGeometry();
        else if (const QScreen *s = owner ? owner->screen() : screen())
            area = s->availableGeometry();
        if (area.isValid()) {
            QRect outer = frameGeometry();
            outer.moveCenter(area.center());
            move(outer.topLeft());
        }
    }
    QDialog::showEvent(event);
}

void CoverDialog::reject()
{
    accept();
}

QString CoverDialog::field(int n) const
{
    return fieldBoxes_[size_t(n - 1)]->text();
}

void CoverDialog::setField(int n, const QString &text)
{
    fieldBoxes_[size_t(n - 1)]->setText(text);
}

CoverData CoverDialog::fields() const
{
    CoverData data;
    for (int n = 1; n <= kCoverFieldCount; ++n)
        data.field(n) = field(n);
    return data;
}

void CoverDialog::setFields(const CoverData &fields)
{
    for (int n = 1; n <= kCoverFieldCount; ++n)
        setField(n, fields.field(n));
}

QLineEdit *CoverDialog::textBox(int n) const
{
    return fieldBoxes_[size_t(n - 1)];
}

} // namespace sorvane
