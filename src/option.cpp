// The options dialog: filled from the settings block when it opens, written back on OK only
// (the custom-field mapping window, once confirmed, writes at once).
#include "src/option.h"

#include "common/palm/PalmAddrInfo.h"
#include "common/palm/PalmDateInfo.h"
#include "common/palm/PalmEnv.h"
#include "common/palm/PalmMemoInfo.h"
#include "common/palm/PalmTodoInfo.h"
#include "platform/Assert.h"
#include "platform/codepage/Codepage.h"
#include "platform/text/FieldText.h"
#include "platform/ui/MessageBox.h"
#include "src/DialogButtons.h"
#include "src/RecordListView.h"
#include "src/addrcustom.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QColorDialog>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QVBoxLayout>

namespace twinleaf {

namespace {

// What each kind's tab and browse button call the kind.
struct KindFileTexts {
    const char* tabName;
    const char* caption;
    const char* title;
    const char* invalid;
    PalmFormat (*detect)(const char* path);
};

const KindFileTexts kFileTexts[] = {
    {"Addr", "Contacts", "Open Palm Desktop Contacts data file",
     "Invalid contacts database file, please try another one.", &PmAddrInfo::DetectFileFormat},
    {"Date", "Calendar", "Open Palm Desktop Calendar data file",
     "Invalid calendar database file, please try another one.", &PmDateInfo::DetectFileFormat},
    {"Todo", "Tasks", "Open Palm Desktop Tasks data file",
     "Invalid task database file, please try another one.", &PmTodoInfo::DetectFileFormat},
    {"Memo", "Notes", "Open Palm Desktop Memos data file",
     "Invalid memo database file, please try another one.", &PmMemoInfo::DetectFileFormat},
};

const KindFileTexts& fileTexts(int kind) {
    TL_ASSERT(kind >= 1 && kind <= 4);
    return kFileTexts[kind - 1];
}

// The longest file name the settings keep; a longer one is refused rather than cut, since a cut
// path names another file or none.
constexpr std::size_t kLongestFileName = 259;

win::COLORREF colorRefFrom(const QColor& colour) {
    return static_cast<win::COLORREF>(colour.red()) |
           (static_cast<win::COLORREF>(colour.green()) << 8) |
           (static_cast<win::COLORREF>(colour.blue()) << 16);
}

void showError(QWidget* owner, const std::string& text) {
    win::MessageBoxA(owner, text.c_str(), "Error", win::MB_OK | win::MB_ICONERROR);
}

} // namespace

ColourSwatch::ColourSwatch(QWidget* parent) : QFrame(parent) {
    setFrameShape(QFrame::Box);
    setAutoFillBackground(true);
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::StrongFocus);
    setMinimumSize(kSize);
}

void ColourSwatch::setColour(const QColor& colour) {
    m_colour = colour;
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, colour);
    setPalette(palette);
    setToolTip(colour.name());
}

void ColourSwatch::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) {
        emit clicked();
    }
    QFrame::mouseReleaseEvent(event);
}

void ColourSwatch::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Space || event->key() == Qt::Key_Return ||
        event->key() == Qt::Key_Enter) {
        emit clicked();
        return;
    }
    QFrame::keyPressEvent(event);
}

TfmOption::TfmOption(OptionBlock* block, QWidget* owner) : QDialog(owner), m_pBlock(block) {
    TL_ASSERT(block);
    setObjectName(QStringLiteral("fmOption"));
    setWindowTitle(QStringLiteral("Twinleaf Options ..."));
    setModal(true);

    auto* layout = new QVBoxLayout(this);
    auto* top = new QHBoxLayout;
    auto* colours = new QVBoxLayout;
    m_cbShowColor = new QCheckBox(QStringLiteral("Show records in different colors"), this);
    m_cbShowColor->setObjectName(QStringLiteral("cbShowColor"));
    colours->addWidget(m_cbShowColor);
    auto* swatches = new QGridLayout;
    const char* const swatchNames[] = {"pnlSameColor", "pnlNewColor", "pnlDiffColor"};
    const char* const swatchLabels[] = {"Same records:", "New records:", "Different records:"};
    // Laid out in the order the dialog has always shown them: same, different, new.
    const int order[] = {0, 2, 1};
    for (int row = 0; row < 3; ++row) {
        const int status = order[row];
        auto* swatch = new ColourSwatch(this);
        swatch->setObjectName(QString::fromLatin1(swatchNames[status]));
        auto* label = new QLabel(QString::fromLatin1(swatchLabels[status]), this);
        label->setBuddy(swatch);
        swatches->addWidget(label, row, 0);
        swatches->addWidget(swatch, row, 1);
        connect(swatch, &ColourSwatch::clicked, this, [this, status] { pickColour(status); });
        m_swatches[static_cast<std::size_t>(status)] = swatch;
    }
    swatches->setColumnStretch(2, 1);
    colours->addLayout(swatches);
    colours->addStretch(1);
    top->addLayout(colours, 1);

    auto* conflicts = new QGroupBox(QStringLiteral(" How to handle conflict records"), this);
    auto* conflictRows = new QVBoxLayout(conflicts);
    m_rbtnRemind = new QRadioButton(QStringLiteral("Remind me"), conflicts);
    m_rbtnRemind->setObjectName(QStringLiteral("rbtnRemind"));
    m_rbtnP2O = new QRadioButton(QStringLiteral("PD overwrites Outlook"), conflicts);
    m_rbtnP2O->setObjectName(QStringLiteral("rbtnP2O"));
    m_rbtnO2P = new QRadioButton(QStringLiteral("Outlook overwrites PD"), conflicts);
    m_rbtnO2P->setObjectName(QStringLiteral("rbtnO2P"));
    for (QRadioButton* button : {m_rbtnRemind, m_rbtnP2O, m_rbtnO2P}) {
        conflictRows->addWidget(button);
    }
    top->addWidget(conflicts, 1);
    layout->addLayout(top);

    m_pcMain = new QTabWidget(this);
    m_pcMain->setObjectName(QStringLiteral("pcMain"));
    for (int kind = 1; kind <= 4; ++kind) {
        buildFilePage(kind, QString::fromLatin1(fileTexts(kind).caption));
    }
    layout->addWidget(m_pcMain, 1);

    layout->addLayout(
        okCancelRow(this, QStringLiteral("OK"), QStringLiteral("Cancel"), m_btnOK, m_btnCancel));
    connect(m_btnOK, &QPushButton::clicked, this, &TfmOption::btnOKClick);
    connect(m_btnCancel, &QPushButton::clicked, this, &TfmOption::reject);

    FormCreate();
    resize(sizeHint().expandedTo(QSize(488, 395)));
}

