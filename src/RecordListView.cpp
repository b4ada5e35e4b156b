// The list views of the main window and the model behind them.
#include "src/RecordListView.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QStyledItemDelegate>
#include <algorithm>
#include <numeric>

namespace twinleaf {
namespace {

// Qt draws a highlighted row's text in the palette's highlighted-text colour, which hides the
// status colour exactly on the row the user is looking at. The highlighted row keeps its status
// colour on a light tint of the highlight instead.
class StatusColourDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
        QStyledItemDelegate::initStyleOption(option, index);
        if (!(option->state & QStyle::State_Selected)) {
            return;
        }
        const QVariant colour = index.data(Qt::ForegroundRole);
        if (!colour.canConvert<QColor>()) {
            return;
        }
        const QColor highlight = option->palette.color(QPalette::Highlight);
        QColor tint = highlight.lighter(100);
        tint.setAlpha(70);
        for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
            option->palette.setColor(group, QPalette::HighlightedText, colour.value<QColor>());
            option->palette.setColor(group, QPalette::Highlight, tint);
        }
    }
};

} // namespace

QColor colorFromColorRef(unsigned int colorRef) {
    return QColor(static_cast<int>(colorRef & 0xFFu), static_cast<int>((colorRef >> 8) & 0xFFu),
                  static_cast<int>((colorRef >> 16) & 0xFFu));
}

RecordListModel::RecordListModel(QObject* parent) : QAbstractTableModel(parent) {}

void RecordListModel::setColumns(std::vector<ViewColumn> columns) {
    beginResetModel();
    m_columns = std::move(columns);
    endResetModel();
}

void RecordListModel::beginUpdate() {
    if (m_updateDepth++ == 0) {
        beginResetModel();
    }
}

void RecordListModel::endUpdate() {
    if (m_updateDepth > 0 && --m_updateDepth == 0) {
        endResetModel();
    }
}

void RecordListModel::clear() {
    beginUpdate();
    m_rows.clear();
    endUpdate();
}

void RecordListModel::addRow(void* record) {
    if (m_updateDepth > 0) {
        m_rows.push_back({record, false});
        return;
    }
    const int row = rows();
    beginInsertRows(QModelIndex(), row, row);
    m_rows.push_back({record, false});
    endInsertRows();
}

void* RecordListModel::recordAt(int row) const {
    return row >= 0 && row < rows() ? m_rows[static_cast<std::size_t>(row)].record : nullptr;
}

bool RecordListModel::isChecked(int row) const {
    return row >= 0 && row < rows() && m_rows[static_cast<std::size_t>(row)].checked;
}

void RecordListModel::setChecked(int row, bool checked) {
    if (row < 0 || row >= rows() || m_rows[static_cast<std::size_t>(row)].checked == checked) {
        return;
    }
    m_rows[static_cast<std::size_t>(row)].checked = checked;
    if (m_updateDepth == 0) {
        const QModelIndex cell = index(row, 0);
        emit dataChanged(cell, cell, {Qt::CheckStateRole});
    }
}

void RecordListModel::setAllChecked(bool checked) {
    for (Row& row : m_rows) {
        row.checked = checked;
    }
    if (m_updateDepth == 0 && !m_rows.empty()) {
        emit dataChanged(index(0, 0), index(rows() - 1, 0), {Qt::CheckStateRole});
    }
}

void RecordListModel::setCheckedRows(const std::vector<bool>& checked) {
    const std::size_t count = std::min(checked.size(), m_rows.size());
    for (std::size_t row = 0; row < count; ++row) {
        m_rows[row].checked = checked[row];
    }
    if (m_updateDepth == 0 && count > 0) {
        emit dataChanged(index(0, 0), index(static_cast<int>(count) - 1, 0), {Qt::CheckStateRole});
    }
}

void RecordListModel::checkDifferent() {
    for (int row = 0; row < rows(); ++row) {
        const int compare = status(row);
        m_rows[static_cast<std::size_t>(row)].checked = compare == 1 || compare == 2;
    }
    if (m_updateDepth == 0 && !m_rows.empty()) {
        emit dataChanged(index(0, 0), index(rows() - 1, 0), {Qt::CheckStateRole});
    }
}

