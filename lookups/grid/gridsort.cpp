#include "lookups/grid/gridsort.h"
#include <QByteArray>
#include <QString>
#include <algorithm>
#include <bit>
#include <cstring>
#include <numeric>
#include <string_view>
#include <unordered_map>

namespace qel::gridsort {

namespace {

// A cell's sort key: numbers by value; other text by its upper-case UTF-8 bytes (whose order is
// the code points' order). Plain upper-case ASCII, most of the data, is used where it lies.
struct SortKey {
    bool numeric = false;
    double number = 0;
    const char* text = nullptr;
    qsizetype length = 0;
    QByteArray owned;   // the upper-case form, when it differs from the cell's bytes
};

SortKey keyOf(const char* p, qsizetype n)
{
    SortKey k;
    qsizetype i = 0;
    while (i < n && (p[i] == ' ' || p[i] == '\t'))
        ++i;
    // Only a text that starts like a number is parsed as one.
    if (i < n && ((p[i] >= '0' && p[i] <= '9') || p[i] == '-' || p[i] == '+' || p[i] == '.')) {
        bool ok = false;
        const double v = QByteArray::fromRawData(p, n).trimmed().toDouble(&ok);
        if (ok) {
            k.numeric = true;
            k.number = v;
            return k;
        }
    }
    bool plain = true;
    for (qsizetype j = 0; j < n && plain; ++j)
        plain = uchar(p[j]) < 0x80 && !(p[j] >= 'a' && p[j] <= 'z');
    if (plain) {
        k.text = p;
        k.length = n;
    } else {
        k.owned = QString::fromUtf8(p, n).toUpper().toUtf8();
        k.text = k.owned.constData();
        k.length = k.owned.size();
    }
    return k;
}

// Numbers rank before text, so that every column, mixed or not, has one consistent order.
int compareKeys(const SortKey& a, const SortKey& b)
{
    if (a.numeric != b.numeric)
        return a.numeric ? -1 : 1;
    if (a.numeric)
        return a.number < b.number ? -1 : (b.number < a.number ? 1 : 0);
    const int d = memcmp(a.text, b.text, size_t(std::min(a.length, b.length)));
    if (d != 0)
        return d;
    return a.length < b.length ? -1 : (b.length < a.length ? 1 : 0);
}

const CellText& cell(const Column& c, qsizetype row) { return c.first[row * c.stride]; }

} // namespace

int compare(QByteArrayView a, QByteArrayView b) { return compareKeys(keyOf(a.data(), a.size()), keyOf(b.data(), b.size())); }

std::vector<int> order(int rows, const std::vector<Column>& keys)
{
    const qsizetype n = rows, k = qsizetype(keys.size());
    // A column whose texts repeat (states, cities) is ranked first: its distinct texts are sorted
    // once and every row gets the rank of its text, so that rows compare by integers. A column of
    // mostly different texts (branch names) keeps one sort key per row instead.
    std::vector<std::vector<quint32>> ranks(k);
    std::vector<std::vector<SortKey>> direct(k);
    std::vector<int> widths(k);   // bits of each ranked column's highest rank
    int bits = 0;
    bool allRanked = true;
    for (qsizetype j = 0; j < k; ++j) {
        std::unordered_map<std::string_view, quint32> index;
        std::vector<std::string_view> distinct;
        std::vector<quint32> rank(n);
        // More distinct texts than a quarter of the rows (a column of names), and ranking would
        // cost more than it saves. (The first rows alone cannot tell: a column of 5,000 areas
        // repeated over 132,000 rows starts with a thousand different ones.)
        const qsizetype limit = n / 4 + 16;
        bool tooMany = false;
        for (int r = 0; r < n && !tooMany; ++r) {
            const CellText& c = cell(keys[j], r);
            const std::string_view text(keys[j].text + c.offset, c.length);
            const auto [it, added] = index.try_emplace(text, quint32(distinct.size()));
            if (added)
                distinct.push_back(text);
            rank[r] = it->second;
            tooMany = qsizetype(distinct.size()) > limit;
        }
        if (tooMany) {
            direct[j].reserve(n);
            for (int r = 0; r < n; ++r)
                direct[j].push_back(keyOf(keys[j].text + cell(keys[j], r).offset, cell(keys[j], r).length));
            allRanked = false;
            continue;
        }
        std::vector<SortKey> sorted;
        sorted.reserve(distinct.size());
        for (const std::string_view& t : distinct)
            sorted.push_back(keyOf(t.data(), qsizetype(t.size())));
        std::vector<quint32> byKey(distinct.size());
        std::iota(byKey.begin(), byKey.end(), 0);
        std::sort(byKey.begin(), byKey.end(), [&sorted](quint32 a, quint32 b) { return compareKeys(sorted[a], sorted[b]) < 0; });
        // Texts whose keys are equal ("abc", "ABC") share a rank.
        std::vector<quint32> dense(distinct.size());
        quint32 next = 0;
        for (size_t i = 0; i < byKey.size(); ++i) {
            if (i > 0 && compareKeys(sorted[byKey[i - 1]], sorted[byKey[i]]) != 0)
                ++next;
            dense[byKey[i]] = next;
        }
        for (quint32& v : rank)
            v = dense[v];
        ranks[j] = std::move(rank);
        widths[j] = std::max(1, int(std::bit_width(next)));
        bits += widths[j];
    }
    std::vector<int> rowOrder(static_cast<size_t>(n));
    std::iota(rowOrder.begin(), rowOrder.end(), 0);
    if (allRanked && bits <= 64) {
        // All ranks packed into one number per row; equal numbers keep their rows' order.
        std::vector<std::pair<quint64, int>> packed(n);
        for (int r = 0; r < n; ++r) {
            quint64 v = 0;
            for (qsizetype j = 0; j < k; ++j)
                v = (widths[j] >= 64 ? 0 : v << widths[j]) | ranks[j][r];
            packed[r] = {v, r};
        }
        std::sort(packed.begin(), packed.end());
        for (int r = 0; r < n; ++r)
            rowOrder[r] = packed[r].second;
    } else {
        std::stable_sort(rowOrder.begin(), rowOrder.end(), [&ranks, &direct, k](int a, int b) {
            for (qsizetype j = 0; j < k; ++j) {
                if (!direct[j].empty()) {
                    if (const int d = compareKeys(direct[j][a], direct[j][b]))
                        return d < 0;
                } else if (ranks[j][a] != ranks[j][b]) {
                    return ranks[j][a] < ranks[j][b];
                }
            }
            return false;
        });
    }
    return rowOrder;
}

} // namespace qel::gridsort
