#include "ui/dialogs/photo_review_window.h"

#include "io/path_mappings.h"
#include "picture/photo_search.h"
#include "text/line_breaks.h"
#include "ui/main/missing_photo_texts.h"
#include "ui/main/photo_checker.h"

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>

namespace sorvane {

namespace {

constexpr int kRowRole = Qt::UserRole;

EditPlace placeOfRow(int row)
{
    return EditPlace{(row - 1) / AlbumTable::kSlotsPerPage + 1, (row - 1) % AlbumTable::kSlotsPerPage, 0};
}

} // namespace

PhotoReviewWindow::PhotoReviewWindow(PlatformServices &services, AlbumDocument &document, PhotoChecker &checker,
                                     QWidget *owner)
    : QWidget(owner, Qt::Window), services_(services), document_(document), checker_(checker)
{
    setObjectName(QStringLiteral("photo_review"));
    setWindowTitle(QStringLiteral("写真の確認"));
    resize(900, 420);

    auto *column = new QVBoxLayout(this);
    summary_ = new QLabel(this);
    column->addWidget(summary_);
    list_ = new QTreeWidget(this);
    list_->setRootIsDecorated(false);
    list_->setUniformRowHeights(true);
    list_->setAllColumnsShowFocus(true);
    list_->setHeaderLabels({QStringLiteral("ページ"), QStringLiteral("番号"), QStringLiteral("表題"),
                            QStringLiteral("パス"), QStringLiteral("理由"), QStringLiteral("検索結果"),
                            QStringLiteral("新しいパス")});
    list_->setColumnWidth(PageColumn, 50);
    list_->setColumnWidth(NumberColumn, 50);
    list_->setColumnWidth(TitleColumn, 160);
    list_->setColumnWidth(PathColumn, 300);
    list_->setColumnHidden(ResultColumn, true);
    list_->setColumnHidden(NewPathColumn, true);
    column->addWidget(list_, 1);

    auto *buttons = new QHBoxLayout;
    search_ = new QPushButton(QStringLiteral("フォルダから探す..."), this);
    relink_ = new QPushButton(QStringLiteral("パスを書き換える"), this);
    relink_->setEnabled(false);
    auto *close = new QPushButton(QStringLiteral("閉じる"), this);
    buttons->addWidget(search_);
    buttons->addWidget(relink_);
    buttons->addStretch(1);
    buttons->addWidget(close);
    column->addLayout(buttons);

    connect(search_, &QPushButton::clicked, this, &PhotoReviewWindow::searchFolder);
    connect(relink_, &QPushButton::clicked, this, &PhotoReviewWindow::relinkFound);
    connect(close, &QPushButton::clicked, this, &QWidget::hide);
    connect(list_, &QTreeWidget::itemActivated, this,
            [this](QTreeWidgetItem *item) { emit entryActivated(item->data(0, kRowRole).toInt()); });
    connect(&checker_, &PhotoChecker::changed, this, [this] {
        // Nobody looks at a hidden list; it is made afresh when shown.
        if (isVisible())
            refresh();
    });
    // Rows of another album.
    connect(&document_, &AlbumDocument::albumReplaced, this, [this] { found_.clear(); });
}

void PhotoReviewWindow::showEvent(QShowEvent *event)
{
    refresh();
    QWidget::showEvent(event);
}

QList<int> PhotoReviewWindow::listedRows() const
{
    QList<int> rows;
    for (int i = 0; i < list_->topLevelItemCount(); ++i)
        rows << list_->topLevelItem(i)->data(0, kRowRole).toInt();
    return rows;
}

void PhotoReviewWindow::refresh()
{
    const QList<int> rows = checker_.problemRows();
    const int current = list_->currentItem() ? list_->currentItem()->data(0, kRowRole).toInt() : 0;
    list_->clear();
    int missing = 0;
    bool anyFound = false, anySearched = false;
    QList<QTreeWidgetItem *> items;
    for (int r : rows) {
        const PhotoEntry &entry = document_.entry(r);
        const PhotoStatus status = checker_.status(entry.photoPath);
        missing += status.isMissing() ? 1 : 0;
        auto *item = new QTreeWidgetItem;
        item->setData(0, kRowRole, r);
        item->setText(PageColumn, QString::number(placeOfRow(r).page));
        item->setText(NumberColumn, entry.number.trimmed());
        item->setText(TitleColumn, entry.title);
        item->setText(PathColumn, entry.photoPath);
        item->setToolTip(PathColumn, status.file);
        item->setText(ReasonColumn, photoStatusText(status));
        const auto found = found_.constFind(r);
        if (found != found_.constEnd() && found->photoPath == entry.photoPath) {
            anySearched = true;
            const RelinkChoice &choice = found->choice;
            item->setText(ResultColumn, relinkOutcomeText(choice.outcome));
            if (choice.outcome == RelinkOutcome::Found) {
                anyFound = true;
                item->setText(NewPathColumn, choice.file);
            } else if (choice.outcome == RelinkOutcome::Ambiguous) {
                item->setText(NewPathColumn, QStringLiteral("（%1 件）").arg(choice.candidates.size()));
                item->setToolTip(NewPathColumn, choice.candidates.join(u'\n'));
            }
        }
        items << item;
    }
    list_->addTopLevelItems(items);
    for (QTreeWidgetItem *item : items) {
        if (item->data(0, kRowRole).toInt() == current)
            list_->setCurrentItem(item);
    }
    list_->setColumnHidden(ResultColumn, !anySearched);
    list_->setColumnHidden(NewPathColumn, !anySearched);
    summary_->setText(rows.isEmpty() ? QStringLiteral("見つからない写真、読み取れない写真はありません。")
                                     : photoProblemsText(missing, int(rows.size()) - missing));
    search_->setEnabled(missing > 0);
    relink_->setEnabled(anyFound);
}

void PhotoReviewWindow::searchFolder()
{
    checker_.waitUntilDone();
    QList<int> rows;
    QStringList paths;
    for (int r : checker_.problemRows()) {
        const QString &path = document_.entry(r).photoPath;
        if (!checker_.status(path).isMissing())
            continue;
        rows << r;
        if (!paths.contains(path))
            paths << path;
    }
    if (paths.isEmpty())
        return;
    FileDialogRequest request;
    if (!document_.filePath().isEmpty())
        request.initialDirectory = QFileInfo(document_.filePath()).absolutePath();
    const QString folder = services_.chooseFolder(request);
    if (folder.isEmpty())
        return;
    PhotoSearch search;
    {
        const std::unique_ptr<ProgressWindow> progress =
            services_.beginProgress(QStringLiteral("写真を探しています..."));
        search = searchForPhotos(folder, paths, [&](int done, int total) { return progress->advance(done, total); });
    }
    if (search.cancelled)
        return; // what an earlier search found stays shown
    found_.clear();
    for (int r : rows) {
        const QString &path = document_.entry(r).photoPath;
        found_.insert(r, Found{path, search.choices[paths.indexOf(path)]});
    }
    refresh();
}

void PhotoReviewWindow::relinkFound()
{
    QMap<int, QString> paths;
    QList<QPair<QString, QString>> relinked;
    QList<int> rows = found_.keys();
    std::sort(rows.begin(), rows.end());
    for (int r : rows) {
        const Found &found = found_[r];
        if (r > document_.rowCount() || document_.entry(r).photoPath != found.photoPath ||
            found.choice.outcome != RelinkOutcome::Found)
            continue;
        const QString file = QFileInfo(found.choice.file).absoluteFilePath();
        paths.insert(r, file);
        relinked << qMakePair(found.photoPath, file);
    }
    if (paths.isEmpty())
        return;
    found_.clear();
    if (!document_.relinkPhotos(paths, placeOfRow(paths.firstKey())))
        return;
    offerMapping(relinked);
    refresh();
}

void PhotoReviewWindow::offerMapping(const QList<QPair<QString, QString>> &relinked)
{
    QList<PathMapping> mappings = document_.photoLocator().mappings();
    const std::optional<PathMapping> mapping = commonRelinkMapping(relinked);
    const bool known = mapping && std::any_of(mappings.begin(), mappings.end(), [&](const PathMapping &m) {
                           return samePrefix(m.prefix, mapping->prefix) && m.folder == mapping->folder;
                       });
    if (mapping && !known) {
        MessageRequest question;
        question.text = QStringLiteral("「%1」にあった写真は「%2」にあります。").arg(mapping->prefix, mapping->folder) +
                        kCrLf + QStringLiteral("この読み替えを記憶して、ほかの写真帳でも使いますか？");
        question.buttons = MessageButtons::YesNo;
        if (services_.showMessage(question) == MessageResult::Yes) {
            const QString settings = services_.settingsDirectory();
            QString error;
            if (!writePathMappings(settings, withMapping(readPathMappings(settings), *mapping), &error)) {
                MessageRequest failed;
                failed.text = QStringLiteral("パスの読み替えを記憶できませんでした。") + kCrLf + kCrLf + error;
                services_.showMessage(failed);
            }
            // This run uses it in any case.
            mappings = withMapping(mappings, *mapping);
        }
    }
    // A fresh locator in any case: what the old one learnt of folders is
    // out of date now that files were found where they are.
    document_.setPhotoLocator(std::make_shared<PhotoLocator>(mappings));
    emit locatorReplaced();
}

} // namespace sorvane
