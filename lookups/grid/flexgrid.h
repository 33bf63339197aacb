#pragma once
#include <QAbstractTableModel>
#include <QTableView>
#include <QVector>
#include "lookups/grid/gridsort.h"
#include <functional>

namespace qel {

// The rows behind the result grid. Row 0 of the grid is its one fixed header row and lives in
// the header; data rows 1.. are model rows 0... Every value is text.
class GridModel : public QAbstractTableModel {
    Q_OBJECT
public:
    using QAbstractTableModel::QAbstractTableModel;

    int rowCount(const QModelIndex& parent = {}) const override { return parent.isValid() ? 0 : m_rowCount; }
    int columnCount(const QModelIndex& parent = {}) const override { return parent.isValid() ? 0 : m_cols; }
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    // Grid indexes: row 0 is the header.
    void setRows(int rows);
    void setCols(int cols);
    QString text(int row, int col) const;
    void setText(int row, int col, const QString& value);
    // The same for text already in UTF-8, as the database returns it.
    void setTextUtf8(int row, int col, const char* data, qsizetype length);
    // Gives a cell the text of another data cell without storing it again (texts are never
    // changed in place, so the two stay independent).
    void setTextLike(int row, int col, int fromRow, int fromCol);
    void setAlignment(int col, Qt::Alignment a);
    void setHeaderBold(int col, bool bold);
    void setDataFontScale(int col, double scale);   // 1.0: the grid's own size
    void setBaseFont(const QFont& f) { m_font = f; }

    // Stable ascending sort of the data rows on one column, in the order of gridsort::compare.
    void sortColumn(int col) { sortColumns({col}); }
    // The order that passes from the last key to the first would give, in one stable sort
    // (gridsort::order).
    void sortColumns(const QVector<int>& keys);

    // While redraw is off, changes are not announced to the view; switching it on again resets it.
    void setRedraw(bool on);
    bool redraw() const { return m_redraw; }

    // Writes 1, 2, 3 ... into a column of the data rows.
    void numberRows(int col);
    // A fill that is about to write its rows and then sort them by these columns: their sort
    // keys are made as the cells come in (until the sort, or the grid is emptied).
    void gatherSortKeys(const QVector<int>& cols);

    // The longest texts of each column col1..col2, the candidates for their widths.
    QVector<QStringList> widestCandidates(int col1, int col2) const;
    static constexpr int kWidthCandidates = 12;

private:
    struct Column {
        Qt::Alignment align = Qt::AlignLeft | Qt::AlignVCenter;
        bool headerBold = false;
        double dataScale = 1.0;
    };
    // Cell texts live in one UTF-8 buffer; a cell is an offset and a length into it. A large
    // result is then a few big allocations instead of one string per cell, and a fill copies the
    // driver's bytes as they are.
    //
    // Rows are stored in the order they were written; a sort only changes which stored row each
    // grid row shows (m_order), and the serial number column is read from the rows' positions.
    using Cell = gridsort::CellText;
    int stored(int dataRow) const { return m_order.empty() ? dataRow : m_order[size_t(dataRow)]; }
    Cell& cell(int dataRow, int col) { return m_cells[qsizetype(stored(dataRow)) * m_cols + col]; }
    const Cell& cell(int dataRow, int col) const { return m_cells[qsizetype(stored(dataRow)) * m_cols + col]; }
    QString cellText(int dataRow, int col) const;
    void store(int dataRow, int col, const char* data, qsizetype length);
    void append(Cell& c, const char* data, qsizetype length);
    // Stores the rows in the order shown (before rows go from the end).
    void applyOrder();
    // Writes the numbers of the numbered column into its cells, which then hold them as any text.
    void writeNumbers();

    // Per column, (length of the longest line, stored row) of its longest texts.
    using Widest = std::vector<std::pair<int, int>>;
    std::vector<Widest> widestRows(bool split) const;

    QVector<Cell> m_cells;
    quint64 m_generation = 0;   // counts the changes to the cells
    std::vector<Widest> m_widest;   // found during the last sort, while nothing has changed since
    quint64 m_widestFor = ~quint64(0);
    std::vector<int> m_order;   // grid row -> stored row; empty: the same
    int m_numbered = -1;        // the column that shows the rows' numbers
    gridsort::FillKeys m_keys;
    QByteArray m_text;
    int m_rowCount = 0;
    QVector<QString> m_header;
    QVector<Column> m_colFmt;
    int m_cols = 0;
    bool m_redraw = true;
    QFont m_font;
};

// The result grid of every lookup dialog: row 0 is the header, column 0 the serial number.
class FlexGrid : public QTableView {
    Q_OBJECT
    Q_PROPERTY(int ColWidthMax READ colWidthMax WRITE setColWidthMax)
    Q_PROPERTY(int ColWidthMin READ colWidthMin WRITE setColWidthMin)
    Q_PROPERTY(int RowHeightMax READ rowHeightMax WRITE setRowHeightMax)
    Q_PROPERTY(int RowHeightMin READ rowHeightMin WRITE setRowHeightMin)
public:
    explicit FlexGrid(QWidget* parent = nullptr);

