// PIN codes by state, city and area (browse only).
#include "component/windowregistry.h"
#include "lookups/lookupdialog.h"

namespace qel {
namespace {
const LookupSpec kSpec{
    .name = "frmpin",
    .title = "Pin Code Search",
    .table = &Tables::PIN,
    .lists = {
        {"Combo1", "Label2", "State", "StateN", "Select distinct StateN from %T Order by StateN", ListSpec::TableOpen, false, "StateN='", 1},
        {"Combo2", "Label3", "City", "City", "Select distinct City from %T Where StateN='%1' order by City", ListSpec::TableOpen, false,
         "City='", 2},
        // Not distinct: an area with several PIN codes is listed once for each.
        {"Combo3", "Label4", "Area", "Area", "Select * from %T Where StateN='%1' and City='%2' Order by Area", ListSpec::TableOpen,
         false, "Area='", 3},
    },
    .columns = {
        {"State", "StateN", 960, Qt::AlignLeft},
        {"City", "City", 960, Qt::AlignLeft},
        {"Area", "Area", 960, Qt::AlignLeft},
        {"Pin Code", "pincode", 960, Qt::AlignRight},
    },
    .searchBy = {{"State", "StateN like "}, {"City", "City like "}, {"Area", "Area like "}, {"Pin Code", "Pincode like "}},
    .sortKeys = {1, 2, 3, 4},
    .setupInInitData = true,
};
const RegisterWindow reg("frmpin", [] { return new LookupDialog(kSpec); });
} // namespace
} // namespace qel
