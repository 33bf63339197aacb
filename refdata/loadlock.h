#pragma once
#include <QLoggingCategory>
#include <QString>
#include <functional>

namespace qel {

// What the set-up of the reference tables tells the log (qelrefdesk.setup).
Q_DECLARE_LOGGING_CATEGORY(lcSetup)

class Connection;

// The right to load one reference table, held as a row of the InnoDB table QelRefDesk_Loads
// (primary key: the table's name). Every server of a multi-primary cluster honours it, as
// GET_LOCK, which holds only on the server that granted it, does not: of two hosts that insert
// the row at once, one gets a duplicate key or a certification conflict and waits.
//
// A waiting host asks done() now and then and stops waiting once the holder has put the rows in
// place. A row is taken over when its holder is gone: when it is older than kStaleSeconds, or at
// once when the holder's connection was to the same server and has ended (the host died, or the
// server was restarted since). Where the lock cannot be kept at all (no right to create the
// table, a server without InnoDB), the load goes ahead without it: the staging table and the
// swap keep it correct, at the price of loading twice.
class LoadLock {
public:
    static constexpr int kStaleSeconds = 900;
    static constexpr int kWaitSeconds = 600;

    LoadLock(Connection* db, const QString& table, const std::function<bool()>& done);
    ~LoadLock();
    LoadLock(const LoadLock&) = delete;
    LoadLock& operator=(const LoadLock&) = delete;

    bool held() const { return m_held; }
    // While waiting, done() said the rows were in place.
    bool foundDone() const { return m_done; }

private:
    bool tryTake();

    Connection* m_db;
    QString m_table;
    QString m_owner;
    bool m_held = false;
    bool m_done = false;
};

} // namespace qel
