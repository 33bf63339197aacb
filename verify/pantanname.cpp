#include "core/session.h"
#include "core/settings.h"
#include "verify/frmpantan.h"
#include "verify/frmpantan_n.h"
#include "verify/pantandialog.h"

namespace qel {

namespace {
std::function<std::unique_ptr<PanTanDialog>(bool)>& factory()
{
    static std::function<std::unique_ptr<PanTanDialog>(bool)> f;
    return f;
}
} // namespace

void setVerifierFactory(std::function<std::unique_ptr<PanTanDialog>(bool browser)> f) { factory() = std::move(f); }

QString getPanTanName(Session* session, const QString& PANTAN)
{
    if (!session)
        return QString();
    session->setPANTAN_Status(PANTAN);
    const bool browser = UserSettings::verificationMethod() != u"N";
    std::unique_ptr<PanTanDialog> d = factory() ? factory()(browser)
                                      : browser ? std::unique_ptr<PanTanDialog>(std::make_unique<frmPANTAN>())
                                                : std::make_unique<frmPANTAN_N>();
    d->InitData(session);
    d->exec();
    d.reset();
    return session->PANTAN_Status();
}

} // namespace qel
