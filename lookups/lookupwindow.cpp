#include "lookups/lookupwindow.h"
#include "core/errlog.h"
#include "core/session.h"
#include "lookups/dialogs.h"

namespace qel {

namespace {
std::function<std::unique_ptr<LookupWindow>(Lookup)>& factory()
{
    static std::function<std::unique_ptr<LookupWindow>(Lookup)> f;
    return f;
}
} // namespace

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

void setLookupFactory(std::function<std::unique_ptr<LookupWindow>(Lookup)> f) { factory() = std::move(f); }

std::unique_ptr<LookupWindow> createLookup(Lookup kind)
{
    if (factory())
        return factory()(kind);
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
    std::unique_ptr<LookupWindow> w = createLookup(kind);
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
