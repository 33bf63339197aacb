// PIN codes by state, city and area (browse only).
#include "lookups/dialogs.h"
#include "lookups/lookupdialog.h"

namespace qel {
namespace {
const LookupSpec kSpec{
    .name = "frmpin",
    .title = "Pin Code Search",
    .table = &Tables::PIN,
    .lists = {
        {.combo = "Combo1", .label = "Label2", .caption = "State", .field = "StateN",
         .query = "Select distinct StateN from %T Order by StateN", .column = "StateN", .hides = 1},
        {.combo = "Combo2", .label = "Label3", .caption = "City", .field = "City",
         .query = "Select distinct City from %T Where StateN='%1' order by City", .column = "City", .hides = 2},
        // Not distinct: an area with several PIN codes is listed once for each.
        {.combo = "Combo3", .label = "Label4", .caption = "Area", .field = "Area",
         .query = "Select * from %T Where StateN='%1' and City='%2' Order by Area", .column = "Area", .hides = 3},
    },
    .columns = {
        {"State", "StateN", 960, Qt::AlignLeft},
        {"City", "City", 960, Qt::AlignLeft},
        {"Area", "Area", 960, Qt::AlignLeft},
        {"Pin Code", "pincode", 960, Qt::AlignRight},
    },
    .searchBy = {{"State", "StateN like "}, {"City", "City like "}, {"Area", "Area like "}, {"Pin Code", "Pincode like "}},
    .codeColumns = {4},
    .sortKeys = {1, 2, 3, 4},
    .setupInInitData = true,
};
} // namespace

std::unique_ptr<LookupWindow> make_frmpin() { return std::make_unique<LookupDialog>(kSpec); }
} // namespace qel
