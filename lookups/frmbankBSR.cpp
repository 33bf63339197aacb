// BSR code of a bank branch by state, city and bank. The city and bank lists are always
// filtered by the lists above them, even when those are empty.
#include "lookups/dialogs.h"
#include "lookups/lookupdialog.h"

namespace qel {
namespace {
const LookupSpec kSpec{
    .name = "frmbankBSR",
    .title = "Bank Branch Code Search",
    .table = &Tables::BankBSR,
    .lists = {
        trimmedStateList(),
        trimmedCityList(),
        {.combo = "Combo3", .label = "Label4", .caption = "Bank Name", .field = "BankNm",
         .query = "Select distinct BankNm from %T Where StateN='%1' and City='%2' Order by BankNm",
         .trimArgs = true, .column = "BankNm", .hides = 3},
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
    .codeColumns = {5},
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
    using LookupWindow::LoadData;
    void LoadData(const QString& Bank) override { loadData({Bank}); }
};

} // namespace

std::unique_ptr<LookupWindow> make_frmbankBSR() { return std::make_unique<frmbankBSR>(); }
} // namespace qel

#include "frmbankBSR.moc"
