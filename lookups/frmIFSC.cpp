// IFSC code of a bank branch: four cascading lists, each below the first filtered by every
// list above it that holds a value.
#include "component/windowregistry.h"
#include "lookups/lookupdialog.h"

namespace qel {
namespace {
const LookupSpec kSpec{
    .name = "frmIFSC",
    .title = "IFSC Code Search",
    .table = &Tables::IFSC,
    .lists = {
        {"Combo1", "Label2", "State", "StateN", "Select distinct StateN from %T Order by StateN", ListSpec::TableOpen, false, "StateN='", 1},
        {"Combo2", "Label3", "District", "District", "Select distinct District from %T%F order by District", ListSpec::FilterNotEmpty,
         false, "District='", 2},
        {"Combo3", "Label4", "Centre", "Centre", "Select distinct Centre from %T%F order by Centre", ListSpec::FilterNotEmpty, false,
         "Centre='", 3},
        {"Combo4", "Label8", "Bank Name", "BankNm", "Select distinct BankNm from %T%F Order by BankNm", ListSpec::FilterNotEmpty,
         false, "BankNm='", 4, false, false},
    },
    .columns = {
        {"State", "StateN", 960, Qt::AlignLeft},
        {"District", "District", 675, Qt::AlignLeft},
        {"Centre", "Centre", 960, Qt::AlignLeft},
        {"Bank Name", "BankNm", 960, Qt::AlignLeft},
        {"Bank Branch", "BankBr", 1140, Qt::AlignLeft},
        {"IFSC Code", "IFSCCode", 960, Qt::AlignHCenter},
        {"Address", "BankAdd", 960, Qt::AlignLeft},
    },
    .searchBy = {{"State", "StateN like "}, {"District", "District like "}, {"Centre", "Centre like "}, {"Bank Name", "BankNm like "},
                 {"Bank Branch", "BankBr like "}, {"IFSC Code", "IFSCCode like "}, {"Bank Address", "BankAdd like "}},
    .sortKeys = {1, 2, 3, 4, 5, 6},
    .resultSlots = {6},
    .preselect = {1, 3},
    .trimSearchValue = false,
    .searchCombo = "Combo5",
    .criteriaCombo = "Combo6",
    .completionRefills = false,
};

class frmIFSC : public LookupDialog {
    Q_OBJECT
public:
    frmIFSC() : LookupDialog(kSpec) {}
    Q_INVOKABLE void LoadData(const QString& District, const QString& Bank) { loadData({District, Bank}); }
};

const RegisterWindow reg("frmIFSC", [] { return new frmIFSC; });
} // namespace
} // namespace qel

#include "frmIFSC.moc"
