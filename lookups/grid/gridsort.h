#pragma once
#include <QByteArrayView>
#include <QtGlobal>
#include <vector>

namespace qel::gridsort {

// A cell of the grid: where its UTF-8 text lies in the grid's one text buffer.
struct CellText {
    quint32 offset = 0;
    quint32 length = 0;
};

// One key column: row r's cell is first[r * stride], its text in text.
struct Column {
    const char* text;
    const CellText* first;
    qsizetype stride;
};

// The grid's order of two texts: numbers before text, numbers by value, text by its upper-case
// form (without regard to case). Negative, zero or positive.
int compare(QByteArrayView a, QByteArrayView b);

// The rows in their new order, by the key columns (primary first), each ascending; rows whose
// keys are all equal keep their order. The same order as stable sorts by the last key, then the
// one before, down to the first.
std::vector<int> order(int rows, const std::vector<Column>& keys);

} // namespace qel::gridsort
