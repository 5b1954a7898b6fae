#pragma once

#include "io/album_lock.h"
#include "model/album_document.h"
#include "platform/services.h"
#include "print/album_print.h"
#include "print/print_session.h"
#include "ui/dialogs/cover_dialog.h"
#include "ui/dialogs/list_window.h"
#include "ui/dialogs/options_dialog.h"
#include "ui/dialogs/photo_review_window.h"
#include "ui/dialogs/print_dialog.h"
#include "ui/dialogs/zoom_view.h"
#include "ui/main/album_messages.h"
#include "ui/main/recovery_keeper.h"

#include <QMainWindow>
#include <QPointer>

#include <array>
#include <memory>
#include <optional>

class QAction;
class QLabel;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QProgressBar;
class QStatusBar;
class QToolBar;
class QToolButton;
class QFrame;

namespace sorvane {

class MissingPhotosBar;
class PageSpinner;
class PhotoBox;
class PhotoChecker;
class SlotFrame;

// The main window: one page of the album in three slots, the page spinner,
// the toolbar, the menus and the status bar. It holds the album document and
// the print session, shows the document (current page, selected slot) and
// runs every command as an edit of the document.
class Form1 : public QMainWindow {
    Q_OBJECT
public:
    static constexpr int kSlots = AlbumTable::kSlotsPerPage;
    static constexpr int kTitleWarningBytes = 23;

    explicit Form1(PlatformServices &services, QWidget *parent = nullptr);
    ~Form1() override;

    // The start-up sequence, before the window is shown.
    void startUp();

    // The album's life.
    void New();
    void Open();
    void Save();
    // Open, with the dialog in the folder of the earlier versions kept.
    void openPreviousVersion();
    void editCover();
    void editOptions();
    void exportPdf();
    void printPreview();
    void showPrintDialog();
    void PrintCurrentPageCommand();
    void printSetup();
    // Prints the album through the system print dialog (the command is never
    // offered in the menu).
    void PrintMenuCommand();
    const QString &currentPrinter() const { return session_.currentPrinter(); }
    const QString &startupPrinter() const { return session_.startupPrinter(); }
    PrintDialog *printDialog() const { return printDialog_; }

    // Page display and selection.
    void ShowPage();
    void HighlightSlot(int slot);
    void updatePagePosition();
    PrintPictureLoader printPictureLoader() const;
    // Names the photos a job could not load; `done` says what was done
    // without them ("印刷", "出力", "表示").
    void reportMissingPhotos(const QStringList &paths, const QString &done);
    void printAlbumCopies(int copies);
    QString printJobName() const;
    // No printer at all, or the current one cannot take a job.
    void reportPrinterUnavailable();

    // Commands.
    void LoadPhoto(int slot);
    void DropPhoto(int slot, const DropData &data);
    void InsertEntry();
    void CutOutEntry();
    void DeletePhoto(int slot);
    void CopyFromPrevious(int slot);
    void CopyText();
    void PasteText();
    void zoomPhoto();
    void showVersion();
    // 写真の一括取り込み: many photos or a folder chosen in a dialog, or
    // dropped onto the window, placed in shooting order from the selected
    // slot on, as one step; what is no photo is listed afterwards.
    void BulkImport();
    void importPhotos(const QStringList &paths);
    // 撮影日順に並べ替え, one step.
    void SortByShootingDate();
    // 写真の確認: the window listing the photos that cannot be found or read.
    void ReviewPhotos();
    // Shows the page of a row and selects its slot.
    void showEntry(int row);
    // Before a print or an export of rows first..last: when some of their
    // photos cannot be found or read, asks whether to go on (`question`
    // follows the count). True to go on.
    bool mayGoOnWithProblemPhotos(int first, int last, const QString &question);
    PhotoChecker &photoChecker() { return *photoChecker_; }
    MissingPhotosBar *missingPhotosBar() const { return missingPhotosBar_; }
    PhotoReviewWindow *photoReviewWindow() const { return photoReviewWindow_; }
    // The tool tip of a slot's photo box ("" for a slot without a photo).
    QString photoToolTip(int slot) const;
    // Recovery copies left by runs that ended without saving, offered one
    // after the other; true when one was restored (it is then the album in
    // hand, unsaved).
    bool offerRecoveryCopies();
    RecoveryKeeper &recovery() { return *recovery_; }

    // The album's history: undo or redo one step and show where it was made.
    void undoStep();
    void redoStep();

