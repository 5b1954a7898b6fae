#include "ui/main/form1.h"

#include "io/path_mappings.h"
#include "ui/dialogs/zoom_view.h"
#include "ui/main/hint_texts.h"
#include "ui/main/page_spinner.h"
#include "ui/main/photo_box.h"
#include "ui/main/text_boxes.h"
#include "ui/main/twips.h"

#include <QAction>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>
#include <QToolTip>

namespace sorvane {

namespace {

// Client area of the window in twips, below the menu bar.
constexpr int kClientWidth = 8265;
constexpr int kClientHeight = 8865;
constexpr int kSlotStep = 2640;

QFont slotFont()
{
    QFont font(QStringLiteral("ＭＳ Ｐゴシック"));
    font.setPointSizeF(11.25);
    font.setBold(true);
    return font;
}

QIcon themeIcon(const char *name)
{
    return QIcon::fromTheme(QString::fromLatin1(name));
}

QToolButton *pictureButton(QWidget *parent, const char *icon)
{
    auto *button = new QToolButton(parent);
    button->setIcon(themeIcon(icon));
    button->setAutoRaise(false);
    button->setMouseTracking(true);
    return button;
}

// A toolbar separator of fixed width, so the buttons stand where the hint
// ranges expect them.
QWidget *toolbarSeparator()
{
    auto *line = new QFrame;
    line->setFrameShape(QFrame::VLine);
    line->setFrameShadow(QFrame::Sunken);
    line->setFixedSize(8, 22);
    return line;
}

} // namespace

Form1::Form1(PlatformServices &services, QWidget *parent) : QMainWindow(parent), services_(services)
{
    setWindowTitle(QStringLiteral("Sorvane"));
    // Photos of albums from elsewhere are found through the user's mappings.
    document_.setPhotoLocator(std::make_shared<PhotoLocator>(readPathMappings(services_.settingsDirectory())));
    const QString state = services_.stateDirectory();
    recovery_ = std::make_unique<RecoveryKeeper>(document_, state.isEmpty() ? QString() : recoveryDirectory(state));
    buildSurface();
    buildMenus();
    buildToolbar();
    for (int k = 0; k < kSlots; ++k)
        connectSlot(k);
    connectDocument();
    connectPhotoCheck();
    // Every control reports its keys here first, so the commands' shortcuts
    // work whichever control has the focus.
    for (QWidget *child : findChildren<QWidget *>())
        child->installEventFilter(this);
    nameControls();
    // The window keeps its size; the menu bar lies above the client area.
    setFixedSize(px(kClientWidth), menuBar()->sizeHint().height() + px(kClientHeight));
}

Form1::~Form1()
{
    if (zoomView_)
        delete zoomView_;
}

void Form1::buildSurface()
{
    surface_ = new QWidget(this);
    surface_->setMouseTracking(true);
    surface_->installEventFilter(this);
    // Files dropped anywhere but onto a photo box are imported.
    surface_->setAcceptDrops(true);
    surface_->setFixedSize(px(kClientWidth), px(kClientHeight));
    setCentralWidget(withMissingPhotosBar(surface_));

    rule_ = new QFrame(surface_);
    rule_->setFrameShape(QFrame::HLine);
    rule_->setFrameShadow(QFrame::Sunken);
    rule_->setGeometry(0, px(480) - 1, px(8505), 2);
    rule_->setAttribute(Qt::WA_TransparentForMouseEvents);

    const QFont font = slotFont();
    for (int k = 0; k < kSlots; ++k) {
        const int dy = kSlotStep * k;
        auto *image = new PhotoBox(surface_);
        image->setGeometry(twipRect(120, 600 + dy, 3855, 2535));
        photoBoxes_[size_t(k)] = image;
        auto *frame = new SlotFrame(surface_);
        frame->setGeometry(image->geometry());
        slotFrames_[size_t(k)] = frame;

        auto *number = new QLineEdit(surface_);
        number->setGeometry(twipRect(4080, 600 + dy, 1215, 375));
        number->setReadOnly(true);
        number->setFont(font);
        number->setInputMethodHints(Qt::ImhLatinOnly | Qt::ImhPreferNumbers);
        numberBoxes_[size_t(k)] = number;

        auto *title = new TitleBox(surface_);
        title->setGeometry(twipRect(4080, 1080 + dy, 4095, 375));
        title->setFont(font);
        title->setLocale(QLocale(QLocale::Japanese, QLocale::Japan));
        title->installEventFilter(this);
        titleBoxes_[size_t(k)] = title;

        auto *comment = new CommentBox(surface_);
        comment->setGeometry(twipRect(4080, 1560 + dy, 4095, 1575));
        comment->setFont(font);
        comment->setLocale(QLocale(QLocale::Japanese, QLocale::Japan));
        comment->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        comment->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        comment->installEventFilter(this);
        commentBoxes_[size_t(k)] = comment;

        auto *copyPrevious = pictureButton(surface_, "go-up");
        copyPrevious->setGeometry(twipRect(7320, 600 + dy, 855, 430));
        copyPrevious->installEventFilter(this);
        copyFromPreviousButtons_[size_t(k)] = copyPrevious;
    }
    copyFromPreviousButtons_[0]->setEnabled(false);

    statusBar_ = new QStatusBar(surface_);
    statusBar_->setSizeGripEnabled(false);
    statusBar_->setGeometry(twipRect(0, 8490, 8265, 375));
    hintPanel_ = new QLabel(statusBar_);
    hintPanel_->setObjectName(QStringLiteral("hint_text"));
    positionPanel_ = new QLabel(statusBar_);
    positionPanel_->setMinimumWidth(px(900));
    positionPanel_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    statusBar_->addWidget(hintPanel_, 1);
    statusBar_->addPermanentWidget(positionPanel_);
    // The progress bar lies over the right end of the status bar; the page
    // position stands just left of it.
    auto *underProgressBar = new QWidget(statusBar_);
    underProgressBar->setFixedWidth(px(kClientWidth - 6480) + 2);
    statusBar_->addPermanentWidget(underProgressBar);

    progressBar_ = new QProgressBar(surface_);
    progressBar_->setGeometry(twipRect(6480, 8520, 1455, 220));
    progressBar_->setRange(0, 1000);
    progressBar_->setValue(0);
    progressBar_->setTextVisible(false);
}

void Form1::buildToolbar()
{
    toolbar_ = new QToolBar(surface_);
    toolbar_->setGeometry(twipRect(0, 0, kClientWidth, 420));
    toolbar_->setMovable(false);
    toolbar_->setFloatable(false);
    toolbar_->setIconSize(QSize(16, 16));
    toolbar_->setToolButtonStyle(Qt::ToolButtonIconOnly);
    toolbar_->setStyleSheet(QStringLiteral("QToolBar { border: 0px; padding: 0px; spacing: 0px; }"));
    toolbar_->setMouseTracking(true);
    toolbar_->installEventFilter(this);

    // Each button is its menu item's own action: one command, one
    // implementation. The key tells the buttons apart; the button's text is
    // its tool tip (the menu keeps its caption and shortcut).
    struct Button {
        const char *key;
        const char *text;
        const char *icon;
        const char *command;
    };
    const Button buttons[] = {
        {"newfile", "新規作成", "document-new", "file_new"},
        {"openfile", "ファイルを開く", "document-open", "file_open"},
        {"savefile", "保存", "document-save", "file_save"},
        {nullptr, nullptr, nullptr, nullptr},
        {"toppage", "表紙", "x-office-document", "file_header"},
        {"printall", "印刷", "document-print", "test_print"},
        {"oneprint", "単票印刷", "document-print-preview", "oneprint_menu"},
        {nullptr, nullptr, nullptr, nullptr},
        {"photo", "写真を開く", "insert-image", "load_image_menu"},
        {"delete", "削除", "edit-delete", "delete_image_menu"},
        {nullptr, nullptr, nullptr, nullptr},
        {"input", "挿入", "list-add", "input_line"},
        {"cutout", "抜取", "edit-cut", "delete_line"},
    };
    for (const Button &b : buttons) {
        if (!b.key) {
            toolbar_->addWidget(toolbarSeparator());
            continue;
        }
        QAction *command = action(QString::fromLatin1(b.command));
        Q_ASSERT(command);
        command->setIcon(themeIcon(b.icon));
        command->setIconVisibleInMenu(false);
        command->setIconText(QString::fromUtf8(b.text));
        command->setToolTip(QString::fromUtf8(b.text));
        command->setData(QString::fromLatin1(b.key));
        toolbar_->addAction(command);
        QWidget *button = toolbar_->widgetForAction(command);
        button->setObjectName(QStringLiteral("toolbar_") + QString::fromLatin1(b.key));
        button->setFixedSize(23, 22);
        button->setMouseTracking(true);
        button->installEventFilter(this);
    }

    // The bulk import stands apart, right of the page spinner, so the ranges
    // of the buttons before it stay as they are: a gap from the end of those
    // buttons (ten of 23 pixels and three separators) to the spinner's right
    // edge, a separator, then the button.
    constexpr int kButtonsEnd = 10 * 23 + 3 * 8;
    auto *gap = new QWidget;
    gap->setFixedSize(px(5400) - kButtonsEnd, 22);
    gap->setMouseTracking(true);
    toolbar_->addWidget(gap);
    toolbar_->addWidget(toolbarSeparator());
    QAction *bulkImport = action(QStringLiteral("bulk_import"));
    bulkImport->setIcon(themeIcon("folder-open"));
    bulkImport->setIconVisibleInMenu(false);
    bulkImport->setIconText(QStringLiteral("一括取り込み"));
    bulkImport->setToolTip(QStringLiteral("一括取り込み"));
    bulkImport->setData(QStringLiteral("bulkimport"));
    toolbar_->addAction(bulkImport);
    QWidget *bulkButton = toolbar_->widgetForAction(bulkImport);
    bulkButton->setObjectName(QStringLiteral("toolbar_bulkimport"));
    bulkButton->setFixedSize(23, 22);
    bulkButton->setMouseTracking(true);
    bulkButton->installEventFilter(this);

    pageBox_ = new QLineEdit(surface_);
    pageBox_->setGeometry(twipRect(4080, 100, 480, 270));
    pageBox_->setReadOnly(true);
    pageBox_->setAlignment(Qt::AlignRight);
    pageBox_->setMouseTracking(true);
    pageBox_->installEventFilter(this);
    connect(pageBox_, &QLineEdit::textChanged, this, [this] { updateNumberLabelsFromPageBox(); });

    pageSpinner_ = new PageSpinner(surface_);
    pageSpinner_->setGeometry(twipRect(4560, 100, 840, 270));
    connect(pageSpinner_, &PageSpinner::valueChanged, this, [this](int v) { pageBox_->setText(QString::number(v)); });
    connect(pageSpinner_, &PageSpinner::released, this, [this] { afterPageRelease(); });
    connect(pageSpinner_, &PageSpinner::hovered, this,
            [this](QPoint pos) { showHint(hints::spinner(twips(pos.x()))); });

    copyButton_ = pictureButton(surface_, "edit-copy");
    copyButton_->setGeometry(twipRect(7320, 50, 375, 315));
    copyButton_->installEventFilter(this);
    connect(copyButton_, &QToolButton::clicked, this, [this] { CopyText(); });
    pasteButton_ = pictureButton(surface_, "edit-paste");
    pasteButton_->setGeometry(twipRect(7800, 75, 375, 315));
    pasteButton_->setEnabled(false);
    pasteButton_->installEventFilter(this);
    connect(pasteButton_, &QToolButton::clicked, this, [this] { PasteText(); });
}

QAction *Form1::addCommand(QMenu *menu, const QString &name, const QString &caption, const QKeySequence &shortcut)
{
    QAction *action = menu->addAction(caption);
    action->setObjectName(name);
    action->setShortcut(shortcut);
    action->setShortcutContext(Qt::WindowShortcut);
    return action;
}

void Form1::buildMenus()
{
    fileMenu_ = menuBar()->addMenu(QStringLiteral("ファイル(&F)"));
    fileMenu_->setObjectName(QStringLiteral("file_menu"));
    connect(addCommand(fileMenu_, QStringLiteral("file_new"), QStringLiteral("新規作成 (&N)"),
                       QKeySequence(Qt::CTRL | Qt::Key_N)),
            &QAction::triggered, this, [this] { New(); });
    connect(addCommand(fileMenu_, QStringLiteral("file_open"), QStringLiteral("開く(&O)..."),
                       QKeySequence(Qt::CTRL | Qt::Key_O)),
            &QAction::triggered, this, [this] { Open(); });
    connect(addCommand(fileMenu_, QStringLiteral("file_save"), QStringLiteral("名前を付けて保存(&S)..."),
                       QKeySequence(Qt::CTRL | Qt::Key_S)),
            &QAction::triggered, this, [this] { Save(); });
    fileMenu_->addSeparator();
    connect(addCommand(fileMenu_, QStringLiteral("file_header"), QStringLiteral("表紙(&H)..."),
                       QKeySequence(Qt::CTRL | Qt::Key_H)),
            &QAction::triggered, this, [this] { editCover(); });
    fileMenu_->addSeparator();
    QAction *printMenu = addCommand(fileMenu_, QStringLiteral("print_menu"), QStringLiteral("印刷(&P)..."), {});
    printMenu->setVisible(false);
    printMenu->setEnabled(false);
    connect(printMenu, &QAction::triggered, this, [this] { PrintMenuCommand(); });
    connect(addCommand(fileMenu_, QStringLiteral("test_print"), QStringLiteral("印刷(&P)..."),
                       QKeySequence(Qt::CTRL | Qt::Key_P)),
            &QAction::triggered, this, [this] { showPrintDialog(); });
    connect(addCommand(fileMenu_, QStringLiteral("print_setting"), QStringLiteral("プリンタ設定"), {}),
            &QAction::triggered, this, [this] { printSetup(); });
    fileMenu_->addSeparator();
    connect(addCommand(fileMenu_, QStringLiteral("oneprint_menu"), QStringLiteral("単一印刷(&T)"),
                       QKeySequence(Qt::CTRL | Qt::Key_T)),
            &QAction::triggered, this, [this] { PrintCurrentPageCommand(); });
    fileMenu_->addSeparator();
    connect(addCommand(fileMenu_, QStringLiteral("option_edit"), QStringLiteral("オプション設定"),
                       QKeySequence(Qt::CTRL | Qt::Key_E)),
            &QAction::triggered, this, [this] { editOptions(); });
    fileMenu_->addSeparator();
    QAction *end = addCommand(fileMenu_, QStringLiteral("end_menu"), QStringLiteral("終了(&X)"),
                              QKeySequence(Qt::CTRL | Qt::Key_Q));
    connect(end, &QAction::triggered, this, &QWidget::close);
    // Commands added later come after the others.
    fileMenu_->addSeparator();
    connect(addCommand(fileMenu_, QStringLiteral("pdf_export"), QStringLiteral("PDFに出力(&E)..."), {}),
            &QAction::triggered, this, [this] { exportPdf(); });
    connect(addCommand(fileMenu_, QStringLiteral("print_preview"), QStringLiteral("印刷プレビュー(&V)..."), {}),
            &QAction::triggered, this, [this] { printPreview(); });
    connect(addCommand(fileMenu_, QStringLiteral("open_version"), QStringLiteral("以前の版を開く..."), {}),
            &QAction::triggered, this, [this] { openPreviousVersion(); });

    editMenu_ = menuBar()->addMenu(QStringLiteral("編集(&E)"));
    editMenu_->setObjectName(QStringLiteral("edit_menu"));
    connect(addCommand(editMenu_, QStringLiteral("load_image_menu"), QStringLiteral("写真を開く (&L)"),
                       QKeySequence(Qt::CTRL | Qt::Key_L)),
            &QAction::triggered, this, [this] { LoadPhoto(selectedSlot_); });
    connect(addCommand(editMenu_, QStringLiteral("delete_image_menu"), QStringLiteral("削除 (&D)"),
                       QKeySequence(Qt::CTRL | Qt::Key_D)),
            &QAction::triggered, this, [this] { DeletePhoto(selectedSlot_); });
    editMenu_->addSeparator();
    connect(addCommand(editMenu_, QStringLiteral("input_line"), QStringLiteral("挿入"),
                       QKeySequence(Qt::SHIFT | Qt::Key_Insert)),
            &QAction::triggered, this, [this] { InsertEntry(); });
    connect(addCommand(editMenu_, QStringLiteral("delete_line"), QStringLiteral("抜取"),
                       QKeySequence(Qt::SHIFT | Qt::Key_Delete)),
            &QAction::triggered, this, [this] { CutOutEntry(); });
    editMenu_->addSeparator();
    connect(addCommand(editMenu_, QStringLiteral("text_copy"), QStringLiteral("テキストコピー(C)"),
                       QKeySequence(Qt::CTRL | Qt::Key_F)),
            &QAction::triggered, this, [this] { CopyText(); });
    connect(addCommand(editMenu_, QStringLiteral("text_past"), QStringLiteral("テキスト貼り付け(P)"),
                       QKeySequence(Qt::CTRL | Qt::Key_B)),
            &QAction::triggered, this, [this] { PasteText(); });
    editMenu_->addSeparator();
    connect(addCommand(editMenu_, QStringLiteral("zoom_photo"), QStringLiteral("拡大表示"),
                       QKeySequence(Qt::CTRL | Qt::Key_R)),
            &QAction::triggered, this, [this] { zoomPhoto(); });
    editMenu_->addSeparator();
    undoAction_ = addCommand(editMenu_, QStringLiteral("edit_undo"), QStringLiteral("元に戻す"),
                             QKeySequence(Qt::CTRL | Qt::Key_Z));
    connect(undoAction_, &QAction::triggered, this, [this] { undoStep(); });
    redoAction_ = addCommand(editMenu_, QStringLiteral("edit_redo"), QStringLiteral("やり直し"),
                             QKeySequence(Qt::CTRL | Qt::Key_Y));
    redoAction_->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)});
    connect(redoAction_, &QAction::triggered, this, [this] { redoStep(); });
    updateHistoryActions();
    // Commands added later come after the others.
    editMenu_->addSeparator();
    connect(addCommand(editMenu_, QStringLiteral("bulk_import"), QStringLiteral("写真の一括取り込み(&I)..."),
                       QKeySequence(Qt::CTRL | Qt::Key_I)),
            &QAction::triggered, this, [this] { BulkImport(); });
    connect(addCommand(editMenu_, QStringLiteral("sort_by_date"), QStringLiteral("撮影日順に並べ替え"), {}),
            &QAction::triggered, this, [this] { SortByShootingDate(); });
    connect(addCommand(editMenu_, QStringLiteral("photo_review"), QStringLiteral("写真の確認..."), {}),
            &QAction::triggered, this, [this] { ReviewPhotos(); });

    helpMenu_ = menuBar()->addMenu(QStringLiteral("ヘルプ(&H)"));
    helpMenu_->setObjectName(QStringLiteral("help_menu"));
    connect(addCommand(helpMenu_, QStringLiteral("version_menu"), QStringLiteral("バージョン(&A)"), {}),
            &QAction::triggered, this, [this] { showVersion(); });
}

