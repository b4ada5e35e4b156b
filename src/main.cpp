// The main window: construction of its controls, the layout rules and the menus.
#include "src/main.h"

#include "common/misc/WinUtil.h"
#include "common/palm/PalmEnv.h"
#include "common/sync/KindTable.h"
#include "common/sync/Options.h"
#include "common/sync/RunLocks.h"
#include "common/sync/SyncHistory.h"
#include "platform/Assert.h"
#include "platform/codepage/Codepage.h"
#include "platform/files/ProgramFolder.h"
#include "platform/ini/Profile.h"
#include "platform/text/FieldText.h"
#include "platform/ui/MessageBox.h"
#include "src/About.h"
#include "src/Init.h"
#include "src/LossReview.h"
#include "src/MainLayout.h"
#include "src/ProductArt.h"
#include "src/confalert.h"
#include "src/detail.h"
#include "src/option.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QResizeEvent>
#include <QScreen>
#include <QSignalBlocker>
#include <QSplitter>
#include <QStatusBar>
#include <QTabWidget>
#include <QUrl>
#include <QVBoxLayout>
#include <algorithm>
#include <filesystem>
#include <system_error>

namespace twinleaf {

namespace {

const char* const kKindNames[] = {"Addr", "Date", "Todo", "Memo"};
const char* const kTabCaptions[] = {"Contacts", "Calendar", "Tasks", "Memos"};

QString controlName(const char* prefix, int kind, const char* suffix = "") {
    return QString::fromLatin1(prefix) + QString::fromLatin1(kKindNames[kind - 1]) +
           QString::fromLatin1(suffix);
}

constexpr int kButtonWidth = 75;
constexpr int kButtonHeight = 25;
constexpr int kSmallestFont = 9;

// Widgets placed at fixed positions get the largest font (down to 9 pixels) whose text fits
// the room they have: the positions are fixed in pixels, the desktop's font is not.
void fitFont(const std::vector<std::pair<QWidget*, int>>& widgets, const QFont& base) {
    for (int size = base.pixelSize() > 0 ? base.pixelSize() : QFontInfo(base).pixelSize();
         size >= kSmallestFont; --size) {
        QFont font = base;
        font.setPixelSize(size);
        bool fits = true;
        for (const auto& [widget, room] : widgets) {
            widget->setFont(font);
            fits = fits && widget->sizeHint().width() <= room;
        }
        if (fits) {
            return;
        }
    }
}

} // namespace

TfmMain::TfmMain(SyncController::SidesFactory sides, QWidget* parent)
    : QMainWindow(parent),
      m_controller(
          sides ? std::make_unique<SyncController>(*GetOptionBlock(), *this, std::move(sides))
                : std::make_unique<SyncController>(*GetOptionBlock(), *this)) {
    setObjectName(QStringLiteral("fmMain"));
    setWindowTitle(QStringLiteral("Twinleaf - Synchronize Palm Desktop and Microsoft Outlook"));
    // Windows' 8-point dialog font: the fixed positions of the panels are measured for it.
    QFont windowFont = font();
    windowFont.setPixelSize(11);
    setFont(windowFont);

    buildMenus();

    auto* central = new QWidget(this);
    auto* column = new QVBoxLayout(central);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    buildBanner();
    column->addWidget(m_spTop);
    m_spMain = new QTabWidget(central);
    m_spMain->setObjectName(QStringLiteral("spMain"));
    column->addWidget(m_spMain, 1);
    setCentralWidget(central);
    for (int kind = 1; kind <= 4; ++kind) {
        buildTab(kind);
    }
    connect(m_spMain, &QTabWidget::currentChanged, this, &TfmMain::tabChanged);

    m_sbMain = new QStatusBar(this);
    m_sbMain->setObjectName(QStringLiteral("sbMain"));
    m_sbMain->setSizeGripEnabled(true);
    setStatusBar(m_sbMain);
    m_sbMain->installEventFilter(this);
    // The filter and the colour legend live in the status bar, the one strip outside the tabs'
    // fixed panel layout; the progress bar covers them only while a run is going.
    auto* filterLabel = new QLabel(QStringLiteral("Filter:"), m_sbMain);
    m_edFilter = new QLineEdit(m_sbMain);
    m_edFilter->setObjectName(QStringLiteral("edFilter"));
    m_edFilter->setClearButtonEnabled(true);
    m_edFilter->setPlaceholderText(QStringLiteral("name, phone, text ..."));
    m_edFilter->setFixedWidth(200);
    filterLabel->setBuddy(m_edFilter);
    m_sbMain->addWidget(filterLabel);
    m_sbMain->addWidget(m_edFilter);
    connect(m_edFilter, &QLineEdit::textChanged, this, [this](const QString& text) {
        for (const KindControls& c : m_kinds) {
            c.lvPD->setFilterText(text);
            c.lvOL->setFilterText(text);
        }
    });
    m_legend = new ColourLegend(&TfmMain::rowColours, m_sbMain);
    m_sbMain->addPermanentWidget(m_legend);
    // Laid over the status bar rather than into it, so that it takes the bar's whole width.
    m_pbSync = new QProgressBar(this);
    m_pbSync->setObjectName(QStringLiteral("pbSync"));
    m_pbSync->setRange(0, 100);
    m_pbSync->setValue(0);
    m_pbSync->setTextVisible(false);
    m_pbSync->hide();

    setMinimumSize(kMinimumWidth, kMinimumHeight);
    resize(kMinimumWidth, kMinimumHeight);
    m_spMain->setCurrentIndex(0);
}

TfmMain::~TfmMain() {
    ShutDown();
    // The rows point into lists and the colours come from this window: neither may be asked for
    // while the base classes hide and destroy the views.
    for (const KindControls& c : m_kinds) {
        for (RecordListView* view : {c.lvPD, c.lvOL}) {
            view->records()->setColoursFunction(nullptr);
            view->records()->clear();
        }
    }
}

const KindControls& TfmMain::controls(int kind) const {
    TL_ASSERT(kind >= 1 && kind <= 4);
    return m_kinds[static_cast<std::size_t>(kind - 1)];
}

QAction* TfmMain::viewAction(int kind) const {
    TL_ASSERT(kind >= 1 && kind <= 4);
    return m_viewActions[static_cast<std::size_t>(kind - 1)];
}

QAction* TfmMain::fileAction(int kind) const {
    TL_ASSERT(kind >= 1 && kind <= 4);
    return m_fileActions[static_cast<std::size_t>(kind - 1)];
}

RowColours TfmMain::rowColours() {
    const OptionBlock& options = *GetOptionBlock();
    return RowColours{options.ShowColor, options.DiffColor, options.NewColor, options.SameColor};
}

void TfmMain::FormCreate() {
    TfmInit splash([this] { StartUp(); }, this);
    splash.exec();
}

QString TfmMain::choosePalmDesktopFolder(const QString& problem) {
    // Asked through the message box interface, so that a test's recorder answers it.
    const std::string question =
        utf8ToAnsi((problem + QStringLiteral("\r\n\r\nDo you want to choose the Palm Desktop "
                                             "folder (the folder that holds palm.exe and a "
                                             "folder for each Palm user) now?"))
                       .toStdString());
    if (win::MessageBoxA(nullptr, question.c_str(), "Palm Desktop folder",
                         win::MB_YESNO | win::MB_ICONQUESTION) != win::IDYES) {
        return {};
    }
    return QFileDialog::getExistingDirectory(this, QStringLiteral("Palm Desktop folder"),
                                             QDir::homePath());
}

void TfmMain::StartUp() {
    LoadOptions();
    m_controller->SetHistory(historyFolder(), HistoryRunsSetting(settingsFilePath()));
    RestoreModeButtons();
    if (const std::string problem = palmDesktopFolderProblem(); !problem.empty()) {
        const QString folder = choosePalmDesktopFolder(QString::fromStdString(problem));
        if (!folder.isEmpty()) {
            const std::string settings = settingsFilePath();
            // A home named on the command line may not exist yet on a first run.
            std::error_code ec;
            std::filesystem::create_directories(std::filesystem::path(settings).parent_path(), ec);
            if (!win::WritePrivateProfileStringA("Path", "PDPath", folder.toStdString().c_str(),
                                                 settings.c_str())) {
                showMessage(
                    utf8ToAnsi("Can not write the Palm Desktop folder to " + settings + "."),
                    "Error", win::MB_ICONERROR);
            }
        }
    }
    OpenPalmEnvironment();
    for (DataKind kind : kDataKinds) {
        m_controller->OpenKind(kind);
    }
    m_startedUp = true;
}

void TfmMain::ShutDown() {
    if (!m_startedUp) {
        return;
    }
    m_startedUp = false;
    SaveOptions();
    for (DataKind kind : kDataKinds) {
        m_controller->CloseKind(kind);
    }
    ClosePalmEnvironment();
}

void TfmMain::RestoreModeButtons() {
    OptionBlock& options = *GetOptionBlock();
    for (int kind = 1; kind <= 4; ++kind) {
        const KindControls& c = controls(kind);
        std::int32_t& mode = options.*describeKind(static_cast<DataKind>(kind)).syncMode;
        if (mode == 2) {
            c.rbtnO2P->setChecked(true);
        } else if (mode == 4) {
            c.rbtnSync->setChecked(true);
        } else {
            mode = 1;
            c.rbtnP2O->setChecked(true);
        }
    }
}

void TfmMain::buildMenus() {
    QMenuBar* bar = menuBar();
    QMenu* file = bar->addMenu(QStringLiteral("&File"));
    const char* const fileItems[] = {"&Contact", "Ca&lendar", "&Task", "&Memos"};
    for (int kind = 1; kind <= 4; ++kind) {
        QAction* action = file->addAction(QString::fromLatin1(fileItems[kind - 1]));
        action->setObjectName(controlName("miFile", kind));
        connect(action, &QAction::triggered, this, [this, kind] { setActiveKind(kind); });
        m_fileActions[static_cast<std::size_t>(kind - 1)] = action;
    }
    file->addSeparator();
    QAction* exit = file->addAction(QStringLiteral("E&xit"));
    exit->setObjectName(QStringLiteral("miExit"));
    connect(exit, &QAction::triggered, this, &QWidget::close);

    QMenu* view = bar->addMenu(QStringLiteral("&View"));
    const char* const viewItems[] = {"&Contacts", "C&alendar", "&Tasks", "&Notes"};
    for (int kind = 1; kind <= 4; ++kind) {
        QAction* action = view->addAction(QString::fromLatin1(viewItems[kind - 1]));
        action->setObjectName(controlName("miView", kind));
        action->setCheckable(true);
        action->setChecked(kind == 1);
        connect(action, &QAction::triggered, this, [this, kind] { setActiveKind(kind); });
        m_viewActions[static_cast<std::size_t>(kind - 1)] = action;
    }

    QMenu* tools = bar->addMenu(QStringLiteral("&Tools"));
    QAction* options = tools->addAction(QStringLiteral("&Options ..."));
    options->setObjectName(QStringLiteral("miOptions"));
    connect(options, &QAction::triggered, this, &TfmMain::showOptions);
    QAction* undo = tools->addAction(QStringLiteral("&Undo Last Synchronization"));
    undo->setObjectName(QStringLiteral("miUndoSync"));
    connect(undo, &QAction::triggered, this, &TfmMain::undoLastSynchronization);

    QMenu* help = bar->addMenu(QStringLiteral("&Help"));
    QAction* content = help->addAction(QStringLiteral("&Content"));
    content->setObjectName(QStringLiteral("miContent"));
    connect(content, &QAction::triggered, this, &TfmMain::openHelp);
    QAction* homePage = help->addAction(QStringLiteral("Twinleaf &Home Page"));
    homePage->setObjectName(QStringLiteral("miHomePage"));
    connect(homePage, &QAction::triggered, this, &TfmMain::openHomePage);
    help->addSeparator();
    QAction* about = help->addAction(QStringLiteral("&About Twinleaf"));
    about->setObjectName(QStringLiteral("miAbout"));
    connect(about, &QAction::triggered, this, &TfmMain::showAbout);
}

void TfmMain::buildBanner() {
    m_spTop = new QWidget(this);
    m_spTop->setObjectName(QStringLiteral("spTop"));
    m_spTop->setFixedHeight(kBannerHeight);
    m_spTop->setAutoFillBackground(true);
    QPalette banner = m_spTop->palette();
    QLinearGradient band(0, 0, 1, 0);
    band.setCoordinateMode(QGradient::ObjectBoundingMode);
    band.setColorAt(0, QColor(38, 92, 52));
    band.setColorAt(1, QColor(30, 74, 128));
    banner.setBrush(QPalette::Window, band);
    m_spTop->setPalette(banner);
    m_spTop->installEventFilter(this);

    m_imgLogo = new QLabel(m_spTop);
    m_imgLogo->setObjectName(QStringLiteral("imgLogo"));
    m_imgLogo->setPixmap(bannerLogo(64));
    m_imgLogo->setGeometry(12, (kBannerHeight - 64) / 2, 256, 64);
    m_imgLogo->setCursor(Qt::PointingHandCursor);
    m_imgLogo->setToolTip(homePageAddress());
    m_imgLogo->installEventFilter(this);

    m_btnHelp = new QPushButton(QStringLiteral("&Help"), m_spTop);
    m_btnHelp->setObjectName(QStringLiteral("btnHelp"));
    connect(m_btnHelp, &QPushButton::clicked, this, &TfmMain::openHelp);
    m_btnExit = new QPushButton(QStringLiteral("E&xit"), m_spTop);
    m_btnExit->setObjectName(QStringLiteral("btnExit"));
    connect(m_btnExit, &QPushButton::clicked, this, &QWidget::close);
    for (QPushButton* button : {m_btnHelp, m_btnExit}) {
        button->setFocusPolicy(Qt::TabFocus);
        button->resize(kButtonWidth, kButtonHeight);
    }
}

void TfmMain::buildTab(int kind) {
    KindControls& c = m_kinds[static_cast<std::size_t>(kind - 1)];
    c.page = new QWidget(m_spMain);
    c.page->setObjectName(controlName("t", kind));
    c.page->installEventFilter(this);
    m_spMain->addTab(c.page, QString::fromLatin1(kTabCaptions[kind - 1]));

    c.pTop = new QWidget(c.page);
    c.pTop->setObjectName(controlName("p", kind, "Top"));
    c.lblUser = new QLabel(QStringLiteral("Palm User:"), c.pTop);
    c.cbUser = new QComboBox(c.pTop);
    c.cbUser->setObjectName(controlName("cb", kind, "User"));
    c.lblMode = new QLabel(QStringLiteral("Sync Mode:"), c.pTop);
    c.rbtnP2O = new QRadioButton(QStringLiteral("Palm Desktop to Outlook"), c.pTop);
    c.rbtnP2O->setObjectName(controlName("rbtn", kind, "P2O"));
    c.rbtnO2P = new QRadioButton(QStringLiteral("Outlook to Palm Desktop"), c.pTop);
    c.rbtnO2P->setObjectName(controlName("rbtn", kind, "O2P"));
    c.rbtnSync = new QRadioButton(QStringLiteral("Synchronize All"), c.pTop);
    c.rbtnSync->setObjectName(controlName("rbtn", kind, "Sync"));
    c.btnStart = new QPushButton(QStringLiteral("Start"), c.pTop);
    c.btnStart->setObjectName(controlName("btn", kind, "Start"));

    c.pMain = new QWidget(c.page);
    c.pMain->setObjectName(controlName("p", kind, "Main"));
    c.splitter = new QSplitter(Qt::Horizontal, c.pMain);
    c.splitter->setHandleWidth(3);
    c.splitter->setChildrenCollapsible(false);
    c.lvPD = new RecordListView(c.splitter);
    c.lvPD->setObjectName(controlName("lvPD", kind));
    c.lvOL = new RecordListView(c.splitter);
    c.lvOL->setObjectName(controlName("lvOL", kind));
    for (RecordListView* view : {c.lvPD, c.lvOL}) {
        const std::span<const ViewColumn> columns =
            describeKind(static_cast<DataKind>(kind)).columns;
        view->setColumns({columns.begin(), columns.end()});
        view->records()->setColoursFunction(&TfmMain::rowColours);
        const auto dataKind = static_cast<DataKind>(kind);
        view->records()->setTextFunction([dataKind](const void* record, int fieldId) {
            return QString::fromStdString(ansiToUtf8(fieldText(dataKind, record, fieldId)));
        });
        view->records()->setStatusFunction(
            [dataKind](const void* record) { return compareStatusOf(dataKind, record); });
    }

    c.pBottom = new QWidget(c.page);
    c.pBottom->setObjectName(controlName("p", kind, "Bottom"));
    c.lblPD = new QLabel(QStringLiteral("Palm Desktop Data:"), c.pBottom);
    c.btnPDAll = new QPushButton(QStringLiteral("Select All"), c.pBottom);
    c.btnPDAll->setObjectName(controlName("btn", kind, "PDAll"));
    c.btnPDDiff = new QPushButton(QStringLiteral("Select Diff"), c.pBottom);
    c.btnPDDiff->setObjectName(controlName("btn", kind, "PDDiff"));
    c.btnPDClear = new QPushButton(QStringLiteral("Clear"), c.pBottom);
    c.btnPDClear->setObjectName(controlName("btn", kind, "PDClear"));
    c.lblOL = new QLabel(QStringLiteral("Outlook Data:"), c.pBottom);
    c.btnOLAll = new QPushButton(QStringLiteral("Select All"), c.pBottom);
    c.btnOLAll->setObjectName(controlName("btn", kind, "OLAll"));
    c.btnOLDiff = new QPushButton(QStringLiteral("Select Diff"), c.pBottom);
    c.btnOLDiff->setObjectName(controlName("btn", kind, "OLDiff"));
    c.btnOLClear = new QPushButton(QStringLiteral("Clear"), c.pBottom);
    c.btnOLClear->setObjectName(controlName("btn", kind, "OLClear"));
    for (QPushButton* button :
         {c.btnPDAll, c.btnPDDiff, c.btnPDClear, c.btnOLAll, c.btnOLDiff, c.btnOLClear}) {
        button->resize(kButtonWidth, kButtonHeight);
    }
    c.btnStart->resize(kButtonWidth, kButtonHeight);

    const auto dataKind = static_cast<DataKind>(kind);
    connect(c.btnStart, &QPushButton::clicked, this, [this, dataKind] { startClicked(dataKind); });
    connect(c.cbUser, &QComboBox::activated, this,
            [this, dataKind](int index) { userChanged(dataKind, index); });
    connect(c.rbtnP2O, &QRadioButton::clicked, this,
            [this, dataKind] { modeClicked(dataKind, SyncMode::P2O); });
    connect(c.rbtnO2P, &QRadioButton::clicked, this,
            [this, dataKind] { modeClicked(dataKind, SyncMode::O2P); });
    connect(c.rbtnSync, &QRadioButton::clicked, this,
            [this, dataKind] { modeClicked(dataKind, SyncMode::Sync); });
    const auto connectView = [this, dataKind](RecordListView* view, ViewSide side, QPushButton* all,
                                              QPushButton* diff, QPushButton* clear) {
        SyncController* controller = m_controller.get();
        const auto selectAll = [controller, dataKind, side] {
            controller->SelectAll(dataKind, side);
        };
        const auto selectDiff = [controller, dataKind, side] {
            controller->SelectDiff(dataKind, side);
        };
        const auto clearSelection = [controller, dataKind, side] {
            controller->ClearSelection(dataKind, side);
        };
        connect(view, &RecordListView::selectAllRequested, this, selectAll);
        connect(view, &RecordListView::selectDiffRequested, this, selectDiff);
        connect(view, &RecordListView::clearRequested, this, clearSelection);
        connect(all, &QPushButton::clicked, this, selectAll);
        connect(diff, &QPushButton::clicked, this, selectDiff);
        connect(clear, &QPushButton::clicked, this, clearSelection);
        connect(view, &RecordListView::detailRequested, this,
                [this, dataKind, side] { showDetail(dataKind, side); });
    };
    connectView(c.lvPD, ViewSide::Palm, c.btnPDAll, c.btnPDDiff, c.btnPDClear);
    connectView(c.lvOL, ViewSide::Outlook, c.btnOLAll, c.btnOLDiff, c.btnOLClear);
}

void TfmMain::layoutTab(int kind) {
    const KindControls& c = controls(kind);
    const int width = c.page->width();
    const int height = c.page->height();
    const TabLayout layout = tabLayout(width, height);

    c.pTop->setGeometry(layout.panelLeft, 0, layout.panelWidth, layout.topHeight);
    // The top row runs left to right in the widgets' own widths; the start button ends the row.
    const QFont base = font();
    std::vector<QWidget*> row = {c.lblUser, c.lblMode,  c.rbtnP2O,
                                 c.rbtnO2P, c.rbtnSync, c.btnStart};
    for (int size = QFontInfo(base).pixelSize(); size >= kSmallestFont; --size) {
        QFont smaller = base;
        smaller.setPixelSize(size);
        int total = kUserSelectorWidth + 6 + 18 + 6 + 8 + 8 + 16;
        for (QWidget* widget : row) {
            widget->setFont(smaller);
            total += widget == c.btnStart ? kButtonWidth : widget->sizeHint().width();
        }
        if (total <= layout.panelWidth) {
            break;
        }
    }
    int x = 0;
    const auto place = [&](QWidget* widget, int widgetWidth, int gap) {
        const int widgetHeight = widget == c.btnStart ? kButtonHeight : widget->sizeHint().height();
        widget->setGeometry(x, (layout.topHeight - widgetHeight) / 2, widgetWidth, widgetHeight);
        x += widgetWidth + gap;
    };
    place(c.lblUser, c.lblUser->sizeHint().width(), 6);
    c.cbUser->setFont(c.lblUser->font());
    place(c.cbUser, kUserSelectorWidth, 18);
    place(c.lblMode, c.lblMode->sizeHint().width(), 6);
    place(c.rbtnP2O, c.rbtnP2O->sizeHint().width(), 8);
    place(c.rbtnO2P, c.rbtnO2P->sizeHint().width(), 8);
    place(c.rbtnSync, c.rbtnSync->sizeHint().width(), 16);
    place(c.btnStart, kButtonWidth, 0);

    c.pMain->setGeometry(layout.panelLeft, layout.middleTop, layout.panelWidth,
                         layout.middleHeight);
    c.splitter->setGeometry(0, 0, layout.panelWidth, layout.middleHeight);
    c.splitter->setSizes({layout.palmWidth, layout.outlookWidth});

    c.pBottom->setGeometry(layout.panelLeft, layout.bottomTop, layout.panelWidth,
                           layout.bottomHeight);
    const int buttonTop = (layout.bottomHeight - kButtonHeight) / 2;
    fitFont({{c.lblPD, kPalmAllLeft - 4},
             {c.lblOL, layout.outlookAllLeft - layout.outlookLabelLeft - 4}},
            base);
    const int labelHeight = c.lblPD->sizeHint().height();
    c.lblPD->setGeometry(0, (layout.bottomHeight - labelHeight) / 2, kPalmAllLeft - 4, labelHeight);
    c.lblOL->setGeometry(layout.outlookLabelLeft, (layout.bottomHeight - labelHeight) / 2,
                         layout.outlookAllLeft - layout.outlookLabelLeft - 4, labelHeight);
    c.btnPDAll->move(kPalmAllLeft, buttonTop);
    c.btnPDDiff->move(kPalmDiffLeft, buttonTop);
    c.btnPDClear->move(kPalmClearLeft, buttonTop);
    c.btnOLAll->move(layout.outlookAllLeft, buttonTop);
    c.btnOLDiff->move(layout.outlookDiffLeft, buttonTop);
    c.btnOLClear->move(layout.outlookClearLeft, buttonTop);
}

void TfmMain::layoutBanner() {
    const int width = m_spTop->width();
    const int step = bannerButtonStep(width);
    const int top = (kBannerHeight - kButtonHeight) / 2;
    m_btnExit->move(width - step, top);
    m_btnHelp->move(width - 2 * step, top);
}

void TfmMain::layoutProgressBar() {
    const QRect bar = m_sbMain->geometry();
    m_pbSync->setGeometry(bar.left() + 2, bar.top() + 1, bar.width() - 4, bar.height() - 2);
    m_pbSync->raise();
}

bool TfmMain::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (type == QEvent::Resize) {
        if (watched == m_spTop) {
            layoutBanner();
        } else if (watched == m_sbMain) {
            layoutProgressBar();
        } else {
            for (int kind = 1; kind <= 4; ++kind) {
                if (watched == controls(kind).page) {
                    layoutTab(kind);
                }
            }
        }
    } else if (type == QEvent::Move && watched == m_sbMain) {
        layoutProgressBar();
    } else if (type == QEvent::MouseButtonRelease && watched == m_imgLogo) {
        openHomePage();
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

void TfmMain::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    layoutProgressBar();
}

void TfmMain::showEvent(QShowEvent* event) {
    if (!m_centred) {
        m_centred = true;
        if (const QScreen* screen = QGuiApplication::primaryScreen()) {
            move(screen->availableGeometry().center() - rect().center());
        }
    }
    QMainWindow::showEvent(event);
}

void TfmMain::setActiveKind(int kind) {
    TL_ASSERT(kind >= 1 && kind <= 4);
    m_spMain->setCurrentIndex(kind - 1);
    tabChanged(kind - 1);
}

void TfmMain::tabChanged(int index) {
    for (QAction* action : m_viewActions) {
        action->setChecked(false);
    }
    if (index >= 0 && index < 4) {
        m_viewActions[static_cast<std::size_t>(index)]->setChecked(true);
    }
}

QString TfmMain::helpFilePath() {
    const QString name = QStringLiteral("twinleaf.html");
    // The home folder may hold its own copy; the one built with the program is beside it.
    QString inHome = QDir(QString::fromStdString(programFolder().string())).filePath(name);
    if (QFileInfo::exists(inHome)) {
        return inHome;
    }
    return QDir(QCoreApplication::applicationDirPath()).filePath(name);
}

void TfmMain::openHelp() {
    const QString path = helpFilePath();
    if (!QFileInfo::exists(path) || !QDesktopServices::openUrl(QUrl::fromLocalFile(path))) {
        showMessage(
            utf8ToAnsi(QStringLiteral("Can not open the help file %1.").arg(path).toStdString()),
            "Error", win::MB_ICONERROR);
    }
}

void TfmMain::openHomePage() {
    QDesktopServices::openUrl(QUrl(homePageAddress()));
}

void TfmMain::showAbout() {
    TfmAbout about(this);
    about.exec();
}

RecordListView* TfmMain::view(DataKind kind, ViewSide side) const {
    const KindControls& c = controls(static_cast<int>(kind));
    return side == ViewSide::Palm ? c.lvPD : c.lvOL;
}

void TfmMain::setRows(DataKind kind, ViewSide side, std::vector<void*> records) {
    RecordListView* target = view(kind, side);
    RecordListModel* model = target->records();
    model->beginUpdate();
    model->clear();
    for (void* record : records) {
        model->addRow(record);
    }
    model->endUpdate();
    if (model->rows() > 0) {
        target->selectRow(0);
    }
}

void TfmMain::refreshRows(DataKind kind, ViewSide side) {
    view(kind, side)->records()->refreshColours();
    m_legend->refresh();
}

std::vector<bool> TfmMain::checkedRows(DataKind kind, ViewSide side) const {
    const RecordListModel* model = view(kind, side)->records();
    std::vector<bool> checked(static_cast<std::size_t>(model->rows()));
    for (int row = 0; row < model->rows(); ++row) {
        checked[static_cast<std::size_t>(row)] = model->isChecked(row);
    }
    return checked;
}

void TfmMain::setChecked(DataKind kind, ViewSide side, std::size_t row, bool checked) {
    view(kind, side)->records()->setChecked(static_cast<int>(row), checked);
}

void TfmMain::setAllChecked(DataKind kind, ViewSide side, const std::vector<bool>& checked) {
    view(kind, side)->records()->setCheckedRows(checked);
}

void TfmMain::fillUserSelector(DataKind kind, std::int32_t userId) {
    QComboBox* selector = controls(static_cast<int>(kind)).cbUser;
    // Filling is no choice of the user's: the selector's signals stay quiet.
    const QSignalBlocker quiet(selector);
    selector->clear();
    CxList& users = palmUserList();
    int chosen = -1;
    int position = 0;
    for (void* entry = users.First(); entry != nullptr; entry = users.Next(), ++position) {
        const auto* user = static_cast<const PalmUserRec*>(entry);
        selector->addItem(QString::fromStdString(ansiToUtf8(fieldText(user->name))),
                          QVariant::fromValue<qulonglong>(user->id));
        if (chosen < 0 && static_cast<std::int32_t>(user->id) == userId) {
            chosen = position;
        }
    }
    if (chosen < 0 && selector->count() > 0) {
        chosen = 0;
    }
    selector->setCurrentIndex(chosen);
    updateUserSelector(kind);
}

void TfmMain::setProgress(int percent) {
    m_pbSync->setValue(percent);
    // A run blocks the event loop; the bar is painted at once so that it moves.
    if (m_pbSync->isVisible()) {
        m_pbSync->repaint();
    }
}

void TfmMain::setProgressVisible(bool visible) {
    if (visible) {
        layoutProgressBar();
    }
    m_pbSync->setVisible(visible);
}

void TfmMain::setBusyCursor(bool busy) {
    if (busy == m_busy) {
        return;
    }
    m_busy = busy;
    if (busy) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
    } else {
        QApplication::restoreOverrideCursor();
    }
}

