#pragma once
#include <QString>
#include "refdata/tables.h"

namespace qel {

class Connection;
class Session;

// Makes sure the table exists and holds as many rows as its resource has records, reloading it
// when not. A table that cannot be opened is dropped and tried once more under its name with "1"
// appended. Returns the name of the table in use, or "" when none could be opened. Failures are
// logged under module and procedure ("frmmicr", "LOADDATA"); a load that leaves the table
// without its rows is also told to the user, once per data set and run.
//
// Hosts that share one database set a table up one at a time (a lock on the server per
// database and table), so that a second host waits and then finds the rows in place.
//
// rows, when given, receives the number of rows the table holds afterwards (-1 when unknown).
// Gives the table the index its lists are filled by (TableDef::listIndex) when it lacks it: before
// its rows are loaded, or once to a table loaded without it. It only makes the lists faster: a
// server that refuses it (no right to alter tables, keys too long for its row format) works as
// before.
void addListIndex(Connection* db, const QString& table, const TableDef& def);

QString setupReferenceTable(Session* cls, const QString& module, const char* procedure, const TableDef& table, int* rows = nullptr);

} // namespace qel
