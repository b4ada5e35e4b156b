// TfmMain, the main window: the banner, the four tabs of the sync controller with their list
// views, the menus and the status bar with the progress bar laid over it.
#pragma once

#include "common/sync/SyncController.h"
#include "common/sync/SyncUi.h"
#include "src/RecordListView.h"

#include <QMainWindow>
#include <array>
#include <memory>

class QAction;
class QComboBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QSplitter;
class QStatusBar;
class QTabWidget;

namespace twinleaf {

// The controls of one tab. Object names follow the kind: cbAddrUser, lvPDDate, btnTodoStart, ...
struct KindControls {
    QWidget* page = nullptr;
    QWidget* pTop = nullptr;
    QWidget* pMain = nullptr;
    QWidget* pBottom = nullptr;
    QLabel* lblUser = nullptr;
    QComboBox* cbUser = nullptr;
    QLabel* lblMode = nullptr;
    QRadioButton* rbtnP2O = nullptr;
    QRadioButton* rbtnO2P = nullptr;
    QRadioButton* rbtnSync = nullptr;
    QPushButton* btnStart = nullptr;
    QSplitter* splitter = nullptr;
    RecordListView* lvPD = nullptr;
    RecordListView* lvOL = nullptr;
    QLabel* lblPD = nullptr;
    QPushButton* btnPDAll = nullptr;
    QPushButton* btnPDDiff = nullptr;
    QPushButton* btnPDClear = nullptr;
    QLabel* lblOL = nullptr;
    QPushButton* btnOLAll = nullptr;
    QPushButton* btnOLDiff = nullptr;
    QPushButton* btnOLClear = nullptr;
};

class TfmMain : public QMainWindow, public SyncUi {
    Q_OBJECT
public:
    // `sides` makes each kind's facade and Outlook access; empty: the real ones.
    explicit TfmMain(SyncController::SidesFactory sides = {}, QWidget* parent = nullptr);
    ~TfmMain() override;

    // What the sync controller asks of the window. The dialogs among them (messages, the
    // conflict alert) may be answered by a derived class in tests.
    void setRows(DataKind kind, ViewSide side, std::vector<void*> records) override;
    void refreshRows(DataKind kind, ViewSide side) override;
    std::vector<bool> checkedRows(DataKind kind, ViewSide side) const override;
    void setChecked(DataKind kind, ViewSide side, std::size_t row, bool checked) override;
    void setAllChecked(DataKind kind, ViewSide side, const std::vector<bool>& checked) override;
    void fillUserSelector(DataKind kind, std::int32_t userId) override;
    void setProgress(int percent) override;
    void setProgressVisible(bool visible) override;
    void setBusyCursor(bool busy) override;
    void showMessage(const std::string& text, const std::string& caption, win::UINT icon) override;
    bool confirmRun(const std::string& text, const std::string& caption) override;
    bool askReload(const std::string& text) override;
    bool confirmLosses(DataKind kind, const SyncPlan& plan) override;
    ConflictAnswer askConflict(DataKind kind, void* palmRecord, void* outlookRecord) override;

    RecordListView* view(DataKind kind, ViewSide side) const;
    // The conflict alert filled for one pair: kind, the two rows, the stored choice.
    static void fillConflictAlert(class TfmConfAlert& alert, DataKind kind, void* palmRecord,
                                  void* outlookRecord);

    // kind: 1 contacts, 2 calendar, 3 tasks, 4 memos.
    const KindControls& controls(int kind) const;
    QTabWidget* tabs() const { return m_spMain; }
    QWidget* banner() const { return m_spTop; }
    QPushButton* helpButton() const { return m_btnHelp; }
    QPushButton* exitButton() const { return m_btnExit; }
    QStatusBar* statusBarWidget() const { return m_sbMain; }
    QProgressBar* progressBar() const { return m_pbSync; }
    // Narrows both lists of every tab to the rows holding its text.
    QLineEdit* filterBox() const { return m_edFilter; }
    ColourLegend* legend() const { return m_legend; }
    QAction* viewAction(int kind) const;
    QAction* fileAction(int kind) const;

    SyncController& controller() { return *m_controller; }

    // The colours rows are drawn in, from the settings; read at every repaint.
    static RowColours rowColours();

    // The window's creation: the splash is shown modally and runs StartUp on its second tick.
    void FormCreate();
    // Settings, mode buttons, the Palm environment, then the four kinds in order. Without a
    // usable Palm Desktop folder the user is offered to choose one first; the choice is stored
    // as PDPath in section [Path] of the settings file.
    void StartUp();
    // Settings saved, the kinds closed, the Palm environment closed. Runs once, when the window
    // is destroyed, and only after StartUp.
    void ShutDown();
    bool startedUp() const { return m_startedUp; }

    // Each tab's mode buttons from the settings; a stored mode other than 1, 2 or 4 becomes 1.
    void RestoreModeButtons();

    // The help document: the home folder's copy, else the one beside the program.
    static QString helpFilePath();

    // What the options dialog changed, against the settings as they were before it: the rows take
    // the colours at once; a kind whose "Open by File Name" file changed, and contacts whose name
    // swap changed, read their Palm side again; a changed custom-field mapping opens contacts
    // again, so that the Outlook side is read and written with it.
    void applyOptionChanges(const OptionBlock& before);

    // Layout rules, run on resize; public so that a test can see their results at once.
    void layoutTab(int kind);
    void layoutBanner();
    void layoutProgressBar();

public slots:
    void setActiveKind(int kind);
    void openHelp();
    void openHomePage();
    void showAbout();

    // Double click or "Detail &Information": the record of the view's selected row, if any,
    // goes to the kind's detail viewer.
    void showDetail(DataKind kind, ViewSide side);

    // "&Options ...": the options dialog on the settings block, then what changed put to work.
    void showOptions();

    // Tools, "Undo Last Synchronization": after a confirmation naming the run, puts back the
    // files the last run not undone yet changed, and reads both sides of every kind again.
    void undoLastSynchronization();

protected:
    // Says why no Palm Desktop folder is usable (`problem`) and lets the user choose one; an
    // empty result when the user declines. Tests answer it without a dialog.
    virtual QString choosePalmDesktopFolder(const QString& problem);
    // The kind's detail viewer, modal, for one record.
    virtual void openDetailViewer(DataKind kind, void* record);
    // The options dialog, modal, on the settings block.
    virtual void runOptionsDialog();

    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void startClicked(DataKind kind);
    void userChanged(DataKind kind, int index);
    void modeClicked(DataKind kind, SyncMode mode);
    void buildMenus();
    void buildBanner();
    void buildTab(int kind);
    void tabChanged(int index);
    // A kind opened from a file chosen by name has no use for its user selector.
    void updateUserSelector(DataKind kind);

    QWidget* m_spTop = nullptr;
    QLabel* m_imgLogo = nullptr;
    QPushButton* m_btnHelp = nullptr;
    QPushButton* m_btnExit = nullptr;
    QTabWidget* m_spMain = nullptr;
    QStatusBar* m_sbMain = nullptr;
    QProgressBar* m_pbSync = nullptr;
    QLineEdit* m_edFilter = nullptr;
    ColourLegend* m_legend = nullptr;
    std::array<KindControls, 4> m_kinds{};
    std::array<QAction*, 4> m_viewActions{};
    std::array<QAction*, 4> m_fileActions{};
    bool m_centred = false;
    bool m_busy = false;
    bool m_startedUp = false;
    std::unique_ptr<SyncController> m_controller;
};

} // namespace twinleaf
