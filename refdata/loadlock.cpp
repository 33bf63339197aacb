#include "refdata/loadlock.h"
#include "db/connection.h"
#include "db/dberror.h"
#include <QDeadlineTimer>
#include <QLoggingCategory>
#include <QThread>
#include <QUuid>

namespace qel {

Q_LOGGING_CATEGORY(lcSetup, "qelrefdesk.setup")

namespace {
Sql row(const QString& table) { return Sql("TableName = '").value(table).code("'"); }

// Who holds a lock: the server (host and port) and the connection on it.
const char* const kHolder = "concat(@@hostname, ':', @@port, '/', connection_id())";

// A holder that is gone: its lock is older than kStaleSeconds, or it held it on this server and
// its connection has ended (it died, or the server was restarted since).
Sql holderGone()
{
    return Sql(QStringLiteral(" And (Since < now() - Interval %1 Second Or (substring_index(Holder, '/', 1) = concat(@@hostname, ':', @@port) "
                              "And (Since < now() - Interval (Select variable_value From information_schema.global_status "
                              "Where variable_name = 'Uptime') Second Or Cast(substring_index(Holder, '/', -1) As Unsigned) "
                              "Not In (Select id From information_schema.processlist))))")
                   .arg(LoadLock::kStaleSeconds));
}
} // namespace

LoadLock::LoadLock(Connection* db, const QString& table, const std::function<bool()>& done)
    : m_db(db), m_table(table), m_owner(QUuid::createUuid().toString(QUuid::WithoutBraces))
{
    if (!m_db)
        return;
    if (!m_db->Execute(Sql("Create Table If Not Exists QelRefDesk_Loads (TableName Varchar(64) Not Null, Owner Varchar(64) "
                           "Not Null, Since Timestamp Not Null Default Current_Timestamp, Holder Varchar(128) Not Null Default '', "
                           "Primary Key (TableName)) Engine=InnoDB"))) {
        qCInfo(lcSetup, "%s: loading without a lock: %s", qPrintable(table), qPrintable(m_db->lastError().description));
        return;
    }
    const QDeadlineTimer deadline(kWaitSeconds * 1000);
    for (int wait = 50; !tryTake(); wait = qMin(wait * 2, 1000)) {
        if (done()) {
            m_done = true;
            return;
        }
        if (deadline.hasExpired()) {
            qCInfo(lcSetup, "%s: still locked after %d s; loading all the same", qPrintable(table), kWaitSeconds);
            return;
        }
        QThread::msleep(wait);
    }
}

bool LoadLock::tryTake()
{
    m_db->Execute(Sql("Delete From QelRefDesk_Loads Where ") + row(m_table) + holderGone());
    if (m_db->Execute(Sql("Insert Into QelRefDesk_Loads (TableName, Owner, Holder) Values ('").value(m_table).code("', '").value(m_owner)
                      + Sql("', ") + Sql(kHolder) + Sql(")"))) {
        m_held = true;
        return true;
    }
    const int n = m_db->lastError().number;
    if (n == dberr::kDuplicateEntry || n == dberr::kDeadlock)
        return false;   // another host holds it
    qCInfo(lcSetup, "%s: loading without a lock: %s", qPrintable(m_table), qPrintable(m_db->lastError().description));
    return true;
}

LoadLock::~LoadLock()
{
    if (m_held)
        m_db->Execute(Sql("Delete From QelRefDesk_Loads Where ") + row(m_table) + Sql(" And Owner = '").value(m_owner).code("'"));
}

} // namespace qel
