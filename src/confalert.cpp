// The conflict alert. Its four lists exist all the time; only the current kind's tab is shown.
#include "src/confalert.h"

#include "common/sync/KindTable.h"
#include "platform/Assert.h"
#include "src/DialogButtons.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTabWidget>
#include <QTreeView>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>

namespace twinleaf {

namespace {

constexpr int kMaxValueLength = 255;

QTreeWidget* makeList(QWidget* parent, int kind) {
    auto* list = new QTreeWidget(parent);
    list->setRootIsDecorated(false);
    list->setItemsExpandable(false);
    list->setSelectionBehavior(QAbstractItemView::SelectRows);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list->setHeaderLabels(TfmConfAlert::columnCaptions(kind));
    list->header()->setStretchLastSection(false);
    list->header()->setSectionResizeMode(QHeaderView::Interactive);
    list->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    return list;
}

// Keeps a list's "Software" column and the columns that name the record (a contact's first and
// last name, an item's description) in place while the values scroll sideways: nine contact
// columns never fit the window, and a row whose side or name has scrolled away cannot be judged.
// A second view over the same model shows only those columns, laid over the list's left edge.
class PinnedColumns : public QObject {
public:
    PinnedColumns(QTreeWidget* list, int count)
        : QObject(list), m_list(list), m_count(std::min(count, list->columnCount())) {
        m_pinned = new QTreeView(list);
        m_pinned->setObjectName(list->objectName() + QStringLiteral("Pinned"));
        m_pinned->setModel(list->model());
        m_pinned->setSelectionModel(list->selectionModel());
        m_pinned->setRootIsDecorated(false);
        m_pinned->setFocusPolicy(Qt::NoFocus);
        m_pinned->setFrameShape(QFrame::NoFrame);
        m_pinned->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        m_pinned->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        m_pinned->setSelectionBehavior(QAbstractItemView::SelectRows);
        m_pinned->setEditTriggers(QAbstractItemView::NoEditTriggers);
        m_pinned->header()->setSectionsMovable(false);
        for (int column = m_count; column < list->columnCount(); ++column) {
            m_pinned->setColumnHidden(column, true);
        }
        connect(list->header(), &QHeaderView::sectionResized, this, [this](int column, int, int) {
            if (column < m_count) {
                place();
            }
        });
        connect(list->verticalScrollBar(), &QScrollBar::valueChanged, m_pinned->verticalScrollBar(),
                &QScrollBar::setValue);
        list->installEventFilter(this);
        place();
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == m_list &&
            (event->type() == QEvent::Resize || event->type() == QEvent::Show ||
             event->type() == QEvent::FontChange)) {
            m_pinned->setFont(m_list->font());
            place();
        }
        return QObject::eventFilter(watched, event);
    }

private:
    void place() {
        int width = 0;
        for (int column = 0; column < m_count; ++column) {
            m_pinned->setColumnWidth(column, m_list->columnWidth(column));
            width += m_list->columnWidth(column);
        }
        const int frame = m_list->frameWidth();
        m_pinned->setGeometry(frame, frame, width,
                              m_list->viewport()->height() + m_list->header()->height());
        m_pinned->raise();
    }

    QTreeWidget* m_list;
    int m_count;
    QTreeView* m_pinned;
};

} // namespace

// The "Software" column, then the columns of the kind's list views.
QStringList TfmConfAlert::columnCaptions(int kind) {
    if (kind < 1 || kind > 4) {
        return {};
    }
    QStringList captions{QStringLiteral("Software")};
    for (const ViewColumn& column : describeKind(static_cast<DataKind>(kind)).columns) {
        captions << QString::fromLatin1(column.caption);
    }
    return captions;
}

TfmConfAlert::TfmConfAlert(QWidget* owner) : QDialog(owner) {
    setObjectName(QStringLiteral("fmConfAlert"));
    setWindowTitle(QStringLiteral("Conflict Records Alert"));
    setModal(true);
    // Windows' 8-point dialog font, for which the window's 578 x 351 pixels are measured.
    QFont dialogFont = font();
    dialogFont.setPixelSize(11);
    setFont(dialogFont);
    resize(578, 351);

    auto* layout = new QVBoxLayout(this);
    auto* intro = new QLabel(QStringLiteral("Conflict records found  in the synchronization, "
                                            "please select the action to handle the conflicts."),
                             this);
    intro->setWordWrap(true);
    layout->addWidget(intro);

    m_pcData = new QTabWidget(this);
    m_pcData->setObjectName(QStringLiteral("pcData"));
    const char* const tabNames[] = {"tAddr", "tDate", "tTodo", "tMemo"};
    const char* const listNames[] = {"lvAddr", "lvDate", "lvTodo", "lvMemo"};
    const char* const captions[] = {"Contacts", "Calendar", "Tasks", "Notes"};
    for (int index = 0; index < 4; ++index) {
        auto* page = new QWidget(m_pcData);
        page->setObjectName(QString::fromLatin1(tabNames[index]));
        auto* pageLayout = new QVBoxLayout(page);
        pageLayout->setContentsMargins(4, 4, 4, 4);
        QTreeWidget* list = makeList(page, index + 1);
        list->setObjectName(QString::fromLatin1(listNames[index]));
        pageLayout->addWidget(list);
        // "Software" and the columns naming the record: first and last name of a contact, the
        // description of the other kinds.
        new PinnedColumns(list, index == 0 ? 3 : 2);
        m_lists[static_cast<std::size_t>(index)] = list;
        m_pcData->addTab(page, QString::fromLatin1(captions[index]));
        // The calendar, task and notes pages are switched off: their lists show but do not react.
        page->setEnabled(index == 0);
    }
    layout->addWidget(m_pcData, 1);

    auto* choices = new QHBoxLayout;
    auto* directions = new QVBoxLayout;
    m_rbtnP2O = new QRadioButton(QStringLiteral("Palm Desktop overwrites Microsoft Outlook"), this);
    m_rbtnP2O->setObjectName(QStringLiteral("rbtnP2O"));
    m_rbtnO2P = new QRadioButton(QStringLiteral("Microsoft Outlook overwrites Palm Desktop"), this);
    m_rbtnO2P->setObjectName(QStringLiteral("rbtnO2P"));
    auto* group = new QButtonGroup(this);
    group->addButton(m_rbtnP2O);
    group->addButton(m_rbtnO2P);
    directions->addWidget(m_rbtnP2O);
    directions->addWidget(m_rbtnO2P);
    auto* rules = new QVBoxLayout;
    m_cbThis = new QCheckBox(QStringLiteral("Apply this rule to this synchronization"), this);
    m_cbThis->setObjectName(QStringLiteral("cbThis"));
    m_cbAll = new QCheckBox(QStringLiteral("Apply this rule to all future synchronizations"), this);
    m_cbAll->setObjectName(QStringLiteral("cbAll"));
    rules->addWidget(m_cbThis);
    rules->addWidget(m_cbAll);
    choices->addLayout(directions);
    choices->addSpacing(12);
    choices->addLayout(rules);
    choices->addStretch(1);
    layout->addLayout(choices);

    layout->addLayout(
        okCancelRow(this, QStringLiteral("OK"), QStringLiteral("Cancel"), m_btnOK, m_btnCancel));

    connect(m_btnOK, &QPushButton::clicked, this, &TfmConfAlert::btnOKClick);
    connect(m_btnCancel, &QPushButton::clicked, this, &TfmConfAlert::btnCancelClick);
    SetKind(1);
}

