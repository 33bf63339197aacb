// Rows without a value in a key, put after the others of their group again once a descending
// sort has reversed the rows (the sort itself puts them last).
#include "lookups/grid/gridmodel.h"
#include "lookups/grid/gridsort.h"
#include <algorithm>

namespace qel {

bool GridModel::findBlanks(const QVector<int>& cols, const std::vector<const gridsort::Prepared*>& prepared, std::vector<bool>& blank,
                           std::vector<bool>& hasEmpty) const
{
    // From the keys the fill made where there are some (a column's numbers, or its prefixes, a
    // few bytes a row), else from the cells.
    bool any = false;
    const auto mark = [&](qsizetype r, int k) { blank[size_t(r)] = hasEmpty[size_t(k)] = any = true; };
    for (int k = 0; k < cols.size(); ++k) {
        const gridsort::Prepared* p = prepared.empty() ? nullptr : prepared[size_t(k)];
        const auto emptyCell = [&](qsizetype r) { return m_cells[size_t(r * m_cols + cols[k])].length == 0; };
        if (cols[k] == m_numbered)
            continue;
        if (p && !p->ids.empty()) {
            const auto e = std::find_if(p->distinct.begin(), p->distinct.end(), [](const Cell& c) { return c.length == 0; });
            const quint32 id = quint32(e - p->distinct.begin());
            for (qsizetype r = 0; e != p->distinct.end() && r < m_rowCount; ++r)
                if (p->ids[size_t(r)] == id)
                    mark(r, k);
        } else if (p && !p->prefix.empty()) {
            for (qsizetype r = 0; r < m_rowCount; ++r)
                if (p->prefix[size_t(r)] == gridsort::kEmptyPrefix && emptyCell(r))
                    mark(r, k);
        } else {
            for (qsizetype r = 0; r < m_rowCount; ++r)
                if (emptyCell(r))
                    mark(r, k);
        }
    }
    return any;
}

void GridModel::emptiesLast(std::vector<int>& order, const QVector<int>& cols, const std::vector<const gridsort::Prepared*>& prepared) const
{
    // At every key, rows with nothing in it (a branch without a centre, a code without details)
    // come after the rows of their group that have a value there: deepest key first, each within
    // the run of rows around it that agree on the keys before it, as the sort compares them.
    // Such rows are few: only the runs that hold one are partitioned.
    const auto empty = [this](int r, int col) { return col != m_numbered && cell(r, col).length == 0; };
    std::vector<bool> blank(size_t(m_rowCount), false), hasEmpty(size_t(cols.size()), false);
    if (!findBlanks(cols, prepared, blank, hasEmpty))
        return;
    const auto same = [&](int a, int b, int level) {   // "State" is "STATE" to the sort
        for (int k = 0; k < level; ++k) {
            // The numbers a fill gave the column's texts tell most rows apart without reading them.
            const gridsort::Prepared* p = prepared.empty() ? nullptr : prepared[size_t(k)];
            if (p && !p->ids.empty() && p->ids[size_t(stored(a))] == p->ids[size_t(stored(b))])
                continue;
            const Cell &x = cell(a, cols[k]), &y = cell(b, cols[k]);
            if (x.offset == y.offset && x.length == y.length)
                continue;   // one text (a fill stores a key column's repeated texts once)
            const QByteArrayView tx(m_text.constData() + x.offset, x.length), ty(m_text.constData() + y.offset, y.length);
            if (tx != ty && gridsort::compare(tx, ty) != 0)
                return false;
        }
        return true;
    };
    const qsizetype n = qsizetype(order.size());
    for (int level = int(cols.size()) - 1; level >= 0; --level) {
        if (!hasEmpty[size_t(level)])
            continue;
        for (qsizetype i = 0; i < n; ++i) {
            const int row = order[size_t(i)];
            if (!blank[size_t(stored(row))] || !empty(row, cols[level]))
                continue;
            qsizetype from = i, to = i + 1;
            while (from > 0 && same(order[size_t(from - 1)], row, level))
                --from;
            while (to < n && same(order[size_t(to)], row, level))
                ++to;
            std::stable_partition(order.begin() + from, order.begin() + to, [&](int r) { return !empty(r, cols[level]); });
            i = to - 1;
        }
    }
}

} // namespace qel
