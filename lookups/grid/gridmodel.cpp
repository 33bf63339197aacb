#include "lookups/grid/gridmodel.h"
#include "lookups/grid/gridsort.h"
#include <QFont>
#include <algorithm>
#include <cstring>
#include <numeric>
#include <vector>

namespace qel {

QVariant GridModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid())
        return {};
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
    case Qt::ToolTipRole:   // the whole text where the column is too narrow for it
        return cellText(index.row(), index.column());
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(m_colFmt[index.column()].align);
    case Qt::FontRole:
        if (m_colFmt[index.column()].dataScale != 1.0) {
            QFont f = m_font;
            f.setPointSizeF(m_font.pointSizeF() * m_colFmt[index.column()].dataScale);
            return f;
        }
        return {};
    default:
        return {};
    }
}

QVariant GridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= m_cols)
        return QAbstractTableModel::headerData(section, orientation, role);
    switch (role) {
    case Qt::DisplayRole:
        return m_header[section];
    case Qt::FontRole:
        if (m_colFmt[section].headerBold) {
            QFont f = m_font;
            f.setBold(true);
            return f;
        }
        return m_font;
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(Qt::Alignment(Qt::AlignCenter));
    default:
        return {};
    }
}

Qt::ItemFlags GridModel::flags(const QModelIndex& index) const
{
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable : Qt::NoItemFlags;
}

QString GridModel::cellText(int dataRow, int col) const
{
    if (col == m_numbered)
        return QString::number(dataRow + 1);
    const Cell& c = cell(dataRow, col);
    return QString::fromUtf8(m_text.constData() + c.offset, c.length);
}

void GridModel::append(Cell& c, const char* data, qsizetype length)
{
    // The buffer grows in large steps and is kept between fills: a cell costs one copy of its bytes.
    const qsizetype at = m_textUsed;
    c.offset = quint32(at);
    c.length = quint32(length);
    if (at + length + kTextRoom > m_text.size())
        m_text.resize(std::max<qsizetype>(2 * m_text.size(), at + length + 65536));
    if (length > 0)
        std::memcpy(m_text.data() + at, data, size_t(length));
    m_textUsed = at + length;
}

void GridModel::store(int dataRow, int col, const char* data, qsizetype length)
{
    if (col == m_numbered)
        writeNumbers();
    const int row = stored(dataRow);
    if (row >= m_readyRows)
        ready(row + 1);
    Cell& c = m_cells[qsizetype(row) * m_cols + col];
    const int key = m_keys.keyOf(col);
    if (key < 0) {
        append(c, data, length);
        return;
    }
    // A key column's text seen before is shared rather than stored again.
    const Cell* same = m_keys.find(key, m_text.constData(), QByteArrayView(data, length));
    if (same)
        c = *same;
    else
        append(c, data, length);
    m_keys.record(key, row, m_text.constData(), c, same);
}

void GridModel::gatherSortKeys(const QVector<int>& cols)
{
    if (m_textUsed + kTextRoom > m_text.size())
        m_text.resize(m_textUsed + 65536);
    m_keys.start(std::vector<int>(cols.begin(), cols.end()), m_rowCount);
}

void GridModel::applyOrder()
{
    if (m_order.empty())
        return;
    // Whole rows at a time, each a run of cells side by side, moved in place along the cycles of
    // the order (stored row r takes the cells of stored row m_order[r]), so that no second copy of
    // the cells is made; a row done is marked with -1.
    m_keys.clear();
    readyAll();
    std::vector<int>& order = m_order;
    const size_t rowBytes = size_t(m_cols) * sizeof(Cell);
    QVarLengthArray<Cell, 16> held(m_cols);
    Cell* cells = m_cells.data();
    for (int start = 0; start < int(order.size()); ++start) {
        if (order[size_t(start)] < 0 || order[size_t(start)] == start)
            continue;
        std::memcpy(held.data(), cells + qsizetype(start) * m_cols, rowBytes);
        int to = start;
        for (;;) {
            const int from = order[size_t(to)];
            order[size_t(to)] = -1;
            if (from == start) {
                std::memcpy(cells + qsizetype(to) * m_cols, held.constData(), rowBytes);
                break;
            }
            std::memcpy(cells + qsizetype(to) * m_cols, cells + qsizetype(from) * m_cols, rowBytes);
            to = from;
        }
    }
    m_order.clear();
}

void GridModel::writeNumbers()
{
    const int col = m_numbered;
    m_numbered = -1;
    if (col < 0)
        return;
    // The digits written straight into the text buffer, counting up as a number would.
    char digits[12] = {'0'};
    int width = 1;
    for (int r = 0; r < m_rowCount; ++r) {
        int i = width - 1;
        while (i >= 0 && digits[i] == '9')
            digits[i--] = '0';
        if (i >= 0) {
            ++digits[i];
        } else {
            std::memmove(digits + 1, digits, size_t(width++));
            digits[0] = '1';
        }
        store(r, col, digits, width);
    }
}

