#pragma once
#include <QPointer>
#include <QTableView>
#include <QVector>
#include "core/session.h"
#include "lookups/grid/gridmodel.h"

namespace qel {

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

    void sortColumn(int col) { m_model.sortColumns({col}); }
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

    // The columns that hold the code the dialog exists for ("Copy code"; several make one code).
    // Sizing keeps them in view: the columns before them give up width first.
    void setCodeColumns(const QVector<int>& cols) { m_codeColumns = cols; }
    const QVector<int>& codeColumns() const { return m_codeColumns; }
    QString codeText(int row) const;
    // The data set's name, the start of the file name an export proposes.
    void setExportName(const QString& name) { m_exportName = name; }
    // The session of the window it is in: its desktop asks where to export.
    Session* session() const { return m_session; }
    void setSession(Session* s) { m_session = s; }
    // Forgets a header's sort, as a new fill does.
    void clearHeaderSort();

signals:
    // After the user sorted by clicking a header (column, order: 1 ascending, 2 descending).
    void AfterSort(int col, int order);
    // Enter on a row, or a double-click on it: the user picks it.
    void rowPicked(int gridRow);

protected:
    void keyPressEvent(QKeyEvent* e) override;
    void contextMenuEvent(QContextMenuEvent* e) override;
    void scrollContentsBy(int dx, int dy) override;
    void resizeEvent(QResizeEvent* e) override;

private:
    void headerClicked(int section);
    void keepCodeInView();
    void updateFrozen();

    GridModel m_model;
    class QTableView* m_frozenView = nullptr;
    int m_frozen = 0;
    int m_colWidthMax = 0, m_colWidthMin = 0, m_rowHeightMax = 0, m_rowHeightMin = 0;
    QVector<int> m_codeColumns;
    QString m_exportName;
    QPointer<Session> m_session;
    int m_sortedBy = -1;
    bool m_descending = false;
};

} // namespace qel
