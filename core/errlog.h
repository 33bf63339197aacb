#pragma once
#include <QString>
#include "db/dberror.h"

namespace qel {

class Session;

// The handler of one procedure that logs: when a statement fails, the error becomes the pending
// error, Proc_Name is set to module + tab + procedure, one line is written through
// DoErrorLogEntry, the error is cleared again, and the caller goes on with its next statement.
//
//     ErrHandler eh(ClsObj, "frmmicr", "LOADGRID");
//     eh(rs.open(sql, db), rs.lastError());
class ErrHandler {
public:
    ErrHandler(Session* cls, QString module, const char* procedure)
        : m_cls(cls), m_module(std::move(module)), m_procedure(QString::fromLatin1(procedure)) {}

    // Passes ok through; on failure logs e and returns false.
    bool operator()(bool ok, const DbError& e) const
    {
        if (!ok)
            fail(e);
        return ok;
    }
    void fail(const DbError& e) const;
    void fail(int number, const QString& description, const QString& source) const { fail(DbError{number, description, source}); }

private:
    Session* m_cls;
    QString m_module;
    QString m_procedure;
};

// The log line for an error: date and time, number, description, source and Proc_Name, tab-separated.
QString formatLogLine(const QString& dateTime, const DbError& e, const QString& procName);

} // namespace qel