QAction *Form1::action(const QString &name) const
{
    return findChild<QAction *>(name);
}

void Form1::connectSlot(int k)
{
    PhotoBox *image = photoBoxes_[size_t(k)];
    connect(image, &PhotoBox::released, this, [this, k](Qt::MouseButton button, QPoint globalPos) {
        if (button != Qt::LeftButton && button != Qt::RightButton)
            return;
        selectedSlot_ = k;
        HighlightSlot(k);
        if (button == Qt::RightButton)
            editMenu_->exec(globalPos);
        titleBoxes_[size_t(k)]->setFocus();
    });
    connect(image, &PhotoBox::doubleClicked, this, [this, k] {
        selectedSlot_ = k;
        LoadPhoto(k);
    });
    connect(image, &PhotoBox::clicked, this, [this, k] {
        if (!zoomView_)
            zoomView_ = new ZoomView(services_, this);
        const QString path = document_.text(rowOf(k), AlbumTable::PhotoPath);
        zoomView_->setPhoto(photoBoxes_[size_t(k)]->picture(), document_.resolvePhotoPath(path), path);
    });
    connect(image, &PhotoBox::dropped, this, [this, k](const DropData &data) { DropPhoto(k, data); });
    connect(titleBoxes_[size_t(k)], &QLineEdit::textChanged, this, [this, k] { StoreTitle(k); });
    connect(commentBoxes_[size_t(k)], &QPlainTextEdit::textChanged, this, [this, k] { StoreComment(k); });
    connect(copyFromPreviousButtons_[size_t(k)], &QToolButton::clicked, this, [this, k] { CopyFromPrevious(k); });
}

