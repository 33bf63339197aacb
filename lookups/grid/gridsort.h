#pragma once
#include <QByteArrayView>
#include <QtGlobal>
#include <thread>
#include <vector>

namespace qel::gridsort {

// A cell of the grid: where its UTF-8 text lies in the grid's one text buffer.
struct CellText {
    quint32 offset = 0;
    quint32 length = 0;
};

// Sort keys of one column gathered while its cells were written (FillKeys): either the number
// of each row's text among the column's distinct texts, or each row's 64-bit key (the start of
// its text, or its number).
struct Prepared {
    std::vector<quint32> ids;         // per stored row, into distinct
    std::vector<CellText> distinct;
    std::vector<quint64> prefix;      // per stored row, when the texts were too many to number (0: none made)
    std::vector<quint64> next;        // with prefix: the text's next upper-case bytes, or kNotPlain
};

// Prepared::next of a text that is not plain ASCII, or is a number (no plain text's bytes reach
// 0x80).
constexpr quint64 kNotPlain = ~quint64(0);

// The prefix key of an empty text (and of nothing else that a cell of text may hold but NULs).
constexpr quint64 kEmptyPrefix = quint64(1) << 63;
// An empty text's place in a leading key: after every text's (whose seven bits below the class
// bit are 0).
constexpr quint64 kLastPrefix = ~quint64(0);

// One key column: row r's cell is first[s * stride] where s is rows[r] (or r when rows is null),
// its text in text.
struct Column {
    const char* text;
    const CellText* first;
    qsizetype stride;
    const int* rows = nullptr;
    const Prepared* prepared = nullptr;
};

// Runs f(from, to) over rows 0..n-1, the second half on another core when there are enough rows
// to be worth a thread (f must only read what both halves share).
template <typename F>
void inHalves(qsizetype n, const F& f)
{
    if (n < 32768) {
        f(qsizetype(0), n);
        return;
    }
    const std::jthread other([&f, n] { f(n / 2, n); });
    f(qsizetype(0), n / 2);
}

// A row and its sort key.
struct Keyed {
    quint64 key;
    int row;
};

// Memory a sort works in, kept by the grid from one sort to the next (as FillKeys keeps its).
struct Scratch {
    struct Run {
        quint64 group;
        qsizetype from, to;
    };
    std::vector<quint64> lead, leadTo;
    std::vector<int> rowsTo;
    std::vector<size_t> counts;
    std::vector<Keyed> keyed;
    std::vector<Run> runs;
};

// The grid's order of two texts: numbers before text, numbers by value, text by its upper-case
// form (without regard to case). Negative, zero or positive.
int compare(QByteArrayView a, QByteArrayView b);

// The rows in their new order, by the key columns (primary first), each ascending by compare()
// but with empty texts last; rows whose keys are all equal keep their order. The same order as
// stable sorts by the last key, then the one before, down to the first.
void order(int rows, const std::vector<Column>& keys, Scratch& scratch, std::vector<int>& out);
inline std::vector<int> order(int rows, const std::vector<Column>& keys)
{
    Scratch scratch;
    std::vector<int> out;
    order(rows, keys, scratch, out);
    return out;
}

// Gathers the sort keys of the key columns while a fill writes them, so that the sort after the
// fill starts from keys already made, made while the rows were still arriving. A column whose
// texts repeat (cities, banks) has them numbered as they come, and each text is stored once: a
// cell whose text was seen before shares the first one's bytes. A column of mostly different
// texts (branch names) keeps each row's 64-bit key instead.
//
// The keys' memory is kept from one fill to the next: a large buffer allocated afresh costs a
// page fault per 4 KiB, which on a virtual machine is more than the work done in it.
class FillKeys {
public:
    // Starts gathering for these columns of a fill of about rows rows. The texts passed as base
    // must have sixteen readable bytes after every cell (an empty one at 0 among them).
    void start(const std::vector<int>& columns, int rows);
    // Gathering ends (the memory stays).
    void clear()
    {
        m_count = 0;
        m_keyOf.clear();
    }
    // The key number of a grid column, or -1.
    int keyOf(int column) const
    {
        return column >= 0 && size_t(column) < m_keyOf.size() && m_keyOf[size_t(column)] >= 0 && !m_keys[size_t(m_keyOf[size_t(column)])].off
                   ? m_keyOf[size_t(column)]
                   : -1;
    }
    // A cell of the same text as text stored before in this key column, or nullptr.
    const CellText* find(int key, const char* base, QByteArrayView text) const;
    // A key column's cell, stored in stored row row; same is what find gave for its text.
    void record(int key, int row, const char* base, const CellText& cell, const CellText* same);
    // Rows from count on are gone.
    void truncate(int count);
    // The keys of these columns for stored rows 0..rows-1 (cells: the first column of row 0),
    // completed where a cell was never written; empty when they were not gathered for exactly
    // these columns, and nullptr for a column whose keys were not gathered. Gathering ends; the
    // keys stay until the next start.
    std::vector<const Prepared*> finish(const std::vector<int>& columns, int rows, const char* base, const CellText* cells,
                                        qsizetype stride);

private:
    static constexpr quint32 kNone = 0xffffffffu;
    struct Key {
        int column = -1;
        bool numbered = true;   // texts still numbered (else prefixes)
        bool off = false;       // not gathered: an earlier key column ends the leading key
        qsizetype limit = 0;    // more distinct texts than this, and prefixes take over
        qsizetype rows = 0;     // of this fill
        qsizetype prefixRows = 0;   // of the fill that found the texts too many to number
        quint32 last = kNone;   // the distinct text recorded last
        bool repeats = false;   // and the one before it was the same
        std::vector<quint32> table;   // open addressing: distinct number + 1; a power of two
        Prepared keys;
    };
    void toPrefixes(Key& k, const char* base);
    static void place(Key& k, const char* base, quint32 id);
    static void rehash(Key& k, const char* base);
    static void setPrefix(Key& k, size_t row, const char* base, const CellText& cell);
    std::vector<Key> m_keys;    // the first m_count in use
    size_t m_count = 0;
    std::vector<int> m_keyOf;   // grid column -> key number, or -1
};

} // namespace qel::gridsort