int RecordListModel::checkedCount() const {
    int count = 0;
    for (const Row& row : m_rows) {
        count += row.checked ? 1 : 0;
    }
    return count;
}

void RecordListModel::refreshColours() {
    if (m_updateDepth == 0 && !m_rows.empty() && !m_columns.empty()) {
        emit dataChanged(index(0, 0), index(rows() - 1, columnCount() - 1), {Qt::ForegroundRole});
    }
}

int RecordListModel::status(int row) const {
    const void* record = recordAt(row);
    return record != nullptr && m_status ? m_status(record) : 0;
}

QColor RecordListModel::rowColour(int row) const {
    const RowColours colours = m_colours ? m_colours() : RowColours{};
    if (!colours.showColor) {
        return Qt::black;
    }
    switch (status(row)) {
    case 2:
        return colorFromColorRef(colours.diffColor);
    case 1:
        return colorFromColorRef(colours.newColor);
    default:
        return colorFromColorRef(colours.sameColor);
    }
}

int RecordListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : rows();
}

int RecordListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_columns.size());
}

QVariant RecordListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rows() || index.column() >= columnCount()) {
        return {};
    }
    switch (role) {
    case Qt::DisplayRole: {
        const void* record = recordAt(index.row());
        if (record == nullptr || !m_text) {
            return QString();
        }
        return m_text(record, m_columns[static_cast<std::size_t>(index.column())].fieldId);
    }
    case Qt::CheckStateRole:
        if (index.column() == 0) {
            return isChecked(index.row()) ? Qt::Checked : Qt::Unchecked;
        }
        return {};
    case Qt::ForegroundRole:
        return rowColour(index.row());
    default:
        return {};
    }
}

bool RecordListModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (role != Qt::CheckStateRole || !index.isValid() || index.column() != 0) {
        return false;
    }
    setChecked(index.row(), value.toInt() == Qt::Checked);
    return true;
}

Qt::ItemFlags RecordListModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) {
        return Qt::NoItemFlags;
    }
    Qt::ItemFlags result = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
    if (index.column() == 0) {
        result |= Qt::ItemIsUserCheckable;
    }
    return result;
}

QVariant RecordListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 ||
        section >= columnCount()) {
        return {};
    }
    return QString::fromUtf8(m_columns[static_cast<std::size_t>(section)].caption);
}

RecordListView::RecordListView(QWidget* parent)
    : QTreeView(parent), m_model(new RecordListModel(this)),
      m_proxy(new QSortFilterProxyModel(this)), m_popup(new QMenu(this)) {
    m_proxy->setSourceModel(m_model);
    m_proxy->setFilterKeyColumn(-1);
    m_proxy->setFilterCaseSensitivity(Qt::CaseInsensitive);
    m_proxy->setSortCaseSensitivity(Qt::CaseInsensitive);
    m_proxy->setSortLocaleAware(true);
    setModel(m_proxy);
    setItemDelegate(new StatusColourDelegate(this));
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setAllColumnsShowFocus(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    // No column is sorted until the user clicks a header: the rows start in the list's order.
    header()->setSortIndicator(-1, Qt::AscendingOrder);
    setSortingEnabled(true);
    header()->setStretchLastSection(false);
    header()->setSectionsMovable(false);
    header()->setDefaultSectionSize(100);

    connect(m_popup->addAction(tr("Select &All")), &QAction::triggered, this,
            &RecordListView::selectAllRequested);
    connect(m_popup->addAction(tr("Select &Diff")), &QAction::triggered, this,
            &RecordListView::selectDiffRequested);
    connect(m_popup->addAction(tr("&Clear")), &QAction::triggered, this,
            &RecordListView::clearRequested);
    m_popup->addSeparator();
    connect(m_popup->addAction(tr("Detail &Information")), &QAction::triggered, this,
            &RecordListView::detailRequested);
    setContextMenuPolicy(Qt::CustomContextMenu);
    connect(this, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& position) { m_popup->popup(viewport()->mapToGlobal(position)); });
}

