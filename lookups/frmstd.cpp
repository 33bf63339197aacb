// STD codes by state and district (browse only).
#include "component/windowregistry.h"
#include "lookups/lookupdialog.h"

namespace qel {
namespace {
const LookupSpec kSpec{
    .name = "frmstd",
    .title = "STD Code Search",
    .table = &Tables::STD,
    .lists = {
        {"Combo1", "Label2", "State", "StateN", "Select distinct StateN from %T Order by StateN", ListSpec::TableOpen, false, "StateN='", 1},
        {"Combo2", "Label3", "District", "City", "Select distinct City from %T Where StateN='%1' order by City", ListSpec::TableOpen,
         false, "City='", 2},
    },
    .columns = {
        {"State", "StateN", 960, Qt::AlignLeft},
        {"City", "City", 960, Qt::AlignLeft},
        {"STD Code", "stdcode", 960, Qt::AlignRight},
    },
    .searchBy = {{"State", "StateN like "}, {"District", "City like "}, {"STD Code", "STDcode like "}},
    .sortKeys = {1, 2, 3},
    .setupInInitData = true,
};
const RegisterWindow reg("frmstd", [] { return new LookupDialog(kSpec); });
} // namespace
} // namespace qel