    // State, for the other windows and the tests.
    AlbumDocument &document() { return document_; }
    const AlbumDocument &document() const { return document_; }
    PrintSession &session() { return session_; }
    int currentPage() const;
    int pageCount() const;
    int selectedSlot() const { return selectedSlot_; }
    bool isSaved() const { return document_.isSaved(); }
    const QString &albumPath() const { return albumPath_; }
    bool commandLineOpenPending() const { return commandLineOpen_; }
    // The lock of the album in hand (none for a new album, one opened
    // read-only or despite another's lock, or one in a folder that takes no
    // lock), and the file a Save may not write: the album opened read-only.
    const AlbumLock &albumLock() const { return lock_; }
    const QString &readOnlyFile() const { return readOnlyFile_; }
    // The dialogs, made on first use.
    CoverDialog *coverDialog();
    OptionsDialog *optionsDialog();
    bool isOptionsDialogLoaded() const { return !optionsDialog_.isNull(); }
    ListWindow *listWindow() const { return listWindow_; }

    // Controls, for the tests.
    QLineEdit *numberBox(int slot) const { return numberBoxes_[size_t(slot)]; }
    QLineEdit *titleBox(int slot) const { return titleBoxes_[size_t(slot)]; }
    QPlainTextEdit *commentBox(int slot) const { return commentBoxes_[size_t(slot)]; }
    PhotoBox *photoBox(int slot) const { return photoBoxes_[size_t(slot)]; }
    SlotFrame *slotFrame(int slot) const { return slotFrames_[size_t(slot)]; }
    QToolButton *copyFromPreviousButton(int slot) const { return copyFromPreviousButtons_[size_t(slot)]; }
    QToolButton *copyButton() const { return copyButton_; }
    QToolButton *pasteButton() const { return pasteButton_; }
    QLineEdit *pageBox() const { return pageBox_; }
    PageSpinner *pageSpinner() const { return pageSpinner_; }
    QToolBar *toolbar() const { return toolbar_; }
    QWidget *surface() const { return surface_; }
    QLabel *hintPanel() const { return hintPanel_; }
    QLabel *positionPanel() const { return positionPanel_; }
    QProgressBar *progressBar() const { return progressBar_; }
    QMenu *editMenu() const { return editMenu_; }
    QAction *action(const QString &name) const;
    ZoomView *zoomView() const { return zoomView_; }
    // Size in device pixels at which slot pictures are decoded.
    QSize slotPictureSize() const;

    // Comment box text and the table's CR LF form.
    static QString commentForBox(const QString &tableText);
    static QString commentFromBox(const QString &boxText);
    // The text of a comment box as the user sees it, line breaks as LF.
    QString commentBoxText(int slot) const;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void buildSurface();
    // The surface below the bar that tells of missing photos.
    QWidget *withMissingPhotosBar(QWidget *surface);
    void connectPhotoCheck();
    void updateMissingPhotosBar();
    void buildMenus();
    void buildToolbar();
    void connectSlot(int slot);
    void connectDocument();
    void nameControls();
    void updateSlotNames();
    void updatePanelNames();
    QAction *addCommand(QMenu *menu, const QString &name, const QString &caption, const QKeySequence &shortcut);
    void updateHistoryActions();

    int rowOf(int slot) const { return AlbumTable::RowOf(currentPage(), slot); }
    EditPlace placeOf(int slot, int column = 0) const { return EditPlace{currentPage(), slot, column}; }
    void setTitleBox(int slot, const QString &text);
    void setCommentBox(int slot, const QString &text);
    void StoreTitle(int slot);
    void StoreComment(int slot);
    // Brings the slots of the current page that show rows first..last up to
    // the document.
    void refreshRows(int first, int last);
    void showSlotPicture(int slot);
    QImage pictureFor(const QString &photoPath, QString *error);
    void prepareNeighbourPages();
    // Whether a photo put into `slot` grows the album by a page, and the
    // message when it would but the album is full.
    bool growsIfLastSlot(int slot);
    void showAlbumFull();
    void placePhoto(int slot, const QString &path, const QImage &picture, const QString &stepName);
    CoverData freshCoverNow();
    // Asked before New and Open throw away unsaved changes: true to go on.
    bool mayDiscardChanges();
    void openAlbum(const FileDialogRequest &dialog);
    // Whether the album's file changed on disk since it was read or saved.
    bool fileChangedSinceRead(const QString &path) const;
    void noteFileState();
    // The album in hand now has `lock` (held or not), opened for writing.
    void adoptLock(AlbumLock lock);
    // Takes the lock of `path` into *lock; when another Sorvane holds it,
    // asks what to do. False when the user cancelled.
    bool askForLock(const QString &path, AlbumLock *lock, LockChoice *choice);
    // The album in hand now comes from `path`, with the lock and answer of
    // askForLock().
    void holdAlbum(const QString &path, AlbumLock lock, LockChoice choice);
    void showCoverDialog(bool marksChanged);
    void updateNumberLabelsFromPageBox();
    void afterPageRelease();
    void showStep(const std::optional<EditPlace> &place);
    void showHint(const QString &text);
    // Files dragged onto the window outside the photo boxes: true when the
    // event was a drag of files and was taken here.
    bool takeWindowDrop(QObject *watched, QEvent *event);
    void message(const QString &text, const QString &caption = {});

