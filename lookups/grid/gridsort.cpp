#include "lookups/grid/gridsort.h"
#include "lookups/grid/sortkeys_p.h"
#include <algorithm>
#include <bit>
#include <numeric>
#include <string_view>

namespace qel::gridsort {

using namespace detail;

namespace {

// A column's texts numbered (ids, per row) and the rank of each number in the grid's order.
struct Ranks {
    std::vector<quint32> local;      // per row, when counted here
    const quint32* ids = nullptr;    // per stored row, when gathered during the fill
    std::vector<quint32> dense;
    int bits = 0;                    // bits the highest rank takes
    quint32 of(const Column& col, qsizetype row) const { return dense[ids ? ids[stored(col, row)] : local[size_t(row)]]; }
};

// The ranks of a column's texts; or nothing when the column has too many different texts for
// ranking to pay.
bool rankColumn(const Column& col, qsizetype n, Ranks* out)
{
    const Prepared* p = col.prepared;
    if (p && !p->ids.empty()) {
        std::vector<std::string_view> texts;
        texts.reserve(p->distinct.size());
        for (const CellText& c : p->distinct)
            texts.emplace_back(col.text + c.offset, c.length);
        out->bits = rankTexts(texts, &out->dense);
        out->ids = p->ids.data();
        return true;
    }
    if (p && !p->prefix.empty())
        return false;   // its texts were too many
    const qsizetype limit = distinctLimit(n);
    // The distinct texts found so far, found again through an open-addressed table of their
    // numbers + 1 (sized for the limit, so that it never fills up).
    std::vector<std::string_view> distinct;
    const size_t tableSize = std::bit_ceil(size_t(2 * limit + 2));
    std::vector<quint32> table(tableSize, 0);
    out->local.assign(size_t(n), 0);
    for (qsizetype r = 0; r < n; ++r) {
        const CellText& c = cell(col, r);
        const std::string_view text(col.text + c.offset, c.length);
        size_t i = hashOf(QByteArrayView(text.data(), qsizetype(text.size()))) & (tableSize - 1);
        while (table[i] != 0 && distinct[table[i] - 1] != text)
            i = (i + 1) & (tableSize - 1);
        if (table[i] == 0) {
            distinct.push_back(text);
            table[i] = quint32(distinct.size());
            if (qsizetype(distinct.size()) > limit) {
                out->local = {};
                return false;
            }
        }
        out->local[size_t(r)] = table[i] - 1;
    }
    out->bits = rankTexts(distinct, &out->dense);
    return true;
}

// Sorts n leading keys (and their rows alongside) ascending, keeping rows of equal keys in
// their order: eleven bits at a time, least significant first, skipping digits that all share
// (the counts of all six digits are taken in one pass).
void radixSort(std::vector<quint64>& lead, std::vector<int>& rows, Scratch& s)
{
    constexpr int kBits = 11, kDigits = (64 + kBits - 1) / kBits, kSize = 1 << kBits;
    const size_t n = lead.size();
    s.counts.assign(size_t(kDigits) * (kSize + 1), 0);
    for (const quint64 v : lead)
        for (int d = 0; d < kDigits; ++d)
            ++s.counts[size_t(d) * (kSize + 1) + ((v >> (kBits * d)) & (kSize - 1)) + 1];
    s.leadTo.resize(n);
    s.rowsTo.resize(n);
    for (int d = 0; d < kDigits; ++d) {
        size_t* const start = s.counts.data() + size_t(d) * (kSize + 1);
        if (std::find(start + 1, start + kSize + 1, n) != start + kSize + 1)
            continue;
        for (int b = 0; b < kSize; ++b)
            start[b + 1] += start[b];
        const int shift = kBits * d;
        for (size_t i = 0; i < n; ++i) {
            const size_t to = start[(lead[i] >> shift) & (kSize - 1)]++;
            s.leadTo[to] = lead[i];
            s.rowsTo[to] = rows[i];
        }
        lead.swap(s.leadTo);
        rows.swap(s.rowsTo);
    }
}

// (an object, not a function, so that std::sort inlines it)
constexpr auto byKeyThenRow = [](const Keyed& x, const Keyed& y) { return x.key != y.key ? x.key < y.key : x.row < y.row; };

// Sorts rows whose texts in col agree up to byte at - 8 and whose key holds their bytes
// [at - 8, at) in upper case: by key, and where that is equal by the eight bytes after it, and
// so on; texts equal to their end (or not plain ASCII) by before.
template <typename Before>
void sortTies(Keyed* b, Keyed* e, qsizetype at, const Column& col, const Before& before)
{
    std::sort(b, e, byKeyThenRow);
    for (Keyed* g = b; g < e;) {
        Keyed* h = g + 1;
        while (h < e && h->key == g->key)
            ++h;
        if (h - g > 1) {
            bool plain = true, ended = true;
            for (Keyed* t = g; t < h && plain; ++t) {
                const CellText& c = cell(col, t->row);
                const char* p = col.text + c.offset;
                ended = ended && c.length <= at;
                quint64 v = 0;
                for (qsizetype i = at; i < at + 8; ++i) {
                    const char ch = i < c.length ? p[i] : '\0';
                    plain = plain && uchar(ch) < 0x80;
                    v = (v << 8) | uchar(asciiUpper(ch));
                }
                t->key = v;
            }
            if (!plain || ended)
                std::sort(g, h, [&before](const Keyed& x, const Keyed& y) { return before(x.row, y.row); });
            else
                sortTies(g, h, at + 8, col, before);
        }
        g = h;
    }
}

} // namespace

int compare(QByteArrayView a, QByteArrayView b) { return compareCells(a.data(), a.size(), b.data(), b.size()); }

namespace {

// Each row's one 64-bit leading key: the ranks of the first key columns whose texts repeat
// (states, cities), then as much of the next column as fits (a column of names gives the start
// of its text, a repeating one its rank).
struct Leading {
    std::vector<quint64>& lead;
    qsizetype compareFrom;   // the first column the leading key holds only in part
    int known = -1;          // the bytes of that column's text the leading key holds, when it holds its start
    int low = 64;            // the bits below the ranks of the columns it holds in full
};

// Puts the column's ranks into the leading keys, as many of their bits as there is room for;
// whether all fitted.
bool addRanks(Leading& l, const Column& col, const Ranks& ranks, int& room)
{
    const int used = std::min(ranks.bits, room), dropped = ranks.bits - used;
    for (size_t r = 0; r < l.lead.size(); ++r)
        l.lead[r] = (l.lead[r] << used) | (ranks.of(col, qsizetype(r)) >> dropped);
    room -= used;
    return dropped == 0;
}

// Fills the rest of the leading keys with the start of the column's texts.
void addPrefixes(Leading& l, const Column& col, int room)
{
    const Prepared* p = col.prepared && !col.prepared->prefix.empty() ? col.prepared : nullptr;
    for (size_t r = 0; r < l.lead.size(); ++r) {
        quint64 v = 0;
        if (p) {
            v = p->prefix[size_t(stored(col, qsizetype(r)))];
            if (v == kEmptyPrefix && cell(col, qsizetype(r)).length == 0)
                v = kLastPrefix;
        } else {
            const CellText& c = cell(col, qsizetype(r));
            v = c.length == 0 ? kLastPrefix : prefixKey(col.text + c.offset, c.length);
        }
        v >>= 64 - room;
        l.lead[r] = room == 64 ? v : (l.lead[r] << room) | v;
    }
    // A text's key is its class bit, seven bits unused, then its bytes.
    l.known = room >= 8 ? (room - 8) / 8 : 0;
}

Leading leadingKeys(qsizetype n, const std::vector<Column>& keys, std::vector<quint64>& lead)
{
    const qsizetype k = qsizetype(keys.size());
    lead.assign(size_t(n), 0);
    Leading l{lead, k};
    int room = 64;
    for (qsizetype j = 0; j < k; ++j) {
        l.low = room;
        if (room == 0) {
            l.compareFrom = j;
            break;
        }
        Ranks ranks;
        if (rankColumn(keys[size_t(j)], n, &ranks)) {
            if (addRanks(l, keys[size_t(j)], ranks, room))
                continue;
        } else {
            addPrefixes(l, keys[size_t(j)], room);
        }
        l.compareFrom = j;
        break;
    }
    if (l.compareFrom == k)
        l.low = 0;   // every key column in full
    return l;
}

// Sorts rows by key, and rows of equal keys by their places (they come in ascending order):
// insertion where they are few (most groups), which keeps them in place without comparing rows.
void sortSmall(Keyed* b, Keyed* e)
{
    if (e - b > 24) {
        std::sort(b, e, byKeyThenRow);
        return;
    }
    for (Keyed* i = b + 1; i < e; ++i) {
        const Keyed v = *i;
        Keyed* j = i;
        for (; j > b && j[-1].key > v.key; --j)
            *j = j[-1];
        *j = v;
    }
}

// Sorts the rows by their leading keys as radixSort does, where they come in runs that agree
// on the ranks the keys hold in full (data stored in the order of its codes comes grouped by
// city and bank): the runs are ordered, and then the rows of each group by the rest of their
// keys. The rows must be in their first order (0, 1, 2 ...). False, and nothing done, when the
// runs are too many for that to pay.
bool sortRuns(std::vector<quint64>& lead, std::vector<int>& rows, int low, Scratch& s)
{
    if (low >= 64)
        return false;
    const qsizetype n = qsizetype(lead.size());
    qsizetype count = n > 0 ? 1 : 0;
    for (qsizetype r = 1; r < n; ++r)
        count += lead[size_t(r)] >> low != lead[size_t(r - 1)] >> low;
    if (count > n / 4)
        return false;
    s.runs.clear();
    for (qsizetype r = 0; r < n;) {
        const quint64 group = lead[size_t(r)] >> low;
        qsizetype end = r + 1;
        while (end < n && lead[size_t(end)] >> low == group)
            ++end;
        s.runs.push_back({group, r, end});
        r = end;
    }
    std::sort(s.runs.begin(), s.runs.end(),
              [](const Scratch::Run& a, const Scratch::Run& b) { return a.group != b.group ? a.group < b.group : a.from < b.from; });
    // The rows of a group are gathered in their first order, so that sorting them by key and
    // then position keeps rows of equal keys as they were.
    s.keyed.resize(size_t(n));
    Keyed* to = s.keyed.data();
    for (size_t i = 0; i < s.runs.size();) {
        Keyed* const start = to;
        size_t j = i;
        for (; j < s.runs.size() && s.runs[j].group == s.runs[i].group; ++j)
            for (qsizetype r = s.runs[j].from; r < s.runs[j].to; ++r)
                *to++ = {lead[size_t(r)], int(r)};
        if (low > 0 && to - start > 1)
            sortSmall(start, to);
        i = j;
    }
    for (qsizetype r = 0; r < n; ++r) {
        lead[size_t(r)] = s.keyed[size_t(r)].key;
        rows[size_t(r)] = s.keyed[size_t(r)].row;
    }
    return true;
}

// Rows in the order of their texts from the first column the leading key does not hold in
// full (empty ones last), then of their positions.
struct TextOrder {
    const std::vector<Column>& keys;
    qsizetype from;
    bool operator()(int a, int b) const
    {
        for (size_t j = size_t(from); j < keys.size(); ++j) {
            const CellText &x = cell(keys[j], a), &y = cell(keys[j], b);
            if (x.offset == y.offset && x.length == y.length)
                continue;   // the same text
            if ((x.length == 0) != (y.length == 0))
                return y.length == 0;
            if (const int d = compareCells(keys[j].text + x.offset, x.length, keys[j].text + y.offset, y.length))
                return d < 0;
        }
        return a < b;
    }
};

// Whether a fill's keys of a text order it as its bytes do: plain text, not empty (which goes
// last).
bool orderedByKeys(const Prepared& p, size_t s) { return p.next[s] != kNotPlain && p.prefix[s] != kEmptyPrefix; }

// Orders one run [r, end) of rows with equal leading keys, which share the start of that
// column's text. Where it is plain ASCII text, its next eight bytes make a second key, read once
// per row (comparing the texts themselves reaches into memory all over the grid, in every
// comparison).
void settleRun(const Leading& l, const TextOrder& before, std::vector<int>& rowOrder, qsizetype r, qsizetype end, std::vector<Keyed>& ties)
{
    bool plain = l.known >= 0;
    ties.clear();
    const Column& col = before.keys[size_t(l.compareFrom)];
    const Prepared* p = col.prepared && !col.prepared->next.empty() ? col.prepared : nullptr;
    for (qsizetype q = r; q < end && plain; ++q) {
        const int row = rowOrder[size_t(q)];
        quint64 prefix = 0, next = 0;
        // (an empty text, which goes last, is left to the texts' order)
        if (p) {
            const size_t s = size_t(stored(col, row));
            prefix = p->prefix[s];
            next = p->next[s];
            plain = orderedByKeys(*p, s);
        } else {
            const CellText& c = cell(col, row);
            plain = c.length > 0 && plainKeys(col.text + c.offset, c.length, &prefix, &next);
        }
        ties.push_back({bytesFrom(prefix, next, l.known), row});
    }
    if (!plain) {
        std::sort(rowOrder.begin() + r, rowOrder.begin() + end, before);
        return;
    }
    sortTies(ties.data(), ties.data() + ties.size(), l.known + 8, col, before);
    for (qsizetype q = r; q < end; ++q)
        rowOrder[size_t(q)] = ties[size_t(q - r)].row;
}

// Whether a run [r, end) of rows with equal leading keys is in order already: told by the keys
// the fill made of the column's texts (their first fifteen bytes) where those differ, else by the
// texts themselves.
bool runInOrder(const Leading& l, const TextOrder& before, const std::vector<int>& rowOrder, qsizetype r, qsizetype end)
{
    const Column& col = before.keys[size_t(l.compareFrom)];
    const Prepared* p = col.prepared && !col.prepared->next.empty() ? col.prepared : nullptr;
    for (qsizetype q = r + 1; q < end; ++q) {
        const int a = rowOrder[size_t(q - 1)], b = rowOrder[size_t(q)];
        if (p) {
            const size_t sa = size_t(stored(col, a)), sb = size_t(stored(col, b));
            const quint64 pa = p->prefix[sa], pb = p->prefix[sb], na = p->next[sa], nb = p->next[sb];
            if ((pa != pb || na != nb) && orderedByKeys(*p, sa) && orderedByKeys(*p, sb)) {
                if (pa > pb || (pa == pb && na > nb))
                    return false;
                continue;
            }
        }
        if (before(b, a))
            return false;
    }
    return true;
}

// Orders every run of equal leading keys within [from, to); stored tells that the rows are in
// their first order, where most runs are likely to be in order already.
void settle(const Leading& l, const TextOrder& before, std::vector<int>& rowOrder, qsizetype from, qsizetype to, bool stored)
{
    std::vector<Keyed> ties;
    for (qsizetype r = from; r < to;) {
        qsizetype end = r + 1;
        while (end < to && l.lead[size_t(end)] == l.lead[size_t(r)])
            ++end;
        if (end - r > 1 && !(stored && runInOrder(l, before, rowOrder, r, end)))
            settleRun(l, before, rowOrder, r, end, ties);
        r = end;
    }
}

} // namespace

void order(int rows, const std::vector<Column>& keys, Scratch& scratch, std::vector<int>& rowOrder)
{
    // The rows are put in the order of their leading keys (runs of rows ordered, or a radix
    // sort, both of which keep rows with equal keys in their order); rows whose leading keys are
    // equal then compare their texts, from the first column the leading key does not hold in
    // full, and at last their positions.
    const qsizetype n = rows;
    Leading l = leadingKeys(n, keys, scratch.lead);
    rowOrder.resize(size_t(n));
    std::iota(rowOrder.begin(), rowOrder.end(), 0);
    // Data stored in the order it is shown in (the shipped data sets are) needs no moving.
    const bool stored = std::is_sorted(l.lead.begin(), l.lead.end());
    if (!stored && !sortRuns(l.lead, rowOrder, l.low, scratch))
        radixSort(l.lead, rowOrder, scratch);
    if (l.compareFrom >= qsizetype(keys.size()))
        return;
    const TextOrder before{keys, l.compareFrom};
    // Two halves that split no run of equal keys, one on another thread.
    qsizetype half = n / 2;
    while (half > 0 && half < n && l.lead[size_t(half)] == l.lead[size_t(half - 1)])
        ++half;
    if (n < 32768 || half >= n) {
        settle(l, before, rowOrder, 0, n, stored);
    } else {
        const std::jthread other([&] { settle(l, before, rowOrder, half, n, stored); });
        settle(l, before, rowOrder, 0, half, stored);
    }
}

} // namespace qel::gridsort
