#include "core/desktop.h"
#include "core/session.h"
#include "core/settings.h"
#include "verify/frmpantan.h"
#include "verify/frmpantan_n.h"
#include "verify/pantandialog.h"

namespace qel {

QString getPanTanName(Session* session, const QString& PANTAN)
{
    if (!session)
        return QString();
    session->setPANTAN_Status(PANTAN);
    const bool browser = UserSettings::verificationMethod() != u"N";
    // The session's desktop may put a dialog in its place (a test's).
    std::unique_ptr<QDialog> standIn = desktopOf(session).window(WindowFamily::Verifier, browser ? 1 : 0);
    std::unique_ptr<PanTanDialog> d(qobject_cast<PanTanDialog*>(standIn.get()));
    if (d)
        standIn.release();
    else if (browser)
        d = std::make_unique<frmPANTAN>();
    else
        d = std::make_unique<frmPANTAN_N>();
    d->InitData(session);
    d->exec();
    d.reset();
    return session->PANTAN_Status();
}

} // namespace qel