void GridModel::setRows(int rows)
{
    const int data = std::max(0, rows - 1);
    const int old = m_rowCount;
    if (data == old)
        return;
    const bool announce = m_redraw;
    if (announce && data > old)
        beginInsertRows({}, old, data - 1);
    else if (announce)
        beginRemoveRows({}, data, old - 1);
    if (data < old && data > 0)
        applyOrder();   // the rows that go are the last shown, wherever they are stored
    else if (data == 0)
        m_order.clear();
    m_cells.resize(qsizetype(data) * m_cols);   // new cells not cleared (m_readyRows)
    m_readyRows = std::min(m_readyRows, data);
    if (!m_order.empty())
        for (int r = old; r < data; ++r)
            m_order.push_back(r);   // new rows are stored, and shown, last
    m_rowCount = data;
    m_keys.truncate(data);
    if (data == 0) {
        m_textUsed = 0;   // nothing refers to the old texts any more; the space serves the next fill
        m_keys.clear();
    }
    if (announce && data > old)
        endInsertRows();
    else if (announce)
        endRemoveRows();
}

void GridModel::setCols(int cols)
{
    beginResetModel();
    writeNumbers();
    m_keys.clear();
    readyAll();
    std::vector<Cell, Uncleared<Cell>> cells(size_t(m_rowCount) * size_t(cols), Cell());
    for (int r = 0; r < m_rowCount; ++r)
        for (int c = 0; c < std::min(cols, m_cols); ++c)
            cells[size_t(r) * size_t(cols) + size_t(c)] = cell(r, c);
    m_cells = std::move(cells);
    m_order.clear();
    m_cols = cols;
    m_header.resize(cols);
    m_colFmt.resize(cols);
    endResetModel();
}

QString GridModel::text(int row, int col) const
{
    if (col < 0 || col >= m_cols)
        return {};
    if (row == 0)
        return m_header[col];
    if (row < 1 || row > m_rowCount)
        return {};
    return cellText(row - 1, col);
}

void GridModel::setTextUtf8(int row, int col, const char* data, qsizetype length)
{
    if (col < 0 || col >= m_cols || row < 1 || row > m_rowCount)
        return;
    store(row - 1, col, data, length);
    if (m_redraw) {
        const QModelIndex i = index(row - 1, col);
        emit dataChanged(i, i, {Qt::DisplayRole});
    }
}

void GridModel::setTextLike(int row, int col, int fromRow, int fromCol)
{
    if (col < 0 || col >= m_cols || fromCol < 0 || fromCol >= m_cols || row < 1 || row > m_rowCount || fromRow < 1 || fromRow > m_rowCount)
        return;
    if (col == m_numbered || fromCol == m_numbered)
        writeNumbers();
    ready(std::max(stored(row - 1), stored(fromRow - 1)) + 1);
    const Cell& from = cell(fromRow - 1, fromCol);
    if (const int key = m_keys.keyOf(col); key >= 0)
        m_keys.record(key, stored(row - 1), m_text.constData(), from,
                      m_keys.find(key, m_text.constData(), QByteArrayView(m_text.constData() + from.offset, from.length)));
    cell(row - 1, col) = from;
    if (m_redraw) {
        const QModelIndex i = index(row - 1, col);
        emit dataChanged(i, i, {Qt::DisplayRole});
    }
}

void GridModel::setText(int row, int col, const QString& value)
{
    if (col < 0 || col >= m_cols)
        return;
    if (row == 0) {
        m_header[col] = value;
        if (m_redraw)
            emit headerDataChanged(Qt::Horizontal, col, col);
        return;
    }
    const QByteArray utf8 = value.toUtf8();
    setTextUtf8(row, col, utf8.constData(), utf8.size());
}

void GridModel::setAlignment(int col, Qt::Alignment a)
{
    if (col >= 0 && col < m_cols)
        m_colFmt[col].align = a | Qt::AlignVCenter;
}

void GridModel::setHeaderBold(int col, bool bold)
{
    if (col >= 0 && col < m_cols) {
        m_colFmt[col].headerBold = bold;
        emit headerDataChanged(Qt::Horizontal, col, col);
    }
}

void GridModel::setDataFontScale(int col, double scale)
{
    if (col >= 0 && col < m_cols) {
        m_colFmt[col].dataScale = scale;
        if (m_redraw && m_rowCount > 0)
            emit dataChanged(index(0, col), index(m_rowCount - 1, col), {Qt::FontRole});
    }
}

