#include "lookups/frmmicr.h"
#include "lookups/dialogs.h"

namespace qel {

namespace {
const LookupSpec kSpec{
    .name = "frmmicr",
    .title = "MICR Code Search",
    .table = &Tables::MICR,
    .lists = {
        {.combo = "Combo1", .label = "Label2", .caption = "City", .field = "City",
         .query = "Select distinct City from %T Order by City", .column = "City", .hides = 1},
        {.combo = "Combo2", .label = "Label4", .caption = "Bank Name", .field = "Bank",
         .query = "Select distinct Bank from %T Where City='%1' order by Bank", .column = "Bank", .hides = 2},
    },
    .columns = {
        {"City", "City", 960, Qt::AlignLeft},
        {"Bank Name", "Bank", 960, Qt::AlignLeft},
        {"Branch", "Branch", 960, Qt::AlignLeft},
        {"City Code", "citycode", 1140, Qt::AlignHCenter},
        {"Bank Code", "bankcode", 1140, Qt::AlignHCenter},
        {"Branch Code", "branchcode", 960, Qt::AlignHCenter},
    },
    .searchBy = {{"City", "City like "}, {"Bank Name", "Bank like "}, {"Branch", "Branch like "}},
    .codeColumns = {4, 5, 6},
    .sortKeys = {1, 2, 3},
    .resultSlots = {2, 3, 4, 5, 6},
    .preselect = {1, 0},
};

} // namespace

std::unique_ptr<LookupWindow> make_frmmicr() { return std::make_unique<frmmicr>(); }

frmmicr::frmmicr(QWidget* parent) : LookupDialog(kSpec, parent) {}

} // namespace qel
