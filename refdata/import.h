#pragma once
#include <QString>
#include "db/dberror.h"
#include "db/sql.h"

namespace qel {

class Connection;
class Session;

// The bulk load of one data resource into its table.
//
// The usual way is a file in the host's document folder that the server reads itself ("load
// data infile"). It is used where the server can read that file exactly: the server is on this
// machine, allows loading files from that folder (its secure_file_priv) and the folder's name
// survives the trip through the statement. Where only the server's own load folder is allowed,
// the file goes there. Otherwise, and whenever the server cannot read the file after all, the
// same bytes go over the connection ("load data local infile"), served only for that one file.
struct ImportResult {
    enum Route { ServerFile, OverConnection };
    bool loaded = false;
    Route route = ServerFile;
    QString file;    // the file the statement named
    DbError error;   // why the rows did not get in
    qint64 rows = -1;   // the rows the load put in, as the server counted them
};

// "Flush Tables", where the account has the RELOAD right it needs (elsewhere the statement
// would only fill the server's log with refusals).
void flushTables(Connection* db);

Sql loadStatement(const QString& fileName, const QString& table, bool overConnection = false);
ImportResult importResource(Session& cls, const QString& Tb, int Id, const QString& Typ);

} // namespace qel
