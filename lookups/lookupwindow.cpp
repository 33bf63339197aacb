#include "lookups/lookupwindow.h"
#include "core/desktop.h"
#include "core/errlog.h"
#include "core/session.h"
#include "lookups/dialogs.h"

namespace qel {

void LookupWindow::notTaken(const char* signature)
{
    ErrHandler(ClsObj, objectName(), "LOADDATA")
        .fail(438, QStringLiteral("Object doesn't support this property or method: LoadData(%1)").arg(QLatin1String(signature)),
              QStringLiteral("QELRefDesk"));
}

void LookupWindow::LoadData(const QString&, const QString&) { notTaken("String, String"); }
void LookupWindow::LoadData(const QString&) { notTaken("String"); }
void LookupWindow::LoadData(const QString&, const QString&, const QString&) { notTaken("String, String, String"); }
void LookupWindow::LoadData(bool, const QString&) { notTaken("Boolean, String"); }

std::unique_ptr<LookupWindow> createLookup(Lookup kind, const Session* session)
{
    // A window the session's desktop puts in its place (a test's); one that is no lookup window
    // stands for none.
    if (std::unique_ptr<QDialog> d = desktopOf(session).window(WindowFamily::Lookup, int(kind))) {
        auto* w = qobject_cast<LookupWindow*>(d.get());
        if (w)
            d.release();
        return std::unique_ptr<LookupWindow>(w);
    }
    switch (kind) {
    case Lookup::Pin: return make_frmpin();
    case Lookup::Std: return make_frmstd();
    case Lookup::Isd: return make_frmISD();
    case Lookup::Distance: return make_frmDistance();
    case Lookup::PanTanAo: return make_frmpantanao();
    case Lookup::BankBsr: return make_frmbankBSR();
    case Lookup::SvtRanges: return make_frmSVTRange();
    case Lookup::NodalBank: return make_frmNodalBank();
    case Lookup::Micr: return make_frmmicr();
    case Lookup::Ifsc: return make_frmIFSC();
    case Lookup::TinFc: return make_frmtinfc();
    }
    return nullptr;
}

std::unique_ptr<LookupWindow> openForBrowsing(Lookup kind, Session* session, bool pan)
{
    std::unique_ptr<LookupWindow> w = createLookup(kind, session);
    if (!w)
        return w;
    w->InitData(session);
    const QString empty;
    switch (kind) {
    case Lookup::PanTanAo:
        w->LoadData(pan, empty);
        break;
    case Lookup::BankBsr:
        w->LoadData(empty);
        break;
    case Lookup::Micr:
    case Lookup::Ifsc:
        w->LoadData(empty, empty);
        break;
    case Lookup::SvtRanges:
        w->LoadData(empty, empty, empty);
        break;
    default:   // the browse-only windows have no LoadData
        break;
    }
    return w;
}

} // namespace qel
