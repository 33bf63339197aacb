#include "refdata/tables.h"
#include <QRegularExpression>

namespace qel::Tables {

namespace {
constexpr const char* kAoColumns = " (City Varchar(255), Ward Varchar(255), Descript LongText, AreaCode Varchar(255), "
                                   "AOType Varchar(255), RangeCode Varchar(255), AONumber Varchar(255))";
#define QEL_OFFICE_COLUMNS(key)                                                                                        \
    " (" key " Varchar(10), Nm Varchar(255), Address Varchar(255), District Varchar(255), PinCode Varchar(255), "      \
    "Phone1 Varchar(255), Phone2 Varchar(255), Fax1 Varchar(255), Fax2 Varchar(255), Email Varchar(255))"
} // namespace

const TableDef MICR{"TmpMICR_Master",
                    " (Sr Int(11), City Varchar(100), CityCode Varchar(10), BankCode Varchar(10), BranchCode Varchar(10), "
                    "Bank Varchar(100), Branch Varchar(255))",
                    "MICR", "City, Bank", "CityCode, BankCode, BranchCode"};
const TableDef IFSC{"TmpIFSC_Master",
                    " (BankNm Varchar(255), IFSCCode Varchar(50), BankBr Varchar(255), Centre Varchar(255), "
                    "District Varchar(255), StateN Varchar(255), BankAdd Varchar(255))",
                    "IFSC", "StateN, District, Centre", "IFSCCode"};
const TableDef BankBSR{"TmpBnkBSR_Master",
                       " (StateN Varchar(255), City Varchar(255), BankNm Varchar(255), BankBr Varchar(255), BSRCode Varchar(10))",
                       "BANKBSR", "StateN, City, BankNm", "BSRCode"};
const TableDef BankNodal{"TmpBSR_Master",
                         " (Sr Int(11), BankNm Varchar(255), BankBSR Varchar(10), BankBr Varchar(255), NodalBSR Varchar(10), "
                         "NodalBr Varchar(255))",
                         "BANKNODAL", "BankNm"};
const TableDef PANAO{"TmpPANAO_Master", kAoColumns, "PANAO", "City"};
const TableDef TANAO{"TmpTANAO_Master", kAoColumns, "TANAO", "City"};
const TableDef Dist{"TmpDist_Master", " (Sr Int(11), City1 Varchar(100), City2 Varchar(100), Distance Varchar(100))", "DIST", "City1, City2"};
const TableDef ISD{"TmpISD_Master", " (Sr Int(11), Country Varchar(100), City Varchar(100), ISDCode Varchar(100))", "ISD", "Country, City", "ISDCode"};
const TableDef STD{"TmpSTD_Master", " (Sr Int(11), StateN Varchar(100), City Varchar(100), STDCode Varchar(100))", "STD", "StateN, City", "STDCode"};
const TableDef PIN{"TmpPIN_Master",
                   " (Sr Int(11), StateN Varchar(100), City Varchar(100), Area Varchar(100), PinCode Varchar(10))", "PIN", "StateN, City, Area", "PinCode"};
const TableDef TINFC{"TmpTINFCs_Master",
                     " (StateN Varchar(255), City Varchar(255), TINFCCode Varchar(50), Facilitator Varchar(255), "
                     "ContName Varchar(255), ContAddr Varchar(255), PhNos Varchar(255), FaxNos Varchar(255), "
                     "EmailIds Varchar(255))",
                     "TINFC", "StateN, City, Facilitator"};
const TableDef Range[4] = {
    {"TmpRngAO0_Master",
     " (Sr Int(11), StateN Varchar(100), City Varchar(100), Area Varchar(100), PinCode Varchar(10), Locality Varchar(100), "
     "RngCode Varchar(10))",
     "SVT_LOC", "StateN, City, Area"},
    {"TmpRngAO1_Master", QEL_OFFICE_COLUMNS("RngCode"), "SVT_RNG"},
    {"TmpRngAO2_Master", QEL_OFFICE_COLUMNS("ComCode"), "SVT_COM"},
    {"TmpRngAO3_Master", QEL_OFFICE_COLUMNS("DivCode"), "SVT_DIV"},
};

const TableDef& panTan(bool pan) { return pan ? PANAO : TANAO; }

QVector<const TableDef*> all()
{
    return {&MICR, &IFSC, &BankBSR, &BankNodal, &Dist, &ISD, &STD, &PIN, &PANAO, &TANAO, &Range[0], &Range[1], &Range[2], &Range[3], &TINFC};
}

const TableDef* forResource(const QString& type)
{
    for (const TableDef* t : all())
        if (type == QLatin1String(t->resource))
            return t;
    return nullptr;
}

QVector<ColumnDef> columns(const TableDef& table)
{
    static const QRegularExpression column(QStringLiteral("(\\w+) (Int|Varchar|LongText)(?:\\((\\d+)\\))?"),
                                           QRegularExpression::CaseInsensitiveOption);
    QVector<ColumnDef> out;
    for (auto it = column.globalMatch(QString::fromLatin1(table.columns)); it.hasNext();) {
        const auto m = it.next();
        const QString type = m.captured(2).toLower();
        out.append({m.captured(1), type == u"int" ? ColumnDef::Int : type == u"varchar" ? ColumnDef::Varchar : ColumnDef::LongText,
                    m.captured(3).toInt()});
    }
    return out;
}

QString checkRecord(const TableDef& table, const QStringList& values)
{
    const QVector<ColumnDef> cols = columns(table);
    if (values.size() != cols.size())
        return QStringLiteral("has %1 fields where the table has %2 columns").arg(values.size()).arg(cols.size());
    for (int i = 0; i < cols.size(); ++i) {
        const ColumnDef& c = cols[i];
        const QString& v = values[i];
        if (c.type == ColumnDef::Int) {
            bool ok = false;
            v.toInt(&ok);
            if (!ok)
                return QStringLiteral("%1 '%2' is not a whole number").arg(c.name, v.left(40));
        } else if (c.type == ColumnDef::Varchar && v.size() > c.width) {
            return QStringLiteral("%1 has %2 characters where its column holds %3").arg(c.name).arg(v.size()).arg(c.width);
        }
    }
    return {};
}

} // namespace qel::Tables
