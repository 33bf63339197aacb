// Distances between two cities. Each search adds its rows below those of earlier searches,
// until Clear empties the grid (browse only). The shipped distances are straight-line ones; the
// dialog's data line says so.
#include "core/msgservice.h"
#include "core/named.h"
#include "lookups/dialogs.h"
#include "lookups/grid/flexgrid.h"
#include "lookups/lookupdialog.h"
#include <QComboBox>
#include <QPushButton>

namespace qel {
namespace {
const LookupSpec kSpec{
    .name = "frmDistance",
    .title = "Distance Search",
    .table = &Tables::Dist,
    .lists = {
        {.combo = "Combo1", .label = "Label2", .caption = "City From", .field = "City1",
         .query = "Select distinct City1 from %T Order by City1", .clickRefills = false},
        {.combo = "Combo2", .label = "Label3", .caption = "To", .field = "City2",
         .query = "Select distinct City2 from %T Order by City2", .fillChains = false, .clickRefills = false},
    },
    .columns = {
        {"City From", "city1", 960, Qt::AlignLeft},
        {"To City", "city2", 960, Qt::AlignLeft},
        {"Distance (Km.)", "distance", 960, Qt::AlignRight},
    },
    .codeColumns = {3},
    .setupInInitData = true,
};

class frmDistance : public LookupDialog {
public:
    frmDistance() : LookupDialog(kSpec)
    {
        Command2 = named(new QPushButton(QStringLiteral("&Clear"), this), "Command2");
        Command2->setAutoDefault(false);
        Command2->setGeometry(Command1->geometry().translated(0, Command1->height() + 10));
        connect(Command2, &QPushButton::clicked, this, [this] { Command2_Click(); });
    }

    void Command2_Click() override { resetGrid(); }

    void Command1_Click() override
    {
        for (QComboBox* c : m_lists)
            if (c->currentText().isEmpty()) {
                MessageService::inform(ClsObj, this, QStringLiteral("Please select a City."));
                c->setFocus();
                c->showPopup();
                return;
            }
        if (m_table.isEmpty()) {
            MessageService::inform(ClsObj, this, QStringLiteral("No Record Found."));
            loadSrNo();   // a fill numbers and sizes the grid itself
        } else {
            fillGrid(Sql(QStringLiteral("Select * from ") + m_table + QStringLiteral(" Where "))
                         .append(Sql::equals(QStringLiteral("City1"), listText(0)))
                         .code(QStringLiteral(" and "))
                         .append(Sql::equals(QStringLiteral("City2"), listText(1))),
                     "LOADGRID", true);
            if (vsf->rows() >= 2) {
                for (QComboBox* c : m_lists) {
                    c->setCurrentIndex(-1);
                    c->setEditText(QString());
                }
            } else {
                MessageService::inform(ClsObj, this, QStringLiteral("No Record Found."));
            }
        }
        m_lists[0]->setFocus();
    }
};

} // namespace

std::unique_ptr<LookupWindow> make_frmDistance() { return std::make_unique<frmDistance>(); }
} // namespace qel