void RecordListView::setColumns(std::vector<ViewColumn> columns) {
    m_model->setColumns(columns);
    m_givenWidths.clear();
    for (const ViewColumn& column : columns) {
        m_givenWidths.push_back(column.width > 0 ? column.width : header()->defaultSectionSize());
    }
    shareWidth();
}

void RecordListView::shareWidth() {
    const int given = std::accumulate(m_givenWidths.begin(), m_givenWidths.end(), 0);
    const int room = viewport()->width();
    const bool share = given > 0 && room > given;
    int used = 0;
    for (std::size_t section = 0; section < m_givenWidths.size(); ++section) {
        int width = m_givenWidths[section];
        if (share) {
            // The last column takes what rounding left, so the columns end at the edge.
            width = section + 1 == m_givenWidths.size()
                        ? room - used
                        : static_cast<int>(static_cast<long long>(width) * room / given);
        }
        used += width;
        header()->resizeSection(static_cast<int>(section), width);
    }
}

void RecordListView::resizeEvent(QResizeEvent* event) {
    QTreeView::resizeEvent(event);
    shareWidth();
}

int RecordListView::selectedRow() const {
    const QModelIndexList selected = selectionModel()->selectedRows();
    return selected.isEmpty() ? -1 : m_proxy->mapToSource(selected.first()).row();
}

void RecordListView::selectRow(int row) {
    const QModelIndex cell = row >= 0 && row < m_model->rows()
                                 ? m_proxy->mapFromSource(m_model->index(row, 0))
                                 : QModelIndex();
    if (!cell.isValid()) {
        selectionModel()->clearSelection();
        return;
    }
    selectionModel()->setCurrentIndex(cell, QItemSelectionModel::ClearAndSelect |
                                                QItemSelectionModel::Rows);
}

void RecordListView::setFilterText(const QString& text) {
    m_proxy->setFilterFixedString(text);
}

QModelIndex RecordListView::viewIndex(int row, int column) const {
    return m_proxy->mapFromSource(m_model->index(row, column));
}

std::vector<int> RecordListView::shownRows() const {
    std::vector<int> rows;
    for (int row = 0; row < m_proxy->rowCount(); ++row) {
        rows.push_back(m_proxy->mapToSource(m_proxy->index(row, 0)).row());
    }
    return rows;
}

void RecordListView::keyPressEvent(QKeyEvent* event) {
    // Space ticks the highlighted row whichever of its cells has the focus; Qt would only tick
    // when the focus sits on the check box's column.
    if (event->key() == Qt::Key_Space && event->modifiers() == Qt::NoModifier) {
        const int row = selectedRow();
        if (row >= 0) {
            m_model->setChecked(row, !m_model->isChecked(row));
            event->accept();
            return;
        }
    }
    QTreeView::keyPressEvent(event);
}

void RecordListView::mouseDoubleClickEvent(QMouseEvent* event) {
    QTreeView::mouseDoubleClickEvent(event);
    if (event->button() == Qt::LeftButton) {
        emit detailRequested();
    }
}

} // namespace twinleaf

namespace twinleaf {

ColourLegend::ColourLegend(RecordListModel::ColoursFunction colours, QWidget* parent)
    : QLabel(parent), m_colours(std::move(colours)) {
    setObjectName(QStringLiteral("lblLegend"));
    setTextFormat(Qt::RichText);
    refresh();
}

void ColourLegend::refresh() {
    const RowColours colours = m_colours ? m_colours() : RowColours{};
    if (!colours.showColor) {
        setText(QString());
        return;
    }
    const auto entry = [](unsigned int colorRef, const QString& word) {
        return QStringLiteral("<span style=\"color:%1\">&#9632; %2</span>")
            .arg(colorFromColorRef(colorRef).name(), word);
    };
    setText(entry(colours.newColor, tr("New")) + QStringLiteral("&nbsp;&nbsp;") +
            entry(colours.diffColor, tr("Different")) + QStringLiteral("&nbsp;&nbsp;") +
            entry(colours.sameColor, tr("Same")));
}

} // namespace twinleaf
