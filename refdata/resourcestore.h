#pragma once
#include <QByteArray>
#include <QString>
#include <functional>

namespace qel {

// The fifteen data resources. Each is read from the override directory when a file of its name
// is installed there (TYPE + id + ".dat"), otherwise from the resources embedded in the component.
//
// Records end with byte 0xA6, fields are comma-separated, text fields enclosed in double quotes,
// a backslash escapes the next byte. What the server's bulk load receives is the resource in its
// canonical form, so that the load reads exactly the resource's records:
//  - padding after the last record (NUL bytes, and the line break that follows the last separator
//    of a resource written with one after every separator) is not part of any record;
//  - a backslash that ends a field would escape the field's closing quote or separator and swallow
//    the records after it; it is doubled, so that it loads as the backslash it stands for.
namespace ResourceStore {

QByteArray bytes(const QString& type, int id, bool* found = nullptr);
// Records in the resource, counted by the rules the loader follows; -1 when the resource is missing.
int recordCount(const QString& type, int id = 1);

QString overrideDir();
// Whether a user-installed file stands in for the embedded resource.
bool isOverridden(const QString& type, int id = 1);
void setOverrideDir(const QString& dir);   // empty: the default (QELREFDESK_DATA_DIR, or the user's data directory)
// What a dialog says of its data: "Data: <source>, as of <date>." and what the source lacks; for a
// list the user installed, its file name and date instead. Empty for a data set without data.
QString description(const QString& type, int id = 1);
// The date a data set is as of: the first full date its source gives ("27 May 2026"), else what
// it says of its date ("a date before October 2019"), or the date an installed list was
// installed; empty when none is known.
QString asOf(const QString& type, int id = 1);

QByteArray canonical(const QByteArray& raw);
int countRecords(const QByteArray& canonicalBytes);
// Calls f with the fields of every record, as the loader reads them: quotes and escapes taken
// away, still in the resource's Windows-1252 bytes. f returns false to stop.
void forEachRecord(const QByteArray& canonicalBytes, const std::function<bool(const QList<QByteArray>& fields)>& f);

} // namespace ResourceStore

} // namespace qel