void TfmOption::buildFilePage(int kind, const QString& caption) {
    OptionFileControls& c = m_files[static_cast<std::size_t>(kind - 1)];
    const QString name = QString::fromLatin1(fileTexts(kind).tabName);
    c.page = new QWidget(m_pcMain);
    c.page->setObjectName(QStringLiteral("t") + name);
    auto* rows = new QVBoxLayout(c.page);
    c.cbFile = new QCheckBox(QStringLiteral("Open by File Name:"), c.page);
    c.cbFile->setObjectName(QStringLiteral("cb%1File").arg(name));
    rows->addWidget(c.cbFile);
    auto* fileRow = new QHBoxLayout;
    c.edtFile = new QLineEdit(c.page);
    c.edtFile->setObjectName(QStringLiteral("edt%1File").arg(name));
    c.edtFile->setMaxLength(static_cast<int>(kLongestFileName));
    c.btnBrowse = new QPushButton(QStringLiteral("..."), c.page);
    c.btnBrowse->setObjectName(QStringLiteral("btn%1Browse").arg(name));
    c.btnBrowse->setToolTip(QString::fromLatin1(fileTexts(kind).title));
    fileRow->addWidget(c.edtFile, 1);
    fileRow->addWidget(c.btnBrowse);
    rows->addLayout(fileRow);
    connect(c.cbFile, &QCheckBox::toggled, this, &TfmOption::updateEnabled);
    connect(c.btnBrowse, &QPushButton::clicked, this, [this, kind] { browse(kind); });

    if (kind == 1) {
        m_cbAddrSwap = new QCheckBox(QStringLiteral("Swap Last Name and First Name"), c.page);
        m_cbAddrSwap->setObjectName(QStringLiteral("cbAddrSwap"));
        rows->addSpacing(6);
        rows->addWidget(m_cbAddrSwap);
        auto* customRow = new QHBoxLayout;
        m_cbCustom = new QCheckBox(QStringLiteral("Enable Custom Fields Mapping"), c.page);
        m_cbCustom->setObjectName(QStringLiteral("cbCustom"));
        m_btnAddrCustom = new QPushButton(QStringLiteral("&Setup Now"), c.page);
        m_btnAddrCustom->setObjectName(QStringLiteral("btnAddrCustom"));
        customRow->addWidget(m_cbCustom);
        customRow->addWidget(m_btnAddrCustom);
        customRow->addStretch(1);
        rows->addLayout(customRow);
        connect(m_cbCustom, &QCheckBox::toggled, this, &TfmOption::updateEnabled);
        connect(m_btnAddrCustom, &QPushButton::clicked, this, &TfmOption::setupCustomFields);
    }
    rows->addStretch(1);
    m_pcMain->addTab(c.page, caption);
}

const OptionFileControls& TfmOption::fileControls(int kind) const {
    TL_ASSERT(kind >= 1 && kind <= 4);
    return m_files[static_cast<std::size_t>(kind - 1)];
}

ColourSwatch* TfmOption::swatch(int status) const {
    TL_ASSERT(status >= 0 && status <= 2);
    return m_swatches[static_cast<std::size_t>(status)];
}

