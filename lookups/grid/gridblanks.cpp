// Rows without a value in a key, put after the others of their group again once a descending
// sort has reversed the rows (the sort itself puts them last).
#include "lookups/grid/gridmodel.h"
#include "lookups/grid/gridsort.h"
#include <algorithm>

namespace qel {

void GridModel::emptiesLast(std::vector<int>& order, const QVector<int>& cols) const
{
    // At every key, rows with nothing in it (a branch without a centre, a code without details)
    // come after the rows of their group that have a value there: deepest key first, each within
    // the run of rows around it that agree on the keys before it, as the sort compares them.
    // Such rows are few: they are found by reading the rows in the order they are stored, and
    // only the runs that hold one are partitioned.
    const auto empty = [this](int r, int col) { return col != m_numbered && cell(r, col).length == 0; };
    std::vector<bool> blank(size_t(m_rowCount), false), hasEmpty(size_t(cols.size()), false);
    bool any = false;
    for (qsizetype r = 0; r < m_rowCount; ++r)
        for (int k = 0; k < cols.size(); ++k)
            if (cols[k] != m_numbered && m_cells[r * m_cols + cols[k]].length == 0)
                blank[size_t(r)] = hasEmpty[size_t(k)] = any = true;
    if (!any)
        return;
    const auto same = [this, &cols](int a, int b, int level) {   // "State" is "STATE" to the sort
        for (int k = 0; k < level; ++k) {
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
