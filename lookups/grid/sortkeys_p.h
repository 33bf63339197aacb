#pragma once
// The keys the grid sorts by: shared by the sort (gridsort.cpp) and by the keys a fill gathers
// as its cells come in (sortkeys.cpp). Not part of the grid's interface.
#include "lookups/grid/gridsort.h"
#include <QByteArray>
#include <QtEndian>
#include <algorithm>
#include <cstring>
#include <string_view>
#include <vector>

namespace qel::gridsort::detail {

// A cell's sort key: numbers by value; other text by its upper-case UTF-8 bytes (whose order is
// the code points' order). Plain upper-case ASCII, most of the data, is used where it lies.
struct SortKey {
    bool numeric = false;
    double number = 0;
    const char* text = nullptr;
    qsizetype length = 0;
    QByteArray owned;   // the upper-case form, when it differs from the cell's bytes
};

bool startsLikeNumber(const char* p, qsizetype n);
bool numberOf(const char* p, qsizetype n, double* v);
SortKey keyOf(const char* p, qsizetype n);
int compareKeys(const SortKey& a, const SortKey& b);
int compareCells(const char* a, qsizetype na, const char* b, qsizetype nb);
quint64 prefixKey(const char* p, qsizetype n);
quint64 hashOf(QByteArrayView text);
int rankTexts(const std::vector<std::string_view>& texts, std::vector<quint32>* dense);

inline char asciiUpper(char c) { return c >= 'a' && c <= 'z' ? char(c - 32) : c; }
inline qsizetype stored(const Column& c, qsizetype row) { return c.rows ? c.rows[row] : row; }
inline const CellText& cell(const Column& c, qsizetype row) { return c.first[stored(c, row) * c.stride]; }

// Whether n bytes at a and b agree, n from sizeof(W) to twice that: by their first and their
// last sizeof(W) bytes, which overlap.
template <typename W>
inline bool sameEnds(const char* a, const char* b, size_t n)
{
    W a1, a2, b1, b2;
    std::memcpy(&a1, a, sizeof(W));
    std::memcpy(&a2, a + n - sizeof(W), sizeof(W));
    std::memcpy(&b1, b, sizeof(W));
    std::memcpy(&b2, b + n - sizeof(W), sizeof(W));
    return ((a1 ^ b1) | (a2 ^ b2)) == 0;
}

// Whether n bytes at a and b agree: short texts (most cells) without a call.
inline bool sameBytes(const char* a, const char* b, size_t n)
{
    if (n > 16)
        return std::memcmp(a, b, n) == 0;
    if (n >= 8)
        return sameEnds<quint64>(a, b, n);
    if (n >= 4)
        return sameEnds<quint32>(a, b, n);
    for (size_t i = 0; i < n; ++i)
        if (a[i] != b[i])
            return false;
    return true;
}

// Eight ASCII bytes in upper case, all at once (bytes from 0x80 stay as they are).
inline quint64 upperAscii8(quint64 x)
{
    constexpr quint64 ones = 0x0101010101010101ull, high = ones * 0x80;
    const quint64 low7 = x & ~high;
    const quint64 atLeastA = low7 + ones * (0x80 - 'a');     // bit 7 set in bytes from 'a' on
    const quint64 pastZ = low7 + ones * (0x80 - 'z' - 1);    // bit 7 set in bytes after 'z'
    return x ^ ((atLeastA & ~pastZ & ~x & high) >> 2);
}

// The keys of plainKeys from sixteen bytes readable at p, of a text of n bytes that does not
// start like a number: bytes 0-7 and 7-14 read at once, those past n cleared.
inline bool plainFrom16(const char* p, qsizetype n, quint64* prefix, quint64* next)
{
    const auto keep = [](qsizetype bytes) { return bytes >= 8 ? ~quint64(0) : bytes <= 0 ? 0 : ~(~quint64(0) >> (8 * bytes)); };
    const quint64 a = qFromBigEndian<quint64>(p) & keep(n), b = qFromBigEndian<quint64>(p + 7) & keep(n - 7);
    if ((a | b) & 0x8080808080808080ull)
        return false;
    *prefix = (quint64(1) << 63) | (upperAscii8(a) >> 8);
    *next = upperAscii8(b);
    return true;
}

// For a plain ASCII text (not a number), both keys from its first fifteen bytes: its
// prefixKey, and the upper-case bytes 7 to 14 that follow those; false for any other text.
inline bool plainKeys(const char* p, qsizetype n, quint64* prefix, quint64* next)
{
    if (startsLikeNumber(p, n))
        return false;
    char bytes[16] = {};
    std::memcpy(bytes, p, size_t(std::min<qsizetype>(n, 15)));
    return plainFrom16(bytes, n, prefix, next);
}

// plainKeys for a text with sixteen bytes readable from p, whatever its length (the grid keeps
// that much room after its texts), without copying them first.
inline bool paddedPlainKeys(const char* p, qsizetype n, quint64* prefix, quint64* next)
{
    if (n > 0 && (p[0] < 'A' || p[0] > 'z') && startsLikeNumber(p, n))
        return false;
    return plainFrom16(p, n, prefix, next);
}

// Bytes known to known + 7 of the text whose plainKeys these are (known <= 7).
inline quint64 bytesFrom(quint64 prefix, quint64 next, int known)
{
    return ((prefix << 8) << (8 * known)) | (next >> (8 * (7 - known)));
}

// More distinct texts than a quarter of the rows (a column of names), and numbering them costs
// more than it saves. (The first rows alone cannot tell: a column of 5,000 areas repeated over
// 132,000 rows starts with a thousand different ones.)
inline qsizetype distinctLimit(qsizetype rows) { return rows / 4 + 16; }

} // namespace qel::gridsort::detail
