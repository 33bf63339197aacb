// Bank branches with their BSR codes and nodal branches (browse only). BSR codes show with seven
// digits; rows stay in the table's load order.
#include "lookups/dialogs.h"
#include "lookups/grid/flexgrid.h"
#include "lookups/lookupdialog.h"

namespace qel {

// A numeric code as a seven-digit number with leading zeros (210181 -> 0210181); anything
// else unchanged.
QString sevenDigits(const QString& code)
{
    bool ok = false;
    const double v = code.trimmed().toDouble(&ok);
    if (!ok || code.trimmed().isEmpty())
        return code;
    const qint64 n = qRound64(v);
    return n < 0 ? QStringLiteral("-") + QString::number(-n).rightJustified(7, u'0') : QString::number(n).rightJustified(7, u'0');
}

namespace {
const LookupSpec kSpec{
    .name = "frmNodalBank",
    .title = "Bank BSR && Nodal Bank BSR Code Search",
    .table = &Tables::BankNodal,
    .lists = {
        {.combo = "Combo1", .label = "Label2", .caption = "Bank Name", .field = "BankNm",
         .query = "Select distinct BankNm from %T Order by BankNm", .column = "BankNm", .hides = 1},
    },
    .columns = {
        {"Bank Name", "BankNm", 960, Qt::AlignLeft},
        {"BSR Code", "BankBSR", 960, Qt::AlignHCenter},
        {"Branch", "BankBr", 960, Qt::AlignLeft},
        {"Nodal Bank BSR", "NodalBSR", 960, Qt::AlignHCenter},
        {"Nodal Bank Branch", "NodalBr", 1140, Qt::AlignLeft},
    },
    .searchBy = {{"Bank Name", "BankNm like "}, {"BSR Code", "BankBSR like "}, {"Branch", "BankBr like "}},
    .codeColumns = {2, 4},
    .setupInInitData = true,
};

class frmNodalBank : public LookupDialog {
public:
    frmNodalBank() : LookupDialog(kSpec) {}

protected:
    void fillRow(Recordset& rs, int row) override
    {
        LookupDialog::fillRow(rs, row);
        for (int c : {2, 4})
            vsf->setTextMatrix(row, c, sevenDigits(vsf->textMatrix(row, c)));
    }
};

} // namespace

std::unique_ptr<LookupWindow> make_frmNodalBank() { return std::make_unique<frmNodalBank>(); }
} // namespace qel
