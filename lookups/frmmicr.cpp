#include "lookups/frmmicr.h"
#include "component/windowregistry.h"

namespace qel {

namespace {
const LookupSpec kSpec{
    .name = "frmmicr",
    .title = "MICR Code Search",
    .table = &Tables::MICR,
    .lists = {
        {"Combo1", "Label2", "City", "City", "Select distinct City from %T Order by City", ListSpec::TableOpen, false, "City='", 1},
        {"Combo2", "Label4", "Bank Name", "Bank", "Select distinct Bank from %T Where City='%1' order by Bank", ListSpec::TableOpen,
         false, "Bank='", 2},
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
    .sortKeys = {1, 2, 3},
    .resultSlots = {2, 3, 4, 5, 6},
    .preselect = {1, 0},
};

const RegisterWindow reg("frmmicr", [] { return new frmmicr; });
} // namespace

frmmicr::frmmicr(QWidget* parent) : LookupDialog(kSpec, parent) {}

} // namespace qel
