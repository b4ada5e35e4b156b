// The report-style list views of the main window: one row per common record, a check box on
// every row, the text coloured by the record's compare status. A model over record pointers
// rather than one widget item per cell, so that ten thousand contacts fill at once: texts are
// produced only for the rows that are painted.
#pragma once

#include "common/sync/KindTable.h"

#include <QAbstractTableModel>
#include <QColor>
#include <QLabel>
#include <QMenu>
#include <QSortFilterProxyModel>
#include <QString>
#include <QTreeView>
#include <functional>
#include <vector>

namespace twinleaf {

// How rows are coloured. Read at every paint, so a change in the options shows at the next repaint.
struct RowColours {
    bool showColor = true;
    unsigned int diffColor = 8388608; // COLORREF, 0x00BBGGRR
    unsigned int newColor = 32768;
    unsigned int sameColor = 0;
};

QColor colorFromColorRef(unsigned int colorRef);

class RecordListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    // The text of one field of a record (UTF-8 is the caller's business; the model shows it).
    using TextFunction = std::function<QString(const void* record, int fieldId)>;
    // The record's compare status: 0 same, 1 new, 2 different.
    using StatusFunction = std::function<int(const void* record)>;
    using ColoursFunction = std::function<RowColours()>;

    explicit RecordListModel(QObject* parent = nullptr);

    void setColumns(std::vector<ViewColumn> columns);
    const std::vector<ViewColumn>& columns() const { return m_columns; }
    void setTextFunction(TextFunction function) { m_text = std::move(function); }
    void setStatusFunction(StatusFunction function) { m_status = std::move(function); }
    void setColoursFunction(ColoursFunction function) { m_colours = std::move(function); }

    // An update bracket: rows added between the two calls reach the view in one reset.
    void beginUpdate();
    void endUpdate();
    void clear();
    void addRow(void* record);

    int rows() const { return static_cast<int>(m_rows.size()); }
    void* recordAt(int row) const;
    bool isChecked(int row) const;
    void setChecked(int row, bool checked);
    void setAllChecked(bool checked);
    // One entry per row; rows beyond the vector are left as they are. The selection stays.
    void setCheckedRows(const std::vector<bool>& checked);
    // Checks exactly the rows whose record is new or different.
    void checkDifferent();
    int checkedCount() const;
    // Every row is asked for its colour again.
    void refreshColours();
    QColor rowColour(int row) const;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    struct Row {
        void* record;
        bool checked;
    };
    int status(int row) const;

    std::vector<ViewColumn> m_columns;
    std::vector<Row> m_rows;
    TextFunction m_text;
    StatusFunction m_status;
    ColoursFunction m_colours;
    int m_updateDepth = 0;
};

// The view: whole-row selection, no editing, one popup menu with "Select &All", "Select &Diff",
// "&Clear", a separator and "Detail &Information". A click on a column header sorts by that
// column and a filter narrows the rows; both work on a proxy, so the rows of records() keep the
// list's order and positions, which the sync controller addresses rows by. Space ticks the
// highlighted row. The columns keep their given widths until the view is wider than their sum,
// and then share its width in the same proportions.
class RecordListView : public QTreeView {
    Q_OBJECT
public:
    explicit RecordListView(QWidget* parent = nullptr);

    RecordListModel* records() const { return m_model; }
    void setColumns(std::vector<ViewColumn> columns);
    // The selected row, as a row of records(), or -1.
    int selectedRow() const;
    // `row` is a row of records(); a row the filter hides is not selected.
    void selectRow(int row);
    QMenu* popupMenu() const { return m_popup; }
    // Shows only the rows that hold `text` in one of their columns, without regard to case; an
    // empty text shows every row.
    void setFilterText(const QString& text);
    // The view's index of a cell of records(); invalid when the filter hides the row.
    QModelIndex viewIndex(int row, int column) const;
    // The rows shown, in the order shown, as rows of records().
    std::vector<int> shownRows() const;

signals:
    void selectAllRequested();
    void selectDiffRequested();
    void clearRequested();
    // Double click on a row or "Detail &Information".
    void detailRequested();

protected:
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void shareWidth();

    RecordListModel* m_model;
    QSortFilterProxyModel* m_proxy;
    QMenu* m_popup;
    std::vector<int> m_givenWidths;
};

// What the row colours mean: "New", "Different" and "Same", each in its colour, read from the
// same settings as the rows whenever refresh() is called.
class ColourLegend : public QLabel {
    Q_OBJECT
public:
    explicit ColourLegend(RecordListModel::ColoursFunction colours, QWidget* parent = nullptr);
    void refresh();

private:
    RecordListModel::ColoursFunction m_colours;
};

} // namespace twinleaf