bool Form1::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::ShortcutOverride) {
        // The menu shortcuts win over the controls' own keys (Shift+Insert,
        // Ctrl+H, Ctrl+E, ...), as the commands are meant to work from any
        // control.
        const auto *key = static_cast<QKeyEvent *>(event);
        const QKeySequence pressed(key->keyCombination());
        for (const QAction *a : findChildren<QAction *>()) {
            if (a->isEnabled() && a->shortcuts().contains(pressed)) {
                event->ignore();
                return true;
            }
        }
        return false;
    }
    if (takeWindowDrop(watched, event))
        return true;
    if (event->type() == QEvent::ToolTip) {
        const auto box = std::find(photoBoxes_.begin(), photoBoxes_.end(), watched);
        if (box != photoBoxes_.end()) {
            const QString tip = photoToolTip(int(box - photoBoxes_.begin()));
            if (tip.isEmpty())
                QToolTip::hideText();
            else
                QToolTip::showText(static_cast<QHelpEvent *>(event)->globalPos(), tip, *box);
            return true;
        }
    }
    if (event->type() == QEvent::FocusOut &&
        (std::find(titleBoxes_.begin(), titleBoxes_.end(), watched) != titleBoxes_.end() ||
         std::find(commentBoxes_.begin(), commentBoxes_.end(), watched) != commentBoxes_.end())) {
        // Leaving a box ends its typing step.
        document_.endTyping();
        return false;
    }
    if (event->type() != QEvent::MouseMove)
        return false;
    const QPoint pos = static_cast<QMouseEvent *>(event)->position().toPoint();
    if (watched == surface_) {
        if (!surface_->childAt(pos))
            showHint({});
    } else if (watched == toolbar_) {
        showHint(hints::toolbar(twips(pos.x()), twips(pos.y())));
    } else if (auto *w = qobject_cast<QWidget *>(watched); w && w->parentWidget() == toolbar_) {
        const QPoint inToolbar = w->mapTo(toolbar_, pos);
        showHint(hints::toolbar(twips(inToolbar.x()), twips(inToolbar.y())));
    } else if (watched == pageBox_) {
        showHint(hints::kPageNumber);
    } else if (watched == copyButton_) {
        showHint(hints::kCopyText);
    } else if (watched == pasteButton_) {
        showHint(hints::kPasteText);
    } else if (std::find(copyFromPreviousButtons_.begin(), copyFromPreviousButtons_.end(), watched) !=
               copyFromPreviousButtons_.end()) {
        showHint(hints::kCopyFromPrevious);
    }
    return false;
}

void Form1::showHint(const QString &text)
{
    if (hintPanel_->text() == text)
        return;
    hintPanel_->setText(text);
    updatePanelNames();
}

void Form1::message(const QString &text, const QString &caption)
{
    services_.showMessage(MessageRequest{text, MessageButtons::Ok, MessageIcon::None, caption});
}

} // namespace sorvane