    PlatformServices &services_;
    AlbumDocument document_;
    std::unique_ptr<RecoveryKeeper> recovery_;
    PrintSession session_;
    int selectedSlot_ = 0;
    bool startupComplete_ = false;
    bool commandLineOpen_ = false;
    // While undo or redo refills the boxes, their change steps warn of
    // nothing: the user has seen each warning once already.
    bool refilling_ = false;
    // While the boxes follow a change of the document.
    bool refreshing_ = false;
    // The file named on the command line: Save proposes it.
    QString albumPath_;
    // The album file as it was when read or last saved (size, modification
    // time, inode), to notice a change made meanwhile by someone else.
    QString diskState_;
    // See albumLock(). openedDespiteLock_ is the file the user chose to open
    // and save although another Sorvane holds it.
    AlbumLock lock_;
    QString readOnlyFile_;
    QString openedDespiteLock_;
    // The photo path each slot's picture was loaded for, and why it could
    // not be shown ("" when it is).
    std::array<QString, kSlots> shownPhoto_;
    std::array<QString, kSlots> shownError_;

    // The controls, named for their role; each one's control name (Text1,
    // Image1, ...) follows it.
    QWidget *surface_ = nullptr;
    std::array<QLineEdit *, kSlots> numberBoxes_{};               // Text1(k)
    std::array<QLineEdit *, kSlots> titleBoxes_{};                // Text2(k)
    std::array<QPlainTextEdit *, kSlots> commentBoxes_{};         // Text3(k)
    std::array<PhotoBox *, kSlots> photoBoxes_{};                 // Image1(k)
    std::array<SlotFrame *, kSlots> slotFrames_{};                // Shape1(k)
    std::array<QToolButton *, kSlots> copyFromPreviousButtons_{}; // Command1(k)
    QLineEdit *pageBox_ = nullptr;                                // Text4
    PageSpinner *pageSpinner_ = nullptr;                          // UpDown1
    QToolButton *copyButton_ = nullptr;                           // Command2
    QToolButton *pasteButton_ = nullptr;                          // Command3
    QFrame *rule_ = nullptr;                                      // Line1
    QToolBar *toolbar_ = nullptr;                                 // Toolbar1
    QStatusBar *statusBar_ = nullptr;                             // StatusBar1
    QLabel *hintPanel_ = nullptr;                                 // its panel 1
    QLabel *positionPanel_ = nullptr;                             // its panel 2
    QProgressBar *progressBar_ = nullptr;                         // ProgressBar1
    QMenu *fileMenu_ = nullptr;
    QMenu *editMenu_ = nullptr;
    QMenu *helpMenu_ = nullptr;
    QAction *undoAction_ = nullptr;
    QAction *redoAction_ = nullptr;
    QPointer<ZoomView> zoomView_;           // Form3
    QPointer<CoverDialog> coverDialog_;     // Dialog
    QPointer<OptionsDialog> optionsDialog_; // frmOptions
    QPointer<ListWindow> listWindow_;       // Form2
    QPointer<PrintDialog> printDialog_;     // Dialog1
    PhotoChecker *photoChecker_ = nullptr;
    MissingPhotosBar *missingPhotosBar_ = nullptr;
    // Closed by the user: it stays away until the next album or relink.
    bool missingPhotosBarClosed_ = false;
    QPointer<PhotoReviewWindow> photoReviewWindow_;
};

} // namespace sorvane
