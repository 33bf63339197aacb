#include "core/errlog.h"
#include "core/session.h"

namespace qel {

void ErrHandler::fail(const DbError& e) const
{
    if (!m_cls)
        return;
    m_cls->raiseError(e.number ? e : DbError{5, QStringLiteral("Invalid procedure call or argument"), e.source});
    m_cls->setProc_Name(m_module + u'\t' + m_procedure);
    m_cls->DoErrorLogEntry();
    m_cls->clearError();
}

QString formatLogLine(const QString& dateTime, const DbError& e, const QString& procName)
{
    return dateTime + u'\t' + QString::number(e.number) + u'\t' + e.description + u'\t' + e.source + u'\t' + procName
           + QStringLiteral("\r\n");
}

} // namespace qel
