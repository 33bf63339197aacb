#pragma once
#include <QAbstractTableModel>
#include <QFont>
#include <QVector>
#include <memory>
#include <vector>
#include "lookups/grid/gridsort.h"

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

    // The order that passes from the last key to the first would give, in one stable sort
    // (gridsort::order); descending reverses it. At every key, rows without a value in it come
    // after the others of their group.
    void sortColumns(const QVector<int>& keys, bool descending = false);

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
    const Cell& cell(int dataRow, int col) const
    {
        static const Cell empty;
        const int s = stored(dataRow);
        return s < m_readyRows ? m_cells[qsizetype(s) * m_cols + col] : empty;
    }
    // New rows' cells are not cleared when the grid grows (a fill is about to write them): a
    // stored row is cleared when it is first written, or all of them before a sort or a move.
    void ready(int upTo)
    {
        if (upTo > m_readyRows) {
            std::fill(m_cells.begin() + qsizetype(m_readyRows) * m_cols, m_cells.begin() + qsizetype(upTo) * m_cols, Cell());
            m_readyRows = upTo;
        }
    }
    void readyAll() { ready(m_rowCount); }
    QString cellText(int dataRow, int col) const;
    void store(int dataRow, int col, const char* data, qsizetype length);
    void append(Cell& c, const char* data, qsizetype length);
    void emptiesLast(std::vector<int>& order, const QVector<int>& cols) const;
    // Stores the rows in the order shown (before rows go from the end).
    void applyOrder();
    // Writes the numbers of the numbered column into its cells, which then hold them as any text.
    void writeNumbers();

    // Per column, (length of the longest line, stored row) of its longest texts.
    using Widest = std::vector<std::pair<int, int>>;
    std::vector<Widest> widestRows(bool split) const;

    // Allocates cells without clearing them.
    template <typename T>
    struct Uncleared : std::allocator<T> {
        template <typename U>
        struct rebind {
            using other = Uncleared<U>;
        };
        template <typename U>
        void construct(U*) noexcept
        {
        }
        template <typename U, typename... A>
        void construct(U* p, A&&... a)
        {
            ::new (static_cast<void*>(p)) U(std::forward<A>(a)...);
        }
    };
    std::vector<Cell, Uncleared<Cell>> m_cells;
    int m_readyRows = 0;   // stored rows whose cells hold texts (empty or not)
    std::vector<int> m_order;   // grid row -> stored row; empty: the same
    // The sort's memory, kept from one sort to the next (gridsort::Scratch).
    std::vector<int> m_spareOrder;
    gridsort::Scratch m_scratch;
    int m_numbered = -1;        // the column that shows the rows' numbers
    gridsort::FillKeys m_keys;
    QByteArray m_text;             // the cells' texts: m_textUsed bytes of it
    // Bytes kept readable after the texts while keys are gathered: a key is made from sixteen
    // bytes read at once (FillKeys).
    static constexpr qsizetype kTextRoom = 16;
    qsizetype m_textUsed = 0;
    int m_rowCount = 0;
    QVector<QString> m_header;
    QVector<Column> m_colFmt;
    int m_cols = 0;
    bool m_redraw = true;
    QFont m_font;
};

} // namespace qel