QTreeWidget* TfmConfAlert::list(int kind) const {
    TL_ASSERT(kind >= 1 && kind <= 4);
    return m_lists[static_cast<std::size_t>(kind - 1)];
}

void TfmConfAlert::SetKind(int kind) {
    TL_ASSERT(kind >= 1 && kind <= 4);
    m_kind = kind;
    for (int index = 0; index < 4; ++index) {
        m_pcData->setTabVisible(index, index == kind - 1);
    }
    m_pcData->setCurrentIndex(kind - 1);
}

void TfmConfAlert::ShowPair(const void* palmRecord, const QStringList& palmTexts,
                            const void* outlookRecord, const QStringList& outlookTexts) {
    TL_ASSERT(palmRecord && outlookRecord);
    QTreeWidget* view = list(m_kind);
    view->clear();
    const int columns = view->columnCount();
    const auto addRow = [&](const char* software, const void* record, const QStringList& texts) {
        auto* item = new QTreeWidgetItem(view);
        item->setText(0, QString::fromLatin1(software));
        for (int column = 1; column < columns && column - 1 < texts.size(); ++column) {
            item->setText(column, texts[column - 1].left(kMaxValueLength));
        }
        for (int column = 0; column < columns; ++column) {
            item->setToolTip(column, QString::fromLatin1(software));
        }
        item->setData(0, Qt::UserRole, QVariant::fromValue(reinterpret_cast<quintptr>(record)));
    };
    addRow("Palm Desktop", palmRecord, palmTexts);
    addRow("Microsoft Outlook", outlookRecord, outlookTexts);
    // The values that differ are what the user has to judge; they stand out in bold.
    QFont bold = view->font();
    bold.setBold(true);
    for (int column = 1; column < columns; ++column) {
        if (view->topLevelItem(0)->text(column) != view->topLevelItem(1)->text(column)) {
            view->topLevelItem(0)->setFont(column, bold);
            view->topLevelItem(1)->setFont(column, bold);
        }
    }
    for (int column = 0; column < columns; ++column) {
        view->resizeColumnToContents(column);
    }
    scrollToFirstDifference();
}

// Nine contact columns do not fit: the first value that differs is brought to the left edge,
// just right of the pinned "Software" column. Run again when shown, once the list has its size.
void TfmConfAlert::scrollToFirstDifference() {
    QTreeWidget* view = list(m_kind);
    if (view->topLevelItemCount() < 1) {
        return;
    }
    for (int column = 1; column < view->columnCount(); ++column) {
        if (!view->topLevelItem(0)->font(column).bold()) {
            continue;
        }
        const int right = view->header()->sectionPosition(column) + view->columnWidth(column);
        if (right > view->viewport()->width()) {
            view->horizontalScrollBar()->setValue(view->header()->sectionPosition(column) -
                                                  view->columnWidth(0));
        }
        return;
    }
}

void TfmConfAlert::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    scrollToFirstDifference();
}

void TfmConfAlert::TransferChoice(bool save) {
    if (save) {
        m_direction = !m_rbtnP2O->isChecked() && m_rbtnO2P->isChecked() ? 2 : 1;
        m_applyThisRun = m_cbThis->isChecked();
        m_applyAlways = m_cbAll->isChecked();
        return;
    }
    (m_direction == 2 ? m_rbtnO2P : m_rbtnP2O)->setChecked(true);
}

void TfmConfAlert::btnOKClick() {
    TransferChoice(true);
    done(1);
}

void TfmConfAlert::btnCancelClick() {
    m_cancelled = true;
    done(2);
}

// Escape and the window's close button leave the dialog as Cancel does.
void TfmConfAlert::reject() {
    btnCancelClick();
}

} // namespace twinleaf
