// STD codes by state and district (browse only).
#include "lookups/dialogs.h"
#include "lookups/lookupdialog.h"

namespace qel {
namespace {
const LookupSpec kSpec{
    .name = "frmstd",
    .title = "STD Code Search",
    .table = &Tables::STD,
    .lists = {
        {.combo = "Combo1", .label = "Label2", .caption = "State", .field = "StateN",
         .query = "Select distinct StateN from %T Order by StateN", .column = "StateN", .hides = 1},
        {.combo = "Combo2", .label = "Label3", .caption = "District", .field = "City",
         .query = "Select distinct City from %T Where StateN='%1' order by City", .column = "City", .hides = 2},
    },
    .columns = {
        {"State", "StateN", 960, Qt::AlignLeft},
        {"City", "City", 960, Qt::AlignLeft},
        {"STD Code", "stdcode", 960, Qt::AlignRight},
    },
    .searchBy = {{"State", "StateN like "}, {"District", "City like "}, {"STD Code", "STDcode like "}},
    .codeColumns = {3},
    .sortKeys = {1, 2, 3},
    .setupInInitData = true,
};
} // namespace

std::unique_ptr<LookupWindow> make_frmstd() { return std::make_unique<LookupDialog>(kSpec); }
} // namespace qel
