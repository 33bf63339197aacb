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
// A reload never empties the table in use: the rows go into a staging table of this run's own,
// whose count is checked against the resource's before one "Rename Table" puts it in place (the
// old table is dropped after). Readers see the old rows or the new ones, never a part, and
// hosts that load at the same moment, on one server or on several servers of a cluster, cannot
// double the rows. A lock row in an InnoDB table (QelRefDesk_Loads), which every server of a
// cluster honours, has a second host wait for the first and then find the rows in place.
// A load that lost a cluster's certification conflict or its connection is tried once more.
//
// Every table has a primary key on an invisible column (qel_row) that "Select *" does not
// return, so that a cluster that requires keys accepts it and replicates its rows by key.
//
// rows, when given, receives the number of rows the table holds afterwards (-1 when unknown).
QString setupReferenceTable(Session* cls, const QString& module, const char* procedure, const TableDef& table, int* rows = nullptr);

// Adds the code index (TableDef::codeIndex) to a table made before tables had one; a table that
// has it, or an account that may not alter it, is left as it is.
void ensureCodeIndex(Session* cls, const QString& table, const TableDef& def);

// The column list of "Create Table" for a reference table: its own columns, then the hidden key
// and the indexes its lists are filled by (TableDef::listIndex) and its codes found by
// (TableDef::codeIndex).
QString createColumns(const TableDef& table);

} // namespace qel