    int rows() const { return m_model.rowCount() + 1; }
    void setRows(int rows) { m_model.setRows(rows); }
    int cols() const { return m_model.columnCount(); }
    void setCols(int cols);
    QString textMatrix(int row, int col) const { return m_model.text(row, col); }
    void setTextMatrix(int row, int col, const QString& v) { m_model.setText(row, col, v); }
    void setTextMatrixUtf8(int row, int col, QByteArrayView v) { m_model.setTextUtf8(row, col, v.data(), v.size()); }
    void setTextMatrixLike(int row, int col, int fromRow, int fromCol) { m_model.setTextLike(row, col, fromRow, fromCol); }
    int row() const;   // the current row; 0 for the header or nothing
    void setRow(int row);
    bool colHidden(int col) const { return isColumnHidden(col); }
    void setColHidden(int col, bool hidden) { setColumnHidden(col, hidden); }
    void setColAlignment(int col, Qt::Alignment a) { m_model.setAlignment(col, a); }
    void setColWidthTwips(int col, int twips);
    void setCellFontBold(int row1, int col1, int row2, int col2, bool bold);
    void setCellFontSize(int row1, int col1, int row2, int col2, double points);
    double fontSize() const { return font().pointSizeF(); }
    void setRedraw(bool on) { m_model.setRedraw(on); }

    void sortColumn(int col) { m_model.sortColumn(col); }
    void sortColumns(const QVector<int>& keysPrimaryFirst) { m_model.sortColumns(keysPrimaryFirst); }
    void gatherSortKeys(const QVector<int>& keysPrimaryFirst) { m_model.gatherSortKeys(keysPrimaryFirst); }
    // Fits the widths of columns col1..col2 to their contents (capped by ColWidthMax when set).
    void autoSizeColumns(int col1, int col2);
    // Fits the heights of all rows to their (wrapped) contents.
    void autoSizeRows();
    void setWordWrapOn(bool on) { setWordWrap(on); }
    // Keeps the first n columns in view when the grid scrolls sideways.
    void setFrozenCols(int n);
    int frozenCols() const { return m_frozen; }

    // Opens a read-only editor on a cell with part of its text selected.
    void editCell(int row, int col, int selStart, int selLength);

    int colWidthMax() const { return m_colWidthMax; }
    void setColWidthMax(int v) { m_colWidthMax = v; }
    int colWidthMin() const { return m_colWidthMin; }
    void setColWidthMin(int v) { m_colWidthMin = v; }
    int rowHeightMax() const { return m_rowHeightMax; }
    void setRowHeightMax(int v) { m_rowHeightMax = v; }
    int rowHeightMin() const { return m_rowHeightMin; }
    void setRowHeightMin(int v) { m_rowHeightMin = v; }

    GridModel* gridModel() { return &m_model; }

    // The selected rows (the current one when none is selected) with the visible columns' headers,
    // tab-separated, as a spreadsheet takes them from the clipboard (Ctrl+C, "Copy").
    QString selectionText() const;
    // Every row, the visible columns in their order, as UTF-8 CSV ("Export to CSV…").
    QByteArray csv() const;
    bool exportCsv(const QString& path, QString* error) const;
    // Asks where to export; tests answer instead (an empty function restores the file dialog).
    static void setSaveFileChooser(std::function<QString(QWidget* parent)> chooser);

signals:
    // After the user sorted by clicking a header (column, order).
    void AfterSort(int col, int order);

protected:
    void keyPressEvent(QKeyEvent* e) override;
    void contextMenuEvent(QContextMenuEvent* e) override;
    void scrollContentsBy(int dx, int dy) override;
    void resizeEvent(QResizeEvent* e) override;

private:
    void headerClicked(int section);
    QString rowsText(const QList<int>& dataRows, QChar separator) const;
    void copySelection() const;
    void exportAsked();
    void updateFrozen();

    GridModel m_model;
    class QTableView* m_frozenView = nullptr;
    int m_frozen = 0;
    int m_colWidthMax = 0, m_colWidthMin = 0, m_rowHeightMax = 0, m_rowHeightMin = 0;
};

} // namespace qel
