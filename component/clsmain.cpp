#include "component/clsmain.h"
#include "component/errlog.h"
#include "component/files.h"
#include "component/scaling.h"
#include "component/usersettings.h"
#include "component/windowregistry.h"
#include "db/connection.h"
#include <QDateTime>
#include <QDialog>
#include <QFile>
#include <QLocale>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QWidget>

namespace qel {

namespace {
ClsMain::Importer& importer()
{
    static ClsMain::Importer i;
    return i;
}
} // namespace

ClsMain::ClsMain(QObject* parent) : QObject(parent)
{
    qRegisterMetaType<qel::StrArray*>();
}

ClsMain::~ClsMain() = default;

void ClsMain::setImporter(Importer i) { importer() = std::move(i); }

QObject* ClsMain::dbObject() const { return m_Db.data(); }

void ClsMain::setDbObject(QObject* o)
{
    if (auto* c = qobject_cast<Connection*>(o))
        m_Db = c;
}

void ClsMain::DoErrorLogEntry()
{
    if (m_err.number == 0)
        return;
    // A log that cannot be opened loses this line; it must not take the host down or come back
    // here, so failures are simply dropped.
    const QDateTime now = QDateTime::currentDateTime();
    const QLocale loc = QLocale::system();
    const QString when = loc.toString(now.date(), QLocale::ShortFormat) + u' ' + loc.toString(now.time(), QLocale::LongFormat);
    appendToFile(m_DocPath + u'/' + m_LogFlNm, formatLogLine(when, m_err, m_Proc_Name).toUtf8());
}

void ClsMain::InitMe(const QString& AP, QObject* CO, const QString& LF, float SX, float SY, float SF)
{
    m_DocPath = AP;
    setDbObject(CO);
    m_LogFlNm = LF;
    m_ScreenRatX = SX;
    m_ScreenRatY = SY;
    m_ScreenRatFS = SF;
    m_MdiObj = nullptr;
}

void ClsMain::OutArr(short Index, const QString& vNewVal)
{
    if (Index >= 0 && Index < m_outArr.size())
        m_outArr[Index] = vNewVal;
}

void ClsMain::runLookup(const char* dialog, bool needsDb, int upperBound, StrArray* InArr,
                        const std::function<void(QObject*)>& loadData)
{
    if (needsDb && !m_Db)
        return;
    m_outArr = QVector<QString>(upperBound + 1);
    if (QWidget* w = WindowRegistry::create(QString::fromLatin1(dialog))) {
        QMetaObject::invokeMethod(w, "InitData", Q_ARG(QObject*, this));
        loadData(w);
        if (auto* d = qobject_cast<QDialog*>(w))
            d->exec();
        delete w;
    }
    if (InArr)
        for (int i = 0; i <= upperBound; ++i)
            InArr->set(i, m_outArr.value(i));
}

void ClsMain::GetPANTANAOCode(bool PAN, StrArray* InArr, const QString& City)
{
    runLookup("frmpantanao", true, 4, InArr, [&](QObject* d) {
        QMetaObject::invokeMethod(d, "LoadData", Q_ARG(bool, PAN), Q_ARG(QString, City + u' '));
    });
}

void ClsMain::GetMICR(StrArray* InArr, const QString& Bank, const QString& City)
{
    runLookup("frmmicr", true, 4, InArr, [&](QObject* d) {
        QMetaObject::invokeMethod(d, "LoadData", Q_ARG(QString, Bank + u' '), Q_ARG(QString, City + u' '));
    });
}

void ClsMain::GetRanges(StrArray* InArr, const QString& State, const QString& City, const QString& Area)
{
    runLookup("frmSVTRange", false, 3, InArr, [&](QObject* d) {
        QMetaObject::invokeMethod(d, "LoadData", Q_ARG(QString, State + u' '), Q_ARG(QString, City), Q_ARG(QString, Area));
    });
}

void ClsMain::GetBSRCode(StrArray* InArr, const QString& Bank)
{
    runLookup("frmbankBSR", false, 2, InArr,
              [&](QObject* d) { QMetaObject::invokeMethod(d, "LoadData", Q_ARG(QString, Bank + u' ')); });
}

void ClsMain::GetIFSCCode(StrArray* InArr, const QString& District, const QString& Bank)
{
    runLookup("frmIFSC", false, 0, InArr, [&](QObject* d) {
        QMetaObject::invokeMethod(d, "LoadData", Q_ARG(QString, District + u' '), Q_ARG(QString, Bank + u' '));
    });
}

void ClsMain::ObjMain()
{
    if (!m_Db)
        return;
    QWidget* w = WindowRegistry::create(QStringLiteral("frmmain"));
    if (!w)
        return;
    QMetaObject::invokeMethod(w, "InitData", Q_ARG(QObject*, this));
    w->setAttribute(Qt::WA_DeleteOnClose);
    // The window opens inside the host's frame: as a sub-window of its MDI area when it has one,
    // otherwise as a window owned by the frame.
    if (auto* frame = qobject_cast<QWidget*>(m_MdiObj.data())) {
        if (auto* area = frame->findChild<QMdiArea*>()) {
            QMdiSubWindow* sub = area->addSubWindow(w);
            sub->setAttribute(Qt::WA_DeleteOnClose);
            sub->adjustSize();   // the window's own size, not a collapsed strip
            w->show();
            return;
        }
        w->setParent(frame, Qt::Window);
    }
    w->show();
}

QString ClsMain::GetPanTanName(const QString& PANTAN)
{
    m_PANTAN_Status = PANTAN;
    const QString method = UserSettings::get(QStringLiteral("QELInfo"), QStringLiteral("Settings"), QStringLiteral("PTV"),
                                             QStringLiteral("N"));
    // "N" is the own HTTP requests; anything else the browser.
    QWidget* w = WindowRegistry::create(method == u"N" ? QStringLiteral("frmPANTAN_N") : QStringLiteral("frmPANTAN"));
    if (!w)
        return QString();
    QMetaObject::invokeMethod(w, "InitData", Q_ARG(QObject*, this));
    if (auto* d = qobject_cast<QDialog*>(w))
        d->exec();
    delete w;
    return m_PANTAN_Status;
}

void ClsMain::ImportResFlData(const QString& Tb, int Id, const QString& Typ)
{
    if (importer())
        importer()(*this, Tb, Id, Typ);
}

std::unique_ptr<QWidget> ClsMain::proxyDialog(const char* procedure)
{
    std::unique_ptr<QWidget> w(WindowRegistry::create(QStringLiteral("frmProxy")));
    if (!w)
        ErrHandler(this, QStringLiteral("ClsMain"), procedure).fail(429, QStringLiteral("frmProxy is not available"), QStringLiteral("ClsMain"));
    else
        QMetaObject::invokeMethod(w.get(), "InitData", Q_ARG(QObject*, this));
    return w;
}

void ClsMain::SetProxyForWHR(QObject* WHR)
{
    if (const auto w = proxyDialog("SETPROXYFORWHR"))
        QMetaObject::invokeMethod(w.get(), "SetProxyForWH", Q_ARG(QObject*, WHR));
}

bool ClsMain::GetProxyForWHR(QObject* OwnFrm)
{
    m_AltProxySett = false;
    const auto w = proxyDialog("GETPROXYFORWHR");
    if (!w)
        return false;
    if (auto* owner = qobject_cast<QWidget*>(OwnFrm))
        w->setParent(owner, w->windowFlags() | Qt::Dialog);
    if (auto* d = qobject_cast<QDialog*>(w.get()))
        d->exec();
    return m_AltProxySett;
}

void ClsMain::Resize_For_Resolution(QWidget* MyForm, bool)
{
    resizeForResolution(MyForm, m_ScreenRatX, m_ScreenRatY, m_ScreenRatFS);
}

} // namespace qel
