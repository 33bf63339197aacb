// ISD codes by country and city (browse only).
#include "component/windowregistry.h"
#include "lookups/lookupdialog.h"

namespace qel {
namespace {
const LookupSpec kSpec{
    .name = "frmISD",
    .title = "ISD Code Search",
    .table = &Tables::ISD,
    .lists = {
        {"Combo1", "Label2", "Country", "Country", "Select distinct Country from %T Order by Country", ListSpec::TableOpen, false,
         "Country='", 1},
        {"Combo2", "Label3", "City", "City", "Select distinct City from %T Where Country='%1' order by City", ListSpec::TableOpen,
         false, "City='", 2},
    },
    .columns = {
        {"Country", "Country", 960, Qt::AlignLeft},
        {"City", "City", 960, Qt::AlignLeft},
        {"ISD Code", "ISDcode", 960, Qt::AlignRight},
    },
    .searchBy = {{"Country", "Country like "}, {"City", "City like "}, {"ISD Code", "ISDcode like "}},
    .sortKeys = {1, 2, 3},
    .setupInInitData = true,
};
const RegisterWindow reg("frmISD", [] { return new LookupDialog(kSpec); });
} // namespace
} // namespace qel