void GridModel::sortColumns(const QVector<int>& cols, bool descending)
{
    for (int c : cols)
        if (c < 0 || c >= m_cols)
            return;
    const std::vector<int> keyCols(cols.begin(), cols.end());
    if (cols.contains(m_numbered))
        writeNumbers();
    readyAll();
    // Keys gathered while the rows were written serve a sort by the same columns in stored order.
    std::vector<const gridsort::Prepared*> prepared;
    if (m_order.empty())
        prepared = m_keys.finish(keyCols, m_rowCount, m_text.constData(), m_cells.data(), m_cols);
    m_keys.clear();   // (what it gathered stays until the next fill starts)
    if (cols.isEmpty() || m_rowCount < 2)
        return;
    std::vector<gridsort::Column> keys;
    for (int i = 0; i < cols.size(); ++i)
        keys.push_back({m_text.constData(), m_cells.data() + cols[i], m_cols, m_order.empty() ? nullptr : m_order.data(),
                        prepared.empty() ? nullptr : prepared[size_t(i)]});
    std::vector<int>& order = m_spareOrder;
    // The sort puts rows without a value in a key last; reversed, they are put last again.
    gridsort::order(m_rowCount, keys, m_scratch, order);
    if (descending) {
        std::reverse(order.begin(), order.end());
        emptiesLast(order, cols);
    }
    if (m_redraw)
        emit layoutAboutToBeChanged();
    // Rows are not moved: the grid shows stored row m_order[r] as its row r.
    if (!m_order.empty())
        for (int& r : order)
            r = m_order[size_t(r)];
    m_order.swap(order);
    if (m_redraw)
        emit layoutChanged();
}

void GridModel::setRedraw(bool on)
{
    if (on == m_redraw)
        return;
    if (on)
        beginResetModel();
    m_redraw = on;
    if (on)
        endResetModel();
}

void GridModel::numberRows(int col)
{
    if (col < 0 || col >= m_cols || m_rowCount == 0)
        return;
    if (m_numbered != col)
        writeNumbers();
    // The column reads 1, 2, 3 ... from the rows' positions; its cells are not written until
    // something else is written into it.
    m_numbered = col;
    if (m_redraw)
        emit dataChanged(index(0, col), index(m_rowCount - 1, col), {Qt::DisplayRole});
}

std::vector<GridModel::Widest> GridModel::widestRows(bool split) const
{
    // Lengths here are in bytes, which rank the texts closely enough for choosing candidates. The
    // rows are read once for all the columns (in two halves side by side when split).
    const auto scan = [this](qsizetype from, qsizetype to) {
        std::vector<Widest> best(static_cast<size_t>(m_cols));
        // Per column, the length a text must exceed to be a candidate (-1 while there are fewer).
        std::vector<int> floor(static_cast<size_t>(m_cols), -1);
        for (qsizetype r = from; r < std::min<qsizetype>(to, m_readyRows); ++r) {   // the rest are empty
            const Cell* row = m_cells.data() + r * m_cols;
            for (int col = 0; col < m_cols; ++col) {
                const Cell& c = row[col];
                if (int(c.length) <= floor[size_t(col)])
                    continue;   // no line of it can be longer than the shortest candidate
                Widest& heap = best[size_t(col)];
                int len = 0, start = 0;
                const char* p = m_text.constData() + c.offset;
                for (int i = 0; i <= int(c.length); ++i)
                    if (i == int(c.length) || p[i] == '\n') {
                        len = std::max(len, i - start);
                        start = i + 1;
                    }
                if (int(heap.size()) < kWidthCandidates) {
                    heap.emplace_back(len, int(r));
                    std::push_heap(heap.begin(), heap.end(), std::greater<>());
                } else if (len > heap.front().first) {
                    std::pop_heap(heap.begin(), heap.end(), std::greater<>());
                    heap.back() = {len, int(r)};
                    std::push_heap(heap.begin(), heap.end(), std::greater<>());
                }
                if (int(heap.size()) >= kWidthCandidates)
                    floor[size_t(col)] = heap.front().first;
            }
        }
        return best;
    };
    if (!split)
        return scan(0, m_rowCount);
    std::vector<Widest> first, second;
    gridsort::inHalves(m_rowCount, [&](qsizetype from, qsizetype to) { (from == 0 ? first : second) = scan(from, to); });
    for (size_t col = 0; col < second.size(); ++col)
        first[col].insert(first[col].end(), second[col].begin(), second[col].end());
    return first;
}

QVector<QStringList> GridModel::widestCandidates(int col1, int col2) const
{
    // Measuring every row of a large result with font metrics takes seconds; the width is
    // decided by the longest texts, so only those are measured; they are found when asked for
    // (finding them on the other core during the sort showed no gain in the benchmark).
    col1 = std::max(col1, 0);
    col2 = std::min(col2, m_cols - 1);
    QVector<QStringList> out(std::max(0, col2 - col1 + 1));
    const std::vector<Widest> widest = widestRows(true);
    for (int col = col1; col <= col2; ++col) {
        if (col == m_numbered) {
            out[col - col1] = {QString::number(m_rowCount)};
            continue;
        }
        Widest best = widest[size_t(col)];
        std::sort(best.begin(), best.end(), std::greater<>());
        best.resize(std::min<size_t>(best.size(), size_t(kWidthCandidates)));
        for (const auto& [len, r] : best) {
            const Cell& c = m_cells[qsizetype(r) * m_cols + col];
            out[col - col1] << QString::fromUtf8(m_text.constData() + c.offset, c.length);
        }
    }
    return out;
}

} // namespace qel
