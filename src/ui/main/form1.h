#pragma once

#include "io/album_file.h"
#include "io/settings_files.h"
#include "model/album_table.h"
#include "platform/services.h"
#include "print/album_print.h"
#include "ui/dialogs/cover_dialog.h"
#include "ui/dialogs/list_window.h"
#include "ui/dialogs/options_dialog.h"
#include "ui/dialogs/print_dialog.h"
#include "ui/dialogs/zoom_view.h"

#include <QMainWindow>
#include <QPointer>

#include <array>

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

class PageSpinner;
class PhotoBox;
class SlotFrame;

// The main window: one page of the album in three slots, the page spinner,
// the toolbar, the menus and the status bar. It owns the running program's
// state (album table, current page, selected slot, saved flag) and runs every
// command.
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
    const QString &currentPrinter() const { return currentPrinter_; }
    const QString &startupPrinter() const { return startupPrinter_; }
    PrintDialog *printDialog() const { return dialog1_; }

    // Page display and selection.
    void ShowPage();
    void HighlightSlot(int slot);
    void updatePagePosition();
    void replaceAlbum(AlbumContents album);
    PrintSettings printSettingsForJob();
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

    // State, for the other windows and the tests.
    AlbumTable &table() { return table_; }
    int currentPage() const;
    int pageCount() const;
    int selectedSlot() const { return selectedSlot_; }
    bool isSaved() const { return saved_; }
    const QString &albumPath() const { return albumPath_; }
    bool commandLineOpenPending() const { return commandLineOpen_; }
    PrintOptions &printOptions() { return printOptions_; }
    // The dialogs, loaded (hidden) on first use.
    CoverDialog *coverDialog();
    OptionsDialog *optionsDialog();
    bool isCoverDialogLoaded() const { return !dialog_.isNull(); }
    bool isOptionsDialogLoaded() const { return !frmOptions_.isNull(); }
    ListWindow *listWindow() const { return form2_; }

    // Controls, for the tests.
    QLineEdit *numberBox(int slot) const { return text1_[size_t(slot)]; }
    QLineEdit *titleBox(int slot) const { return text2_[size_t(slot)]; }
    QPlainTextEdit *commentBox(int slot) const { return text3_[size_t(slot)]; }
    PhotoBox *photoBox(int slot) const { return image1_[size_t(slot)]; }
    SlotFrame *slotFrame(int slot) const { return shape1_[size_t(slot)]; }
    QToolButton *copyFromPreviousButton(int slot) const { return command1_[size_t(slot)]; }
    QToolButton *copyButton() const { return command2_; }
    QToolButton *pasteButton() const { return command3_; }
    QLineEdit *pageBox() const { return text4_; }
    PageSpinner *pageSpinner() const { return upDown1_; }
    QToolBar *toolbar() const { return toolbar1_; }
    QWidget *surface() const { return surface_; }
    QLabel *hintPanel() const { return hintPanel_; }
    QLabel *positionPanel() const { return positionPanel_; }
    QProgressBar *progressBar() const { return progressBar1_; }
    QMenu *editMenu() const { return editMenu_; }
    QAction *action(const QString &name) const;
    ZoomView *zoomView() const { return form3_; }
    // Size in device pixels at which slot pictures are decoded.
    QSize slotPictureSize() const;

    // Comment box text and the table's CR LF form.
    static QString commentForBox(const QString &tableText);
    static QString commentFromBox(const QString &boxText);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void buildSurface();
    void buildMenus();
    void buildToolbar();
    void connectSlot(int slot);
    QAction *addCommand(QMenu *menu, const QString &name, const QString &caption, const QKeySequence &shortcut);
    void runToolbarKey(const QString &key);

    int rowOf(int slot) const { return AlbumTable::RowOf(currentPage(), slot); }
    void setTitleBox(int slot, const QString &text);
    void setCommentBox(int slot, const QString &text);
    void StoreTitle(int slot);
    void StoreComment(int slot);
    void showSlotPicture(int slot);
    QImage pictureFor(const QString &photoPath, QString *error);
    QString resolvePhotoPath(const QString &photoPath) const;
    void prepareNeighbourPages();
    void GrowIfLastSlot(int slot);
    bool appendPageWithinLimit();
    void placePhoto(int slot, const QString &path, const QImage &picture);
    void updateNumberLabelsFromPageBox();
    void afterPageRelease();
    void showHint(const QString &text);
    void message(const QString &text, const QString &caption = {});

    PlatformServices &services_;
    AlbumTable table_;
    PrintOptions printOptions_;
    int selectedSlot_ = 0;
    bool saved_ = true;
    bool startupComplete_ = false;
    bool commandLineOpen_ = false;
    // The file the album in hand was last read from or written to (the album
    // path above only ever holds the command line's file). Relative photo
    // paths resolve against its folder, as they will when it is reopened,
    // and print jobs are named after it.
    QString albumFile_;
    QString albumPath_;

    QWidget *surface_ = nullptr;
    std::array<QLineEdit *, kSlots> text1_{};
    std::array<QLineEdit *, kSlots> text2_{};
    std::array<QPlainTextEdit *, kSlots> text3_{};
    std::array<PhotoBox *, kSlots> image1_{};
    std::array<SlotFrame *, kSlots> shape1_{};
    std::array<QToolButton *, kSlots> command1_{};
    QLineEdit *text4_ = nullptr;
    PageSpinner *upDown1_ = nullptr;
    QToolButton *command2_ = nullptr;
    QToolButton *command3_ = nullptr;
    QFrame *line1_ = nullptr;
    QToolBar *toolbar1_ = nullptr;
    QStatusBar *statusBar1_ = nullptr;
    QLabel *hintPanel_ = nullptr;
    QLabel *positionPanel_ = nullptr;
    QProgressBar *progressBar1_ = nullptr;
    QMenu *fileMenu_ = nullptr;
    QMenu *editMenu_ = nullptr;
    QMenu *helpMenu_ = nullptr;
    QPointer<ZoomView> form3_;
    QPointer<CoverDialog> dialog_;
    QPointer<OptionsDialog> frmOptions_;
    QPointer<ListWindow> form2_;
    QPointer<PrintDialog> dialog1_;
    QString startupPrinter_;
    QString currentPrinter_;
};

} // namespace sorvane
