// qelrefdesk-import: converts an official CSV list into one of QELRefDesk's data resources and
// installs it, so that the next opening of the dialog reloads its table from it.
#include "refdata/csvimport.h"
#include "refdata/resourcestore.h"
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <cstdio>

using namespace qel;

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QCommandLineParser p;
    p.setApplicationDescription(QStringLiteral(
        "Converts a CSV file (with a header line) into a QELRefDesk data resource and installs it.\n"
        "Example: qelrefdesk-import --type IFSC --map IFSC=IFSC --map Bank=BANK --map Branch=BRANCH ifsc.csv"));
    p.addHelpOption();
    p.addOption({QStringLiteral("type"), QStringLiteral("The resource: ") + CsvImport::types().join(u' '), QStringLiteral("TYPE")});
    p.addOption({QStringLiteral("map"), QStringLiteral("FIELD=COLUMN: take a field from a CSV column (repeatable)."), QStringLiteral("map")});
    p.addOption({QStringLiteral("fields"), QStringLiteral("List the fields of --type and stop.")});
    p.addOption({QStringLiteral("skip-bad"), QStringLiteral("Install the good lines even when some lines have errors.")});
    p.addOption({QStringLiteral("dir"), QStringLiteral("Install here instead of ") + ResourceStore::overrideDir(), QStringLiteral("dir")});
    p.addPositionalArgument(QStringLiteral("file"), QStringLiteral("The CSV file."));
    p.process(app);
    const QString type = p.value(QStringLiteral("type")).toUpper();
    if (!type.isEmpty() && CsvImport::fields(type).isEmpty()) {
        fprintf(stderr, "%s is not a data set that can be imported; the types are: %s\n", qPrintable(type),
                qPrintable(CsvImport::types().join(u' ')));
        return 2;
    }
    if (p.isSet(QStringLiteral("fields"))) {
        if (type.isEmpty()) {
            fprintf(stderr, "Give --type with --fields; the types are: %s\n", qPrintable(CsvImport::types().join(u' ')));
            return 2;
        }
        printf("%s\n", qPrintable(CsvImport::fields(type).join(u' ')));
        return 0;
    }
    if (type.isEmpty() || p.positionalArguments().size() != 1) {
        fprintf(stderr, "Give --type and one CSV file; see --help.\n");
        return 2;
    }
    QMap<QString, QString> mapping;
    for (const QString& m : p.values(QStringLiteral("map"))) {
        const qsizetype eq = m.indexOf(u'=');
        if (eq <= 0) {
            fprintf(stderr, "--map takes FIELD=COLUMN, not %s\n", qPrintable(m));
            return 2;
        }
        mapping.insert(m.left(eq).trimmed(), m.mid(eq + 1));
    }
    QFile f(p.positionalArguments().first());
    if (!f.open(QIODevice::ReadOnly)) {
        fprintf(stderr, "%s: %s\n", qPrintable(f.fileName()), qPrintable(f.errorString()));
        return 1;
    }
    const CsvImport::Result r = CsvImport::convert(type, f.readAll(), mapping);
    for (const QString& e : r.errors)
        fprintf(stderr, "%s\n", qPrintable(e));
    if (r.records == 0 || (!r.errors.isEmpty() && !p.isSet(QStringLiteral("skip-bad")))) {
        fprintf(stderr, "Nothing installed (%d good records, %lld lines with errors).\n", r.records, qlonglong(r.errors.size()));
        return 1;
    }
    QString error;
    if (!CsvImport::install(type, r.resource, &error, p.value(QStringLiteral("dir")))) {
        fprintf(stderr, "Could not install: %s\n", qPrintable(error));
        return 1;
    }
    printf("Installed %d %s records; the table is reloaded the next time its dialog opens.\n", r.records, qPrintable(type));
    return 0;
}
