#pragma once
#include <QString>

namespace qel {

// A reference table: its name, the column list appended to "Create Table If Not Exists " + name,
// and the data resource it is loaded from. The expected row count is the resource's record count.
struct TableDef {
    const char* name;
    const char* columns;
    const char* resource;
};

namespace Tables {
extern const TableDef MICR, IFSC, BankBSR, BankNodal, PANAO, TANAO, Dist, ISD, STD, PIN, TINFC;
extern const TableDef Range[4];   // TmpRngAO0_Master .. TmpRngAO3_Master
const TableDef& panTan(bool pan);
}

} // namespace qel
