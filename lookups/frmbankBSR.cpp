// BSR code of a bank branch by state, city and bank. The city and bank lists are always
// filtered by the lists above them, even when those are empty.
#include "component/windowregistry.h"
#include "lookups/lookupdialog.h"

namespace qel {
namespace {
const LookupSpec kSpec{
    .name = "frmbankBSR",
    .title = "Bank Branch Code Search",
    .table = &Tables::BankBSR,
    .lists = {
        {"Combo1", "Label2", "State", "StateN", "Select distinct StateN from %T Order by StateN", ListSpec::TableOpen, true, "StateN='", 1},
        {"Combo2", "Label3", "City", "City", "Select distinct City from %T Where StateN='%1' order by City", ListSpec::TableOpen, true,
         "City='", 2},
        {"Combo3", "Label4", "Bank Name", "BankNm", "Select distinct BankNm from %T Where StateN='%1' and City='%2' Order by BankNm",
         ListSpec::TableOpen, true, "BankNm='", 3},
    },
    .columns = {
        {"State", "StateN", 960, Qt::AlignLeft},
        {"City", "City", 960, Qt::AlignLeft},
        {"Bank Name", "BankNm", 960, Qt::AlignLeft},
        {"Bank Branch", "BankBr", 1140, Qt::AlignLeft},
        {"BSR Code", "BSRCode", 960, Qt::AlignHCenter},
    },
    .searchBy = {{"State", "StateN like "}, {"City", "City like "}, {"Bank Name", "BankNm like "}, {"Bank Branch", "BankBr like "},
                 {"BSR Code", "BSRCode like "}},
    .sortKeys = {1, 2, 3, 4, 5},
    .resultSlots = {3, 4, 5},
    .preselect = {2},
    .trimSearchValue = false,
    .completionRefills = false,
};

class frmbankBSR : public LookupDialog {
    Q_OBJECT
public:
    frmbankBSR() : LookupDialog(kSpec) {}
    Q_INVOKABLE void LoadData(const QString& Bank) { loadData({Bank}); }
};

const RegisterWindow reg("frmbankBSR", [] { return new frmbankBSR; });
} // namespace
} // namespace qel

#include "frmbankBSR.moc"