void TfmMain::showMessage(const std::string& text, const std::string& caption, win::UINT icon) {
    win::MessageBoxA(this, text.c_str(), caption.c_str(), win::MB_OK | icon);
}

// A run over a side read only in part goes ahead only when the user says so.
bool TfmMain::confirmRun(const std::string& text, const std::string& caption) {
    return win::MessageBoxA(this, text.c_str(), caption.c_str(),
                            win::MB_YESNO | win::MB_ICONWARNING) == win::IDYES;
}

// Another program changed a file while this window had it loaded: the run left that file alone,
// and the lists are worth reading again before the next run.
bool TfmMain::askReload(const std::string& text) {
    const std::string question =
        text + "\r\n\r\nA file was changed by another program since Twinleaf loaded it. "
               "Reload both sides?";
    return win::MessageBoxA(this, question.c_str(), "Error", win::MB_YESNO | win::MB_ICONERROR) ==
           win::IDYES;
}

void TfmMain::fillConflictAlert(TfmConfAlert& alert, DataKind kind, void* palmRecord,
                                void* outlookRecord) {
    alert.SetKind(static_cast<int>(kind));
    const auto texts = [kind](const void* record) {
        QStringList result;
        for (const ViewColumn& column : describeKind(kind).columns) {
            result << QString::fromStdString(ansiToUtf8(fieldText(kind, record, column.fieldId)));
        }
        return result;
    };
    alert.ShowPair(palmRecord, texts(palmRecord), outlookRecord, texts(outlookRecord));
    alert.TransferChoice(false);
}

