// ISD codes by country and city (browse only).
#include "lookups/dialogs.h"
#include "lookups/lookupdialog.h"

namespace qel {
namespace {
const LookupSpec kSpec{
    .name = "frmISD",
    .title = "ISD Code Search",
    .table = &Tables::ISD,
    .lists = {
        {.combo = "Combo1", .label = "Label2", .caption = "Country", .field = "Country",
         .query = "Select distinct Country from %T Order by Country", .column = "Country", .hides = 1},
        {.combo = "Combo2", .label = "Label3", .caption = "City", .field = "City",
         .query = "Select distinct City from %T Where Country='%1' order by City", .column = "City", .hides = 2},
    },
    .columns = {
        {"Country", "Country", 960, Qt::AlignLeft},
        {"City", "City", 960, Qt::AlignLeft},
        {"ISD Code", "ISDcode", 960, Qt::AlignRight},
    },
    .searchBy = {{"Country", "Country like "}, {"City", "City like "}, {"ISD Code", "ISDcode like "}},
    .codeColumns = {3},
    .sortKeys = {1, 2, 3},
    .setupInInitData = true,
};
} // namespace

std::unique_ptr<LookupWindow> make_frmISD() { return std::make_unique<LookupDialog>(kSpec); }
} // namespace qel
