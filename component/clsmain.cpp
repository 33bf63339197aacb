#include "component/clsmain.h"
#include "core/session.h"
#include "db/connection.h"
#include "lookups/find/frmfind.h"
#include "lookups/lookupwindow.h"
#include "mainwin/frmmain.h"
#include "netcfg/frmproxy.h"
#include "netcfg/httprequest.h"
#include "refdata/import.h"
#include "refdata/resourcestore.h"
#include "refdata/tables.h"
#include "refdata/tablesetup.h"
#include "verify/pantandialog.h"
#include <QElapsedTimer>
#include <QLoggingCategory>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QScrollArea>
#include <QWidget>

namespace qel {

Q_LOGGING_CATEGORY(lcFacade, "qelrefdesk.facade")

ClsMain::ClsMain(QObject* parent) : QObject(parent), m_session(new Session(this))
{
    qRegisterMetaType<qel::StrArray*>();
}

ClsMain::~ClsMain() = default;

Connection* ClsMain::Db() const { return m_session->Db(); }
QString ClsMain::DocPath() const { return m_session->DocPath(); }
void ClsMain::setDocPath(const QString& v) { m_session->setDocPath(v); }
QString ClsMain::LogFlNm() const { return m_session->LogFlNm(); }
void ClsMain::setLogFlNm(const QString& v) { m_session->setLogFlNm(v); }
float ClsMain::ScreenRatX() const { return m_session->ScreenRatX(); }
void ClsMain::setScreenRatX(float v) { m_session->setScreenRatX(v); }
float ClsMain::ScreenRatY() const { return m_session->ScreenRatY(); }
void ClsMain::setScreenRatY(float v) { m_session->setScreenRatY(v); }
float ClsMain::ScreenRatFS() const { return m_session->ScreenRatFS(); }
void ClsMain::setScreenRatFS(float v) { m_session->setScreenRatFS(v); }
QString ClsMain::Proc_Name() const { return m_session->Proc_Name(); }
void ClsMain::setProc_Name(const QString& v) { m_session->setProc_Name(v); }
QObject* ClsMain::MdiObj() const { return m_session->MdiObj(); }
void ClsMain::setMdiObj(QObject* o) { m_session->setMdiObj(o); }
QString ClsMain::PANTAN_Status() const { return m_session->PANTAN_Status(); }
void ClsMain::setPANTAN_Status(const QString& v) { m_session->setPANTAN_Status(v); }
bool ClsMain::AltProxySett() const { return m_session->AltProxySett(); }
void ClsMain::setAltProxySett(bool v) { m_session->setAltProxySett(v); }
QVector<QString> ClsMain::resultSlots() const { return m_session->resultSlots(); }

QObject* ClsMain::dbObject() const { return m_session->Db(); }

void ClsMain::setDbObject(QObject* o)
{
    if (auto* c = qobject_cast<Connection*>(o))
        m_session->setDb(c);
}

void ClsMain::DoErrorLogEntry() { m_session->DoErrorLogEntry(); }

void ClsMain::InitMe(const QString& AP, QObject* CO, const QString& LF, float SX, float SY, float SF)
{
    m_session->setDocPath(AP);
    setDbObject(CO);
    m_session->setLogFlNm(LF);
    m_session->setScreenRatios(SX, SY, SF);
    m_session->setMdiObj(nullptr);
}

void ClsMain::OutArr(short Index, const QString& vNewVal) { m_session->OutArr(Index, vNewVal); }

void ClsMain::runLookup(Lookup kind, bool needsDb, int upperBound, StrArray* InArr, const std::function<void(LookupWindow&)>& loadData)
{
    if (needsDb && !m_session->Db())
        return;
    m_session->resetSlots(upperBound);
    if (std::unique_ptr<LookupWindow> w = createLookup(kind, m_session)) {
        w->InitData(m_session);
        loadData(*w);
        w->exec();
    } else {
        qCWarning(lcFacade, "no lookup window of kind %d", int(kind));
    }
    copySlots(upperBound, InArr);
}

void ClsMain::copySlots(int upperBound, StrArray* InArr) const
{
    const QVector<QString> written = m_session->resultSlots();
    if (InArr)
        for (int i = 0; i <= upperBound; ++i)
            InArr->set(i, written.value(i));
}

void ClsMain::FindAny(StrArray* OutArr, const QString& Text)
{
    if (!m_session->Db())
        return;
    static_assert(kFindUpperBound == frmFind::kUpperBound);
    m_session->resetSlots(kFindUpperBound);
    frmFind w;
    w.InitData(m_session);
    w.setText(Text);
    w.exec();
    copySlots(kFindUpperBound, OutArr);
}

void ClsMain::GetPANTANAOCode(bool PAN, StrArray* InArr, const QString& City)
{
    runLookup(Lookup::PanTanAo, true, 4, InArr, [&](LookupWindow& d) { d.LoadData(PAN, City + u' '); });
}

void ClsMain::GetMICR(StrArray* InArr, const QString& Bank, const QString& City)
{
    runLookup(Lookup::Micr, true, 4, InArr, [&](LookupWindow& d) { d.LoadData(Bank + u' ', City + u' '); });
}

void ClsMain::GetRanges(StrArray* InArr, const QString& State, const QString& City, const QString& Area)
{
    runLookup(Lookup::SvtRanges, false, 3, InArr, [&](LookupWindow& d) { d.LoadData(State + u' ', City, Area); });
}

void ClsMain::GetBSRCode(StrArray* InArr, const QString& Bank)
{
    runLookup(Lookup::BankBsr, false, 2, InArr, [&](LookupWindow& d) { d.LoadData(Bank + u' '); });
}

void ClsMain::GetIFSCCode(StrArray* InArr, const QString& District, const QString& Bank)
{
    runLookup(Lookup::Ifsc, false, 0, InArr, [&](LookupWindow& d) { d.LoadData(District + u' ', Bank + u' '); });
}

void ClsMain::ObjMain()
{
    if (!m_session->Db())
        return;
    auto* w = new frmmain;
    w->InitData(m_session);
    w->setAttribute(Qt::WA_DeleteOnClose);
    // The window opens inside the host's frame: as a sub-window of its MDI area when it has one,
    // otherwise as a window owned by the frame.
    if (auto* frame = qobject_cast<QWidget*>(m_session->MdiObj())) {
        if (auto* area = frame->findChild<QMdiArea*>()) {
            // In a scroll area, so that every button stays within reach of a host smaller than
            // the window; the sub-window goes when the menu window closes.
            auto* scroll = new QScrollArea;
            scroll->setObjectName(QStringLiteral("scrMain"));
            scroll->setWidgetResizable(true);
            w->setMinimumSize(w->size());
            scroll->setWidget(w);
            QMdiSubWindow* sub = area->addSubWindow(scroll);
            sub->setAttribute(Qt::WA_DeleteOnClose);
            sub->setWindowTitle(w->windowTitle());
            QObject::connect(w, &QObject::destroyed, sub, &QWidget::close);
            const QSize frame = sub->size() - sub->widget()->size();
            const QSize room = area->viewport()->size();
            sub->resize(std::min(w->width() + frame.width() + 2, room.width()), std::min(w->height() + frame.height() + 2, room.height()));
            sub->move(0, 0);
            w->show();
            sub->show();
            return;
        }
        w->setParent(frame, Qt::Window);
    }
    w->show();
}

QString ClsMain::GetPanTanName(const QString& PANTAN) { return getPanTanName(m_session, PANTAN); }

void ClsMain::ImportResFlData(const QString& Tb, int Id, const QString& Typ) { importResource(*m_session, Tb, Id, Typ); }

void ClsMain::SetProxyForWHR(QObject* WHR) { setProxyForRequest(m_session, WHR); }

bool ClsMain::GetProxyForWHR(QObject* OwnFrm) { return askForProxy(m_session, qobject_cast<QWidget*>(OwnFrm)); }

void ClsMain::Resize_For_Resolution(QWidget* MyForm, bool RePosForm) { m_session->Resize_For_Resolution(MyForm, RePosForm); }

int ClsMain::PrepareData() { return PrepareData({}); }

int ClsMain::PrepareData(const std::function<void(int, int, const QString&)>& progress) { return PrepareData(progress, nullptr); }

QVector<ClsMain::DataSetReport> ClsMain::DataSets()
{
    QVector<DataSetReport> sets;
    for (const TableDef* t : Tables::all()) {
        const QString type = QString::fromLatin1(t->resource);
        sets.append({type, QString::fromLatin1(t->name), ResourceStore::recordCount(type), ResourceStore::description(type)});
    }
    return sets;
}

int ClsMain::PrepareData(const std::function<void(int, int, const QString&)>& progress, QVector<DataSetReport>* reports)
{
    const QVector<const TableDef*> tables = Tables::all();
    // The caller's reports, each filled in as its table is done (a progress display reads them).
    QVector<DataSetReport> own;
    QVector<DataSetReport>& sets = reports ? *reports : own;
    sets = DataSets();
    int failed = 0;
    for (int i = 0; i < tables.size(); ++i) {
        if (progress)
            progress(i, int(tables.size()), sets[i].dataSet);
        QElapsedTimer t;
        t.start();
        int rows = -1;
        // A table that could not be set up, or that holds other than the data's rows, failed.
        if (setupReferenceTable(m_session, QStringLiteral("CLSMAIN"), "PREPAREDATA", *tables[i], &rows).isEmpty())
            rows = -1;
        failed += rows != sets[i].expected;
        sets[i].rows = rows;
        sets[i].ms = t.elapsed();
    }
    if (progress)
        progress(int(tables.size()), int(tables.size()), QString());
    return failed;
}

QString ClsMain::Version() { return QStringLiteral(QELREFDESK_VERSION); }

} // namespace qel