bool TfmMain::confirmLosses(DataKind kind, const SyncPlan& plan) {
    TfmLossReview review(plan, QString::fromLatin1(describeKind(kind).texts.palmData), this);
    return review.exec() == QDialog::Accepted;
}

ConflictAnswer TfmMain::askConflict(DataKind kind, void* palmRecord, void* outlookRecord) {
    TfmConfAlert alert(this);
    fillConflictAlert(alert, kind, palmRecord, outlookRecord);
    ConflictAnswer answer;
    answer.accepted = alert.exec() == 1;
    answer.direction = alert.GetDirection();
    answer.applyThisRun = alert.GetApplyThisRun();
    answer.applyAlways = alert.GetApplyAlways();
    return answer;
}

void TfmMain::startClicked(DataKind kind) {
    // The home is the window's while it is open (see runDesktop); the folder of the Palm data (the
    // Palm user's, or that of a file chosen by name), which another home may sync too, is locked
    // for the run.
    RunLock palmLock;
    const OptionBlock& options = *GetOptionBlock();
    if (std::string busy;
        !lockForRun(palmLock, palmDataLockFile(options, kind, options.*describeKind(kind).userId),
                    "twinleaf window", busy)) {
        showMessage(utf8ToAnsi(busy + " Nothing was synchronized; try again when it has finished."),
                    "Error", win::MB_ICONERROR);
        return;
    }
    // What the run would lose is shown before it writes anything.
    m_controller->RunSync(kind, syncModeFromSetting(options.*describeKind(kind).syncMode),
                          conflictRuleFromSetting(options.ConfMode),
                          SyncRunOptions{.reviewLosses = true});
}

