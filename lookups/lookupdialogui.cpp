#include "lookups/lookupdialog.h"
#include "core/msgservice.h"
#include "core/named.h"
#include "lookups/frminstalllist.h"
#include "lookups/grid/flexgrid.h"
#include "refdata/csvimport.h"
#include "refdata/resourcestore.h"
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>

// The lookup dialog's controls, made and placed; and what it says about its data.
namespace qel {

namespace {

constexpr int W = 980, H = 640, margin = 16;   // the dialog's design size and its margin
constexpr int goWidth = 90;                      // the two search buttons

QPixmap closePicture()
{
    QPixmap p(22, 22);
    p.fill(Qt::transparent);
    QPainter g(&p);
    g.setRenderHint(QPainter::Antialiasing);
    g.setPen(QPen(QColor(150, 20, 20), 3, Qt::SolidLine, Qt::RoundCap));
    g.drawLine(5, 5, 17, 17);
    g.drawLine(17, 5, 5, 17);
    return p;
}

QPushButton* button(QWidget* parent, const char* name, const char* caption)
{
    auto* b = named(new QPushButton(QString::fromUtf8(caption), parent), name);
    b->setAutoDefault(false);
    return b;
}

QComboBox* list(QWidget* parent, const char* name, bool editable)
{
    auto* c = named(new QComboBox(parent), name);
    c->setEditable(editable);
    if (editable) {
        c->setInsertPolicy(QComboBox::NoInsert);
        c->setCompleter(nullptr);   // completion is the dialog's own (auto-completion on key release)
    }
    c->setMaxVisibleItems(20);
    return c;
}

} // namespace

LookupDialog::LookupDialog(const LookupSpec& spec, QWidget* parent) : LookupWindow(parent), m_spec(spec)
{
    setObjectName(QString::fromLatin1(m_spec.name));
    setWindowTitle(QString::fromUtf8(m_spec.title).replace(QStringLiteral("&&"), QStringLiteral("&")));
    setFixedSize(W, H);
    buildHeader();
    buildLists();
    buildAdvancedSearch();
    buildGrid();
    buildFooter();
}

void LookupDialog::buildHeader()
{
    Label1 = named(new QLabel(windowTitle(), this), "Label1");
    QFont tf(QStringLiteral("Courier New"), 16, QFont::Bold);
    tf.setStyleHint(QFont::Monospace);
    Label1->setFont(tf);
    Label1->setGeometry(margin, 8, W - 80, 30);

    Image1 = named(new QLabel(this), "Image1");
    Image1->setProperty("Picture", true);
    Image1->setPixmap(closePicture());
    Image1->setAlignment(Qt::AlignCenter);
    Image1->setGeometry(W - margin - 28, 8, 28, 28);
    Image1->setToolTip(QStringLiteral("Close"));
    Image1->setCursor(Qt::PointingHandCursor);
    Image1->installEventFilter(this);
}

void LookupDialog::buildLists()
{
    // The selection lists in one row, then the button that searches by them.
    const int n = int(m_spec.lists.size());
    const int listWidth = n ? (W - 2 * margin - goWidth - 12) / n : 0;
    for (int k = 0; k < n; ++k) {
        const ListSpec& l = m_spec.lists[k];
        auto* lab = named(new QLabel(QString::fromUtf8(l.caption), this), l.label);
        lab->setGeometry(margin + k * listWidth, 46, listWidth - 12, 18);
        auto* c = list(this, l.combo, true);
        c->setGeometry(margin + k * listWidth, 66, listWidth - 12, 26);
        // The list itself has the focus and receives the keys (it hands them to its text).
        c->installEventFilter(this);
        connect(c, &QComboBox::currentIndexChanged, this, [this, k](int i) {
            if (i >= 0 && !m_loadingList)
                listClicked(k);
        });
        m_listLabels << lab;
        m_lists << c;
    }
    Command1 = button(this, "Command1", m_spec.command1);
    Command1->setGeometry(W - margin - goWidth, 65, goWidth, 28);
    connect(Command1, &QPushButton::clicked, this, [this] { Command1_Click(); });
}

void LookupDialog::buildAdvancedSearch()
{
    if (!m_spec.searchBy.isEmpty()) {
        Frame1 = named(new QGroupBox(QStringLiteral("Advanced Search"), this), "Frame1");
        Frame1->setGeometry(margin, 104, W - 2 * margin, 62);
        named(new QLabel(QStringLiteral("Search by"), Frame1), "Label5")->setGeometry(12, 28, 70, 20);
        Combo4 = list(Frame1, m_spec.searchCombo, false);
        Combo4->setGeometry(84, 25, 170, 26);
        for (const SearchItem& s : m_spec.searchBy)
            Combo4->addItem(QString::fromUtf8(s.caption));
        Combo4->setCurrentIndex(-1);
        named(new QLabel(QStringLiteral("Criteria"), Frame1), "Label7")->setGeometry(272, 28, 60, 20);
        Combo5 = list(Frame1, m_spec.criteriaCombo, false);
        Combo5->setGeometry(334, 25, 160, 26);
        Combo5->addItems({QStringLiteral("Containing"), QStringLiteral("Start with"), QStringLiteral("Whole word Only")});
        Combo5->setCurrentIndex(-1);
        Label6 = named(new QLabel(QStringLiteral("Value"), Frame1), "Label6");
        Label6->setGeometry(512, 28, 44, 20);
        Text1 = named(new QLineEdit(Frame1), "Text1");
        Text1->setGeometry(558, 25, 260, 26);
        Text1->installEventFilter(this);
        Command2 = button(Frame1, "Command2", m_spec.command2);
        Command2->setGeometry(W - 2 * margin - goWidth - 12, 24, goWidth, 28);
        connect(Command2, &QPushButton::clicked, this, [this] { Command2_Click(); });
    }
}

void LookupDialog::buildGrid()
{
    const int gridTop = 178, gridBottom = H - 84;
    vsf = named(new FlexGrid(this), "vsf");
    vsf->setGeometry(margin, gridTop, W - 2 * margin, gridBottom - gridTop);
    vsf->setCols(int(m_spec.columns.size()) + 1);
    vsf->setTextMatrix(0, 0, QStringLiteral("Sr. No."));
    vsf->setColAlignment(0, Qt::AlignHCenter);
    vsf->setColWidthTwips(0, 960);
    for (int c = 0; c < m_spec.columns.size(); ++c) {
        vsf->setTextMatrix(0, c + 1, QString::fromUtf8(m_spec.columns[c].header));
        vsf->setColAlignment(c + 1, m_spec.columns[c].align);
        vsf->setColWidthTwips(c + 1, m_spec.columns[c].widthTwips);
    }
    vsf->setCodeColumns(m_spec.codeColumns);
    vsf->setExportName(QString::fromLatin1(m_spec.table ? m_spec.table->resource : m_spec.name));
    connect(vsf, &FlexGrid::AfterSort, this, [this] { loadSrNo(); });
    connect(vsf, &FlexGrid::rowPicked, this, [this] {
        if (!cmdselect->isHidden())
            cmdselect_Click();
    });

    pb = named(new QProgressBar(this), "pb");
    pb->setGeometry(margin + 40, (gridTop + gridBottom) / 2 - 12, W - 2 * margin - 80, 24);
    pb->hide();
}

void LookupDialog::buildFooter()
{
    cmdselect = button(this, "cmdselect", "&Select");
    cmdselect->setGeometry(W - margin - 2 * 110 - 10, H - 44, 110, 32);
    connect(cmdselect, &QPushButton::clicked, this, [this] { cmdselect_Click(); });
    cmdback = button(this, "cmdback", kBackCaption);
    cmdback->setGeometry(W - margin - 110, H - 44, 110, 32);
    connect(cmdback, &QPushButton::clicked, this, [this] { cmdback_Click(); });
    if (m_spec.resultSlots.isEmpty())
        cmdselect->hide();

    lblRows = named(new QLabel(this), "lblRows");
    lblRows->setTextFormat(Qt::PlainText);
    lblRows->setGeometry(margin, H - 44, 260, 32);
    // Where the data comes from, small, under the grid.
    lblData = named(new QLabel(this), "lblData");
    lblData->setTextFormat(Qt::PlainText);
    lblData->setWordWrap(true);
    lblData->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    QFont small = lblData->font();
    small.setPointSizeF(small.pointSizeF() * 0.85);
    lblData->setFont(small);
    lblData->setStyleSheet(QStringLiteral("QLabel { color: #555555; }"));
    lblData->setGeometry(margin, H - 80, W - 2 * margin, 34);
}

void LookupDialog::showRowCount()
{
    const int n = vsf->rows() - 1;
    lblRows->setText(QLocale(QLocale::English, QLocale::UnitedStates).toString(n) + (n == 1 ? QStringLiteral(" row") : QStringLiteral(" rows")));
}

void LookupDialog::describeData(const TableDef& table)
{
    lblData->setText(ResourceStore::description(QString::fromLatin1(table.resource)));
}

void LookupDialog::noteIfNotInstalled(const TableDef& table)
{
    describeData(table);
    const QString type = QString::fromLatin1(table.resource);
    if (ResourceStore::recordCount(type) > 0) {
        if (m_noData) {
            m_noData->hide();
            m_installList->hide();
        }
        return;
    }
    const bool installable = !CsvImport::fields(type).isEmpty();
    if (!m_noData) {
        m_noData = named(new QLabel(this), "lblNoData");
        m_noData->setWordWrap(true);
        m_noData->setTextFormat(Qt::PlainText);
        m_noData->setAlignment(Qt::AlignCenter);
        m_noData->setStyleSheet(QStringLiteral("QLabel { background: #fff8dc; border: 1px solid #c8b560; padding: 8px; }"));
        m_noData->setGeometry(vsf->x() + 60, vsf->y() + 60, vsf->width() - 120, 90);
        m_installList = button(this, "cmdInstallList", "&Install a list...");
        m_installList->setGeometry(vsf->x() + vsf->width() / 2 - 80, vsf->y() + 160, 160, 30);
        connect(m_installList, &QPushButton::clicked, this, [this, &table] { installList(table); });
    }
    m_noData->setText(QStringLiteral("This list is not installed, so there is nothing to search yet.\n"
                                     "An administrator can install the official list from a CSV file%1.")
                          .arg(installable ? QStringLiteral(" with \"Install a list...\" below, or with the qelrefdesk-import tool")
                                           : QStringLiteral(" with the qelrefdesk-import tool")));
    m_noData->show();
    m_noData->raise();
    m_installList->setVisible(installable);
    m_installList->raise();
}

void LookupDialog::installList(const TableDef& table)
{
    frmInstallList w(ClsObj, QString::fromLatin1(table.resource), windowTitle(), this);
    if (w.exec() != QDialog::Accepted)
        return;
    // The table is loaded anew from the installed list, and the lists show its values.
    setupTables("LOADDATA");
    if (!m_lists.isEmpty())
        LoadCombo(0);
    resetGrid();
    MessageService::inform(ClsObj, this, QStringLiteral("%1 records installed.").arg(w.installedRecords()));
}

} // namespace qel
