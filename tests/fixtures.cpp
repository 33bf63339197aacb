#include "tests/fixtures.h"
#include <QList>

namespace qel::test {

QByteArray record(const QList<QByteArray>& fields, int serial)
{
    QByteArray r;
    if (serial >= 0)
        r += QByteArray::number(serial);
    for (const QByteArray& f : fields) {
        if (!r.isEmpty() || serial >= 0)
            r += ',';
        r += '"' + f + '"';
    }
    return r;
}

QByteArray micrFixture(int rows)
{
    QByteArray out;
    out.reserve(rows * 80);
    for (int i = 1; i <= rows; ++i) {
        const QByteArray city = "FIXTURE CITY " + QByteArray::number(i % 97);
        const QByteArray bank = "FIXTURE BANK " + QByteArray::number(i % 13);
        out += record({city, QByteArray::number(100 + i % 97), QByteArray::number(i % 13).rightJustified(3, '0'),
                       QByteArray::number(i % 1000).rightJustified(3, '0'), bank, "FIXTURE BRANCH " + QByteArray::number(i)},
                      i);
        out += char(0xA6);
    }
    return out;
}

} // namespace qel::test
