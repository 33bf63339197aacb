#pragma once
#include <QByteArray>
#include <QMap>
#include <QString>
#include <QStringList>
#include "qelrefdesk_export.h"

namespace qel {

// Turns a CSV file that a user downloaded (the official bank, tax or postal lists) into one of
// the component's data resources, checking every line, and installs it where the component
// prefers it over the resource it ships with.
namespace CsvImport {

// The resources that can be imported and their fields, in resource order.
QELREFDESK_EXPORT QStringList types();
QELREFDESK_EXPORT QStringList fields(const QString& type);   // empty for an unknown type

struct Result {
    QByteArray resource;    // the converted records (Windows-1252, 0xA6 after each)
    int records = 0;
    QStringList errors;     // "line N: ..." for each line that cannot be used
};

// mapping: resource field -> CSV column header. A field left out is written empty; serial
// numbers are numbered 1, 2, 3 ...; for MICR, "MICR" may name one column holding the 9-digit
// code instead of the three code fields. Lines with errors are left out of the resource.
QELREFDESK_EXPORT Result convert(const QString& type, const QByteArray& csv, const QMap<QString, QString>& mapping);

// Where install puts a resource by default: the override directory of the data resources.
QELREFDESK_EXPORT QString defaultInstallDir();
// Writes the resource into dir (the override directory by default) as TYPE1.dat, replacing
// any earlier one in one step.
QELREFDESK_EXPORT bool install(const QString& type, const QByteArray& resource, QString* error, const QString& dir = QString());

// One CSV line into its fields (RFC 4180 quoting); for the tests.
QELREFDESK_EXPORT QList<QStringList> parseCsv(const QString& text);

} // namespace CsvImport

} // namespace qel
