#include "lookups/grid/sortkeys_p.h"
#include <QRandomGenerator>
#include <QString>
#include <algorithm>
#include <bit>
#include <cstring>
#include <numeric>

namespace qel::gridsort {

namespace detail {

bool startsLikeNumber(const char* p, qsizetype n)
{
    qsizetype i = 0;
    while (i < n && (p[i] == ' ' || p[i] == '\t'))
        ++i;
    return i < n && ((p[i] >= '0' && p[i] <= '9') || p[i] == '-' || p[i] == '+' || p[i] == '.');
}

// A text read as a number (leading and trailing blanks aside), when it starts like one.
bool numberOf(const char* p, qsizetype n, double* v)
{
    if (!startsLikeNumber(p, n))
        return false;
    bool ok = false;
    *v = QByteArray::fromRawData(p, n).trimmed().toDouble(&ok);
    return ok;
}

SortKey keyOf(const char* p, qsizetype n)
{
    SortKey k;
    if (numberOf(p, n, &k.number)) {
        k.numeric = true;
        return k;
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

// compare() without building keys for the common case of two ASCII texts that are not numbers.
int compareCells(const char* a, qsizetype na, const char* b, qsizetype nb)
{
    if (!startsLikeNumber(a, na) && !startsLikeNumber(b, nb)) {
        const qsizetype n = std::min(na, nb);
        qsizetype i = 0;
        for (; i < n; ++i) {
            if (uchar(a[i]) >= 0x80 || uchar(b[i]) >= 0x80)
                break;
            const char x = asciiUpper(a[i]), y = asciiUpper(b[i]);
            if (x != y)
                return uchar(x) < uchar(y) ? -1 : 1;
        }
        if (i == n) {
            bool ascii = true;
            for (qsizetype j = n; j < std::max(na, nb) && ascii; ++j)
                ascii = uchar(na > nb ? a[j] : b[j]) < 0x80;
            if (ascii)
                return na < nb ? -1 : (nb < na ? 1 : 0);
        }
    }
    return compareKeys(keyOf(a, na), keyOf(b, nb));
}

// A cell's key in 64 bits whose order agrees with compare() wherever two keys differ: the class
// in the top bit (numbers first), then a number's value or the first seven bytes of the text's
// upper-case form.
quint64 prefixKey(const char* p, qsizetype n)
{
    double v = 0;
    if (numberOf(p, n, &v)) {
        if (v == 0)
            v = 0;   // -0 and 0 are one number
        quint64 bits = std::bit_cast<quint64>(v);
        bits = (bits >> 63) ? ~bits : bits | (quint64(1) << 63);   // increasing with the value
        return bits >> 1;
    }
    bool ascii = true;
    for (qsizetype i = 0; i < std::min<qsizetype>(n, 8) && ascii; ++i)
        ascii = uchar(p[i]) < 0x80;
    QByteArray upper;
    if (!ascii) {
        upper = QString::fromUtf8(p, n).toUpper().toUtf8();
        p = upper.constData();
        n = upper.size();
    }
    quint64 key = quint64(1) << 63;
    for (qsizetype i = 0; i < 7 && i < n; ++i)
        key |= quint64(uchar(asciiUpper(p[i]))) << (48 - 8 * i);
    return key;
}

// A quick hash for the tables of distinct texts. Their contents come from data files, so it is
// seeded per process: texts made to collide for one seed do not for another.
quint64 hashOf(QByteArrayView text)
{
    static const quint64 seed = QRandomGenerator::system()->generate64();
    quint64 h = (seed ^ 0x9e3779b97f4a7c15ull) ^ quint64(text.size());
    const char* p = text.data();
    qsizetype n = text.size();
    for (; n >= 8; p += 8, n -= 8) {
        quint64 w;
        std::memcpy(&w, p, 8);
        h = (h ^ w) * 0xff51afd7ed558ccdull;
        h ^= h >> 32;
    }
    if (n > 0) {
        quint64 w = 0;
        std::memcpy(&w, p, size_t(n));
        h = (h ^ w) * 0xc4ceb9fe1a85ec53ull;
    }
    h ^= h >> 29;
    h *= 0xff51afd7ed558ccdull;
    return h ^ (h >> 32);
}

// Dense ranks of texts in the grid's order: texts whose keys are equal ("abc", "ABC") share one.
// Returns the bits the highest rank takes.
int rankTexts(const std::vector<std::string_view>& texts, std::vector<quint32>* dense)
{
    std::vector<SortKey> sorted;
    sorted.reserve(texts.size());
    for (const std::string_view& t : texts)
        sorted.push_back(keyOf(t.data(), qsizetype(t.size())));
    std::vector<quint32> byKey(texts.size());
    std::iota(byKey.begin(), byKey.end(), 0);
    // An empty text ranks last, as the grid shows rows without a value.
    std::sort(byKey.begin(), byKey.end(), [&sorted, &texts](quint32 a, quint32 b) {
        if (texts[a].empty() != texts[b].empty())
            return texts[b].empty();
        return compareKeys(sorted[a], sorted[b]) < 0;
    });
    dense->assign(texts.size(), 0);
    quint32 next = 0;
    for (size_t i = 0; i < byKey.size(); ++i) {
        if (i > 0 && compareKeys(sorted[byKey[i - 1]], sorted[byKey[i]]) != 0)
            ++next;
        (*dense)[byKey[i]] = next;
    }
    return std::max(1, int(std::bit_width(next)));
}

} // namespace detail

using namespace detail;

void FillKeys::start(const std::vector<int>& columns, int rows)
{
    clear();
    const size_t n = size_t(std::max(rows, 0));
    bool ended = false;   // an earlier key column takes prefixes: the leading key ends there
    for (const int c : columns) {
        if (c < 0)
            continue;
        if (size_t(c) >= m_keyOf.size())
            m_keyOf.resize(size_t(c) + 1, -1);
        m_keyOf[size_t(c)] = int(m_count);
        if (m_count == m_keys.size())
            m_keys.emplace_back();
        Key& k = m_keys[m_count++];
        // A column that had too many texts to number in the last fill starts with prefixes, unless
        // this fill is much larger than the one that found them too many (a search of forty rows
        // before a view-all).
        const bool prefixes = k.column == c && !k.numbered && !k.off && qsizetype(n) <= 2 * k.prefixRows;
        k.column = c;
        k.rows = qsizetype(n);
        k.off = ended;
        k.numbered = !prefixes && !ended;
        k.limit = distinctLimit(rows);
        k.last = kNone;
        k.repeats = false;
        k.keys.ids.clear();
        k.keys.distinct.clear();
        k.keys.prefix.clear();
        k.keys.next.clear();
        if (k.numbered) {
            k.table.assign(64, 0);
            k.keys.ids.assign(n, kNone);
        } else if (!k.off) {
            k.keys.prefix.assign(n, 0);
            k.keys.next.assign(n, 0);
        }
        ended = ended || prefixes;
    }
}

const CellText* FillKeys::find(int key, const char* base, QByteArrayView text) const
{
    const Key& k = m_keys[size_t(key)];
    if (!k.numbered)
        return nullptr;
    const auto same = [&](const CellText& c) {
        return c.length == text.size() && sameBytes(base + c.offset, text.data(), size_t(c.length));
    };
    // Rows often come grouped by their first columns: the text of the row before, first (while
    // that keeps being the one).
    if (k.repeats && same(k.keys.distinct[k.last]))
        return &k.keys.distinct[k.last];
    const size_t mask = k.table.size() - 1;
    for (size_t i = hashOf(text) & mask; k.table[i] != 0; i = (i + 1) & mask) {
        const CellText& c = k.keys.distinct[k.table[i] - 1];
        if (same(c))
            return &c;
    }
    return nullptr;
}

void FillKeys::toPrefixes(Key& k, const char* base)
{
    k.numbered = false;
    k.prefixRows = k.rows;
    const size_t n = k.keys.ids.size();
    k.keys.prefix.assign(n, 0);
    k.keys.next.assign(n, 0);
    for (size_t r = 0; r < n; ++r)
        if (const quint32 id = k.keys.ids[r]; id != kNone)
            setPrefix(k, r, base, k.keys.distinct[id]);
    // Kept for the next fill, these would only add to its peak: it starts with prefixes.
    std::vector<quint32>().swap(k.keys.ids);
    std::vector<CellText>().swap(k.keys.distinct);
    std::vector<quint32>().swap(k.table);
}

void FillKeys::place(Key& k, const char* base, quint32 id)
{
    const CellText& c = k.keys.distinct[id];
    const size_t mask = k.table.size() - 1;
    size_t i = hashOf(QByteArrayView(base + c.offset, c.length)) & mask;
    while (k.table[i] != 0)
        i = (i + 1) & mask;
    k.table[i] = id + 1;
}

void FillKeys::rehash(Key& k, const char* base)
{
    // The table grows with the texts, never fuller than half: a column of 35 states keeps its
    // table in the nearest cache, where one sized for the most texts a column may number would
    // miss it on nearly every row.
    k.table.assign(2 * k.table.size(), 0);
    for (quint32 id = 0; id < quint32(k.keys.distinct.size()); ++id)
        place(k, base, id);
}

void FillKeys::record(int key, int row, const char* base, const CellText& cell, const CellText* same)
{
    Key& k = m_keys[size_t(key)];
    if (k.numbered) {
        if (size_t(row) >= k.keys.ids.size())
            k.keys.ids.resize(size_t(row) + 1, kNone);
        if (same) {
            const quint32 id = quint32(same - k.keys.distinct.data());
            k.repeats = id == k.last;
            k.keys.ids[size_t(row)] = k.last = id;
            return;
        }
        k.repeats = false;
        k.keys.distinct.push_back(cell);
        k.keys.ids[size_t(row)] = k.last = quint32(k.keys.distinct.size() - 1);
        if (2 * k.keys.distinct.size() > k.table.size())
            rehash(k, base);
        else
            place(k, base, k.last);
        // Too many texts to number (distinctLimit).
        if (qsizetype(k.keys.distinct.size()) > k.limit) {
            toPrefixes(k, base);
            // The sort's leading key ends with this column; the ones after it are only compared.
            for (size_t later = size_t(key) + 1; later < m_count; ++later) {
                m_keys[later].off = true;
                m_keys[later].numbered = false;
            }
        }
        return;
    }
    if (size_t(row) >= k.keys.prefix.size()) {
        k.keys.prefix.resize(size_t(row) + 1, 0);
        k.keys.next.resize(size_t(row) + 1, 0);
    }
    setPrefix(k, size_t(row), base, cell);
}

void FillKeys::setPrefix(Key& k, size_t row, const char* base, const CellText& cell)
{
    const char* p = base + cell.offset;
    quint64 prefix = 0, next = 0;
    if (!paddedPlainKeys(p, cell.length, &prefix, &next)) {
        // (a number's key is never 0 but for a NaN no text reads as; 0 means "not made")
        prefix = std::max<quint64>(prefixKey(p, cell.length), 1);
        next = kNotPlain;
    }
    k.keys.prefix[row] = prefix;
    k.keys.next[row] = next;
}

void FillKeys::truncate(int count)
{
    for (size_t i = 0; i < m_count; ++i) {
        Key& k = m_keys[i];
        if (k.keys.ids.size() > size_t(count))
            k.keys.ids.resize(size_t(count));
        if (k.keys.prefix.size() > size_t(count)) {
            k.keys.prefix.resize(size_t(count));
            k.keys.next.resize(size_t(count));
        }
    }
}

std::vector<const Prepared*> FillKeys::finish(const std::vector<int>& columns, int rows, const char* base, const CellText* cells,
                                              qsizetype stride)
{
    std::vector<const Prepared*> out;
    bool same = columns.size() == m_count;
    for (size_t i = 0; same && i < columns.size(); ++i)
        same = m_keys[i].column == columns[i];
    if (!same) {
        clear();
        return out;
    }
    for (size_t i = 0; i < m_count; ++i) {
        Key& k = m_keys[i];
        if (k.off) {
            out.push_back(nullptr);
            continue;
        }
        // Cells never written (a row the fill left empty) get their keys now.
        for (int r = 0; r < rows; ++r) {
            const bool missing = k.numbered ? (size_t(r) >= k.keys.ids.size() || k.keys.ids[size_t(r)] == kNone)
                                            : (size_t(r) >= k.keys.prefix.size() || k.keys.prefix[size_t(r)] == 0);
            if (!missing)
                continue;
            const CellText& c = cells[qsizetype(r) * stride + k.column];
            record(int(i), r, base, c, find(int(i), base, QByteArrayView(base + c.offset, c.length)));
        }
        if (k.numbered) {
            k.keys.ids.resize(size_t(rows));
        } else {
            k.keys.prefix.resize(size_t(rows));
            k.keys.next.resize(size_t(rows));
        }
        out.push_back(&k.keys);
    }
    clear();
    return out;
}

} // namespace qel::gridsort
