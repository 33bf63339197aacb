// TIN facilitation centres (browse only). Phone, fax and e-mail lists are cleaned for display;
// wide columns are capped and rows grow to show them on several lines.
#include "lookups/dialogs.h"
#include "lookups/grid/flexgrid.h"
#include "lookups/lookupdialog.h"
#include <cmath>

namespace qel {

QString RemoveExtraSpaces(QString text)
{
    for (;;) {
        // Trim leading and trailing spaces (spaces only).
        qsizetype b = 0, e = text.size();
        while (b < e && text[b] == u' ')
            ++b;
        while (e > b && text[e - 1] == u' ')
            --e;
        text = text.mid(b, e - b);
        if (!text.contains(QStringLiteral("  ")))
            return text;
        text.replace(QStringLiteral("  "), QStringLiteral(" "));
    }
}

// Numbers separated by "/", a number beginning with 0 or 9 on a line of its own.
QString cleanPhoneList(const QString& field)
{
    QString t = field;
    t.replace(QStringLiteral(" - "), QStringLiteral("-"))
        .replace(u',', u'/')
        .replace(QStringLiteral(" /"), QStringLiteral("/"))
        .replace(QStringLiteral("/ "), QStringLiteral("/"));
    t = RemoveExtraSpaces(t);
    return t.replace(QStringLiteral("/0"), QStringLiteral("\n0")).replace(QStringLiteral("/9"), QStringLiteral("\n9"));
}

// One address a line.
QString cleanEmailList(const QString& field)
{
    QString t = field;
    t.replace(u',', u';').replace(QStringLiteral(" ;"), QStringLiteral(";")).replace(QStringLiteral("; "), QStringLiteral(";"));
    return RemoveExtraSpaces(t).replace(u';', u'\n');
}

namespace {
const LookupSpec kSpec{
    .name = "frmtinfc",
    .title = "TIN Facilitation Center Search",
    .table = &Tables::TINFC,
    .lists = {
        trimmedStateList(),
        trimmedCityList(),
        {.combo = "Combo3", .label = "Label4", .caption = "Facilitator", .field = "Facilitator",
         .query = "Select distinct Facilitator from %T Where StateN='%1' and City='%2' Order by Facilitator",
         .trimArgs = true, .column = "Facilitator", .hides = 4},
    },
    .columns = {
        {"State", "StateN", 960, Qt::AlignLeft},
        {"City", "City", 960, Qt::AlignLeft},
        {"TIN FC Code", "TINFCCode", 960, Qt::AlignHCenter},
        {"Facilitator", "Facilitator", 1140, Qt::AlignLeft},
        {"Contact Person", "ContName", 960, Qt::AlignLeft},
        {"Contact Address", "ContAddr", 960, Qt::AlignLeft},
        {"Phone Nos.", "PhNos", 960, Qt::AlignLeft},
        {"Fax Nos.", "FaxNos", 960, Qt::AlignLeft},
        {"Email Address", "EmailIds", 960, Qt::AlignLeft},
    },
    .searchBy = {{"State", "StateN like "}, {"City", "City like "}, {"TIN FC Code", "TINFCCode like "}, {"Facilitator", "Facilitator like "},
                 {"Contact Person", "ContName like "}, {"Address", "ContAddr like "}, {"Tel Nos", "PhNos like "},
                 {"Fax Nos", "FaxNos like "}, {"Email", "EmailIds like "}},
    .codeColumns = {3},
    .sortKeys = {1, 2, 4},
    .setupInInitData = true,
    .trimSearchValue = false,
};

// Widest a column may be, as a fraction of the grid's width.
const struct {
    int col;
    double fraction;
} kCaps[] = {{3, 0.08}, {4, 0.15}, {5, 0.15}, {6, 0.28}, {7, 0.16}, {8, 0.16}, {9, 0.22}};

class frmtinfc : public LookupDialog {
public:
    frmtinfc() : LookupDialog(kSpec) {}

protected:
    void fillRow(Recordset& rs, int row) override
    {
        LookupDialog::fillRow(rs, row);
        for (int c : {7, 8})
            vsf->setTextMatrix(row, c, cleanPhoneList(vsf->textMatrix(row, c)));
        vsf->setTextMatrix(row, 9, cleanEmailList(vsf->textMatrix(row, 9)));
    }

    void loadSrNo() override
    {
        vsf->gridModel()->numberRows(0);
        vsf->setWordWrapOn(false);
        vsf->autoSizeColumns(0, vsf->cols() - 1);
        for (const auto& cap : kCaps) {
            const int w = int(std::nearbyint(vsf->width() * cap.fraction));
            if (vsf->columnWidth(cap.col) > w)
                vsf->setColumnWidth(cap.col, w);
        }
        vsf->setWordWrapOn(true);
        vsf->autoSizeRows();
    }
};

} // namespace

std::unique_ptr<LookupWindow> make_frmtinfc() { return std::make_unique<frmtinfc>(); }
} // namespace qel