void TfmOption::FormCreate() {
    const OptionBlock& block = *m_pBlock;
    m_cbShowColor->setChecked(block.ShowColor);
    m_swatches[0]->setColour(colorFromColorRef(block.SameColor));
    m_swatches[1]->setColour(colorFromColorRef(block.NewColor));
    m_swatches[2]->setColour(colorFromColorRef(block.DiffColor));
    (block.ConfMode == 1   ? m_rbtnP2O
     : block.ConfMode == 2 ? m_rbtnO2P
                           : m_rbtnRemind)
        ->setChecked(true);
    for (int kind = 1; kind <= 4; ++kind) {
        const OptionFileControls& c = fileControls(kind);
        const PalmFileFields fields = palmFileFields(static_cast<DataKind>(kind));
        c.cbFile->setChecked(block.*fields.use);
        // File names are kept as the file system spells them (UTF-8), not as record texts.
        c.edtFile->setText(QString::fromStdString(std::string(fieldText(block.*fields.file))));
    }
    m_cbAddrSwap->setChecked(block.AddrSwapName);
    m_cbCustom->setChecked(block.bAddrCustom);
    updateEnabled();
}

void TfmOption::updateEnabled() {
    for (const OptionFileControls& c : m_files) {
        c.edtFile->setEnabled(c.cbFile->isChecked());
        c.btnBrowse->setEnabled(c.cbFile->isChecked());
    }
    m_btnAddrCustom->setEnabled(m_cbCustom->isChecked());
}

QString TfmOption::chooseFile(const QString& title) {
    return QFileDialog::getOpenFileName(this, title, QString(),
                                        QStringLiteral("Palm Desktop 4.x Database File(*.dat);;"
                                                       "Palm Desktop 6.x Database File(*.mdb);;"
                                                       "All Files(*.*)"));
}

void TfmOption::browse(int kind) {
    const KindFileTexts& texts = fileTexts(kind);
    const OptionFileControls& c = fileControls(kind);
    const QString path = chooseFile(QString::fromLatin1(texts.title));
    if (path.isEmpty()) {
        return;
    }
    const std::string file = path.toStdString();
    if (file.size() > kLongestFileName) {
        showError(this, utf8ToAnsi("The file name " + file + " is longer than " +
                                   std::to_string(kLongestFileName) +
                                   " characters, please choose a file with a shorter path."));
        c.edtFile->setFocus();
        return;
    }
    if (texts.detect(file.c_str()) == PalmFormat::Invalid) {
        showError(this, texts.invalid);
        c.edtFile->setFocus();
        return;
    }
    c.edtFile->setText(path);
}

QColor TfmOption::chooseColour(const QColor& current) {
    return QColorDialog::getColor(current, this);
}

void TfmOption::pickColour(int status) {
    ColourSwatch* target = swatch(status);
    const QColor chosen = chooseColour(target->colour());
    if (chosen.isValid()) {
        target->setColour(chosen);
    }
}

void TfmOption::runCustomMapping(std::int32_t* mapping) {
    TfmAddrCustom mappingWindow(GetPalmDesktopVersion(), this);
    mappingWindow.SetMapping(mapping);
    mappingWindow.exec();
}

void TfmOption::setupCustomFields() {
    runCustomMapping(m_pBlock->AddrCustom);
}

void TfmOption::btnOKClick() {
    // A typed name too long for the settings is refused before anything changes.
    for (int kind = 1; kind <= 4; ++kind) {
        const OptionFileControls& c = fileControls(kind);
        if (c.cbFile->isChecked() && c.edtFile->text().toStdString().size() > kLongestFileName) {
            showError(this, "The file name is longer than " + std::to_string(kLongestFileName) +
                                " characters, please choose a file with a shorter path.");
            m_pcMain->setCurrentIndex(kind - 1);
            c.edtFile->setFocus();
            return;
        }
    }
    OptionBlock& block = *m_pBlock;
    block.ShowColor = m_cbShowColor->isChecked();
    block.SameColor = colorRefFrom(m_swatches[0]->colour());
    block.NewColor = colorRefFrom(m_swatches[1]->colour());
    block.DiffColor = colorRefFrom(m_swatches[2]->colour());
    block.ConfMode = m_rbtnP2O->isChecked() ? 1 : m_rbtnO2P->isChecked() ? 2 : 0;
    for (int kind = 1; kind <= 4; ++kind) {
        const OptionFileControls& c = fileControls(kind);
        const PalmFileFields fields = palmFileFields(static_cast<DataKind>(kind));
        block.*fields.use = c.cbFile->isChecked();
        // An unticked kind keeps the name it had; what was typed there is dropped.
        if (c.cbFile->isChecked()) {
            copyToField(block.*fields.file, c.edtFile->text().toStdString());
        }
    }
    block.AddrSwapName = m_cbAddrSwap->isChecked();
    block.bAddrCustom = m_cbCustom->isChecked();
    if (!block.bAddrCustom) {
        std::fill(std::begin(block.AddrCustom), std::end(block.AddrCustom), 0);
    }
    done(1);
}

} // namespace twinleaf
