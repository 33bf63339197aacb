// Assessing-officer codes of a city, for PANs or for TANs: one dialog over two tables. In TAN
// mode a find row searches the remarks column of the rows shown.
#include "core/session.h"
#include "core/named.h"
#include "core/msgservice.h"
#include "lookups/dialogs.h"
#include "lookups/grid/flexgrid.h"
#include "lookups/lookupdialog.h"
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <array>
#include <cmath>

namespace qel {
namespace {
const LookupSpec kSpec{
    .name = "frmpantanao",
    .title = "PAN-AO Search",
    .table = nullptr,   // by mode
    .lists = {
        {.combo = "Combo2", .label = "Label3", .caption = "City", .field = "City",
         .query = "Select distinct City from %T order by City", .column = "City", .hides = 1},
    },
    .columns = {
        {"City", "City", 1140, Qt::AlignLeft},
        {"Ward/Circle/Range/Commissioner", "Ward", 3285, Qt::AlignLeft},
        {"Additional Description", "Descript", 1020, Qt::AlignLeft},
        {"Area Code", "areacode", 1170, Qt::AlignLeft},
        {"AO Type", "aotype", 1140, Qt::AlignLeft},
        {"Range Code", "rangecode", 1350, Qt::AlignLeft},
        {"AO Number", "aonumber", 1245, Qt::AlignLeft},
    },
    .codeColumns = {4, 5, 6, 7},
    .sortKeys = {1, 2, 4, 5, 7},   // the remarks and the range code are not sort keys
    .resultSlots = {0, 4, 5, 6, 7},
    .preselect = {0},
};

class frmpantanao : public LookupDialog {
    Q_OBJECT
public:
    frmpantanao() : LookupDialog(kSpec)
    {
        Label6 = named(new QLabel(QStringLiteral("Area/Jurisdiction"), this), "Label6");
        Label6->setGeometry(16, 120, 130, 24);
        Text1 = named(new QLineEdit(this), "Text1");
        Text1->setGeometry(150, 118, 400, 26);
        Text1->installEventFilter(this);
        Command2 = named(new QPushButton(QString::fromUtf8(kSpec.command2), this), "Command2");
        Command2->setAutoDefault(false);
        Command2->setGeometry(560, 117, 90, 28);
        connect(Command2, &QPushButton::clicked, this, [this] { Command2_Click(); });
        m_findRow = {Label6, Text1, Command2};
        for (QWidget* w : m_findRow)
            w->hide();
    }

    using LookupWindow::LoadData;
    void LoadData(bool PAN, const QString& City) override
    {
        m_pan = PAN;
        const QString word = PAN ? QStringLiteral("PAN") : QStringLiteral("TAN");
        for (QWidget* w : m_findRow)
            w->setEnabled(!PAN);
        Label1->setText(word + QStringLiteral("-AO Code Search"));
        setWindowTitle(Label1->text());
        vsf->setTextMatrix(0, 3, PAN ? QStringLiteral("Description") : QStringLiteral("Remarks (City Area/Jurisdiction)"));
        loadData({City});
    }

    void Command1_Click() override
    {
        LOADGRID();
        Text1->clear();
        for (QWidget* w : m_findRow)
            w->setVisible(w->isEnabled());
    }

    // Finds the typed word in the remarks column from the row after the current one, wrapping to
    // the top once, and highlights it inside the cell.
    void Command2_Click() override
    {
        const QString w = Text1->text().trimmed().toUpper();
        if (w.isEmpty()) {
            MessageService::inform(ClsObj, this, QStringLiteral("Please Enter Area/Jurisdiction to Search."));
            Text1->setFocus();
            return;
        }
        int start = vsf->row() + 1;
        for (;;) {
            for (int r = start; r < vsf->rows(); ++r) {
                const qsizetype at = vsf->textMatrix(r, 3).toUpper().indexOf(w);
                if (at >= 0) {
                    vsf->editCell(r, 3, int(at), int(w.size()));
                    return;
                }
            }
            if (start == 1) {
                MessageService::inform(ClsObj, this, QStringLiteral("No Match Found."));
                return;
            }
            start = 1;
        }
    }

protected:
    const TableDef* tableDef() const override { return &Tables::panTan(m_pan); }

    void afterFill() override
    {
        if (vsf->rows() >= 2)
            vsf->setCellFontSize(1, 3, vsf->rows() - 1, 3, vsf->fontSize() * 0.8);
    }

    void loadSrNo() override
    {
        vsf->gridModel()->numberRows(0);
        vsf->autoSizeColumns(0, vsf->cols() - 1);   // limited by the cap of an earlier run
        vsf->setColWidthMax(int(std::lround(vsf->width() * 0.4)));
        vsf->setWordWrapOn(true);
        vsf->autoSizeRows();
    }

private:
    bool m_pan = true;
    std::array<QWidget*, 3> m_findRow{};   // Label6, Text1, Command2
};

} // namespace

std::unique_ptr<LookupWindow> make_frmpantanao() { return std::make_unique<frmpantanao>(); }
} // namespace qel

#include "frmpantanao.moc"