void TfmMain::userChanged(DataKind kind, int index) {
    const QComboBox* selector = controls(static_cast<int>(kind)).cbUser;
    if (index < 0 || index >= selector->count()) {
        return;
    }
    m_controller->ChangeUser(kind,
                             static_cast<std::int32_t>(selector->itemData(index).toULongLong()));
}

void TfmMain::showDetail(DataKind kind, ViewSide side) {
    const RecordListView* target = view(kind, side);
    if (void* record = target->records()->recordAt(target->selectedRow())) {
        openDetailViewer(kind, record);
    }
}

void TfmMain::openDetailViewer(DataKind kind, void* record) {
    const std::unique_ptr<TfmDetail> viewer = createDetailViewer(kind, this);
    viewer->SetRecord(record);
    viewer->exec();
}

void TfmMain::runOptionsDialog() {
    TfmOption options(GetOptionBlock(), this);
    options.exec();
}

void TfmMain::showOptions() {
    // The dialog writes into the block itself (the mapping window even when the dialog is then
    // cancelled), so what changed is found by comparing with a copy.
    const OptionBlock before = *GetOptionBlock();
    runOptionsDialog();
    applyOptionChanges(before);
}

void TfmMain::applyOptionChanges(const OptionBlock& before) {
    const OptionBlock& now = *GetOptionBlock();
    for (DataKind kind : kDataKinds) {
        refreshRows(kind, ViewSide::Palm);
        refreshRows(kind, ViewSide::Outlook);
    }
    const bool mappingChanged =
        before.AddrType != now.AddrType ||
        !std::equal(std::begin(before.AddrCustom), std::end(before.AddrCustom),
                    std::begin(now.AddrCustom));
    for (DataKind kind : kDataKinds) {
        if (!m_controller->IsOpen(kind)) {
            continue;
        }
        if (kind == DataKind::Addr && mappingChanged) {
            m_controller->OpenKind(kind);
        } else if (palmFileOverride(before, kind) != palmFileOverride(now, kind) ||
                   (kind == DataKind::Addr && before.AddrSwapName != now.AddrSwapName)) {
            m_controller->ChangeUser(kind, now.*describeKind(kind).userId);
        }
        updateUserSelector(kind);
    }
}

void TfmMain::updateUserSelector(DataKind kind) {
    QComboBox* selector = controls(static_cast<int>(kind)).cbUser;
    const std::string file = usablePalmFile(*GetOptionBlock(), kind);
    selector->setEnabled(file.empty());
    selector->setToolTip(file.empty() ? QString()
                                      : QStringLiteral("Opened from %1, chosen under \"Open by "
                                                       "File Name\" in Tools > Options")
                                            .arg(QString::fromStdString(file)));
}

void TfmMain::modeClicked(DataKind kind, SyncMode mode) {
    GetOptionBlock()->*describeKind(kind).syncMode = static_cast<std::int32_t>(mode);
}

} // namespace twinleaf
