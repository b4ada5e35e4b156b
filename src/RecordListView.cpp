// The list views of the main window and the model behind them.
#include "src/RecordListView.h"

#include <QHeaderView>
#include <QMouseEvent>
#include <algorithm>

namespace twinleaf {

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
    : QTreeView(parent), m_model(new RecordListModel(this)), m_popup(new QMenu(this)) {
    setModel(m_model);
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setAllColumnsShowFocus(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSortingEnabled(false);
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
    for (int section = 0; section < static_cast<int>(columns.size()); ++section) {
        const int width = columns[static_cast<std::size_t>(section)].width;
        header()->resizeSection(section, width > 0 ? width : header()->defaultSectionSize());
    }
}

int RecordListView::selectedRow() const {
    const QModelIndexList selected = selectionModel()->selectedRows();
    return selected.isEmpty() ? -1 : selected.first().row();
}

void RecordListView::selectRow(int row) {
    if (row < 0 || row >= m_model->rows()) {
        selectionModel()->clearSelection();
        return;
    }
    const QModelIndex cell = m_model->index(row, 0);
    selectionModel()->setCurrentIndex(cell, QItemSelectionModel::ClearAndSelect |
                                                QItemSelectionModel::Rows);
}

void RecordListView::mouseDoubleClickEvent(QMouseEvent* event) {
    QTreeView::mouseDoubleClickEvent(event);
    if (event->button() == Qt::LeftButton) {
        emit detailRequested();
    }
}

} // namespace twinleaf
