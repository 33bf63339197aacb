// IFSC code of a bank branch: four cascading lists, each below the first filtered by every
// list above it that holds a value.
#include "lookups/dialogs.h"
#include "lookups/lookupdialog.h"

namespace qel {
namespace {
const LookupSpec kSpec{
    .name = "frmIFSC",
    .title = "IFSC Code Search",
    .table = &Tables::IFSC,
    .lists = {
        {.combo = "Combo1", .label = "Label2", .caption = "State", .field = "StateN",
         .query = "Select distinct StateN from %T Order by StateN", .column = "StateN", .hides = 1},
        {.combo = "Combo2", .label = "Label3", .caption = "District", .field = "District",
         .query = "Select distinct District from %T%F order by District",
         .run = ListSpec::FilterNotEmpty, .column = "District", .hides = 2},
        {.combo = "Combo3", .label = "Label4", .caption = "Centre", .field = "Centre",
         .query = "Select distinct Centre from %T%F order by Centre",
         .run = ListSpec::FilterNotEmpty, .column = "Centre", .hides = 3},
        {.combo = "Combo4", .label = "Label8", .caption = "Bank Name", .field = "BankNm",
         .query = "Select distinct BankNm from %T%F Order by BankNm",
         .run = ListSpec::FilterNotEmpty, .column = "BankNm", .hides = 4, .fillChains = false, .clickRefills = false},
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
    .codeColumns = {6},
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
    using LookupWindow::LoadData;
    void LoadData(const QString& District, const QString& Bank) override { loadData({District, Bank}); }
};

} // namespace

std::unique_ptr<LookupWindow> make_frmIFSC() { return std::make_unique<frmIFSC>(); }
} // namespace qel

#include "frmIFSC.moc"
