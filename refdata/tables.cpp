#include "refdata/tables.h"

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
                    "MICR"};
const TableDef IFSC{"TmpIFSC_Master",
                    " (BankNm Varchar(255), IFSCCode Varchar(50), BankBr Varchar(255), Centre Varchar(255), "
                    "District Varchar(255), StateN Varchar(255), BankAdd Varchar(255))",
                    "IFSC"};
const TableDef BankBSR{"TmpBnkBSR_Master",
                       " (StateN Varchar(255), City Varchar(255), BankNm Varchar(255), BankBr Varchar(255), BSRCode Varchar(10))",
                       "BANKBSR"};
const TableDef BankNodal{"TmpBSR_Master",
                         " (Sr Int(11), BankNm Varchar(255), BankBSR Varchar(10), BankBr Varchar(255), NodalBSR Varchar(10), "
                         "NodalBr Varchar(255))",
                         "BANKNODAL"};
const TableDef PANAO{"TmpPANAO_Master", kAoColumns, "PANAO"};
const TableDef TANAO{"TmpTANAO_Master", kAoColumns, "TANAO"};
const TableDef Dist{"TmpDist_Master", " (Sr Int(11), City1 Varchar(100), City2 Varchar(100), Distance Varchar(100))", "DIST"};
const TableDef ISD{"TmpISD_Master", " (Sr Int(11), Country Varchar(100), City Varchar(100), ISDCode Varchar(100))", "ISD"};
const TableDef STD{"TmpSTD_Master", " (Sr Int(11), StateN Varchar(100), City Varchar(100), STDCode Varchar(100))", "STD"};
const TableDef PIN{"TmpPIN_Master",
                   " (Sr Int(11), StateN Varchar(100), City Varchar(100), Area Varchar(100), PinCode Varchar(10))", "PIN"};
const TableDef TINFC{"TmpTINFCs_Master",
                     " (StateN Varchar(255), City Varchar(255), TINFCCode Varchar(50), Facilitator Varchar(255), "
                     "ContName Varchar(255), ContAddr Varchar(255), PhNos Varchar(255), FaxNos Varchar(255), "
                     "EmailIds Varchar(255))",
                     "TINFC"};
const TableDef Range[4] = {
    {"TmpRngAO0_Master",
     " (Sr Int(11), StateN Varchar(100), City Varchar(100), Area Varchar(100), PinCode Varchar(10), Locality Varchar(100), "
     "RngCode Varchar(10))",
     "SVT_LOC"},
    {"TmpRngAO1_Master", QEL_OFFICE_COLUMNS("RngCode"), "SVT_RNG"},
    {"TmpRngAO2_Master", QEL_OFFICE_COLUMNS("ComCode"), "SVT_COM"},
    {"TmpRngAO3_Master", QEL_OFFICE_COLUMNS("DivCode"), "SVT_DIV"},
};

const TableDef& panTan(bool pan) { return pan ? PANAO : TANAO; }

} // namespace qel::Tables
