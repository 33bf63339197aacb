#pragma once
#include <QString>
#include <QStringList>
#include <QVector>

namespace qel {

// A reference table: its name, the column list appended to "Create Table If Not Exists " + name,
// and the data resource it is loaded from. The expected row count is the resource's record count.
// listIndex names the columns the lookups narrow it by, in the order of their lists, which the
// table is indexed on so that the lists fill without reading the whole table.
struct TableDef {
    const char* name;
    const char* columns;
    const char* resource;
    const char* listIndex = nullptr;
    // The columns that make the table's code, indexed so that a code is found without a scan.
    const char* codeIndex = nullptr;
};

// One column of a table, as its column list declares it.
struct ColumnDef {
    enum Type { Int, Varchar, LongText };
    QString name;
    Type type = Varchar;
    int width = 0;   // Varchar(n): at most n characters
};

namespace Tables {
extern const TableDef MICR, IFSC, BankBSR, BankNodal, PANAO, TANAO, Dist, ISD, STD, PIN, TINFC;
extern const TableDef Range[4];   // TmpRngAO0_Master .. TmpRngAO3_Master
const TableDef& panTan(bool pan);
// Every reference table, in the order of the data resources.
QVector<const TableDef*> all();
// The table a resource is loaded into ("MICR" -> TmpMICR_Master); nullptr for an unknown type.
const TableDef* forResource(const QString& type);

QVector<ColumnDef> columns(const TableDef& table);
// What keeps a record with these values (in column order, as text) out of the table, which the
// server loads all or nothing: a missing or extra field, a number that is not one, a text longer
// than its column. Empty when the record fits.
QString checkRecord(const TableDef& table, const QStringList& values);
} // namespace Tables

} // namespace qel
