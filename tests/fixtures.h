#pragma once
#include <QByteArray>
#include <QString>

namespace qel::test {

// Synthetic resources for tests and benchmarks only. Every name in them says FIXTURE; none of
// it is reference data.
QByteArray micrFixture(int rows);   // "MICR" layout, cities and banks cycling over small sets
QByteArray record(const QList<QByteArray>& quotedFields, int serial = -1);   // one record, no separator

} // namespace qel::test
