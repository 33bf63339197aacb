// qelrefdesk-import: converts an official CSV list into one of QELRefDesk's data resources and
// installs it, so that the next opening of the dialog reloads its table from it; or, with
// --prepare, sets up every reference table in a database ahead of its first use.
#include <QELRefDesk/clsmain.h>
#include <QELRefDesk/connection.h>
#include <QELRefDesk/csvimport.h>
#include <QELRefDesk/privateserver.h>
#include <QApplication>
#include <QCommandLineParser>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>

using namespace qel;

namespace {

// Every reference table loaded, with a progress bar on the terminal.
int prepare(const QCommandLineParser& p)
{
    QString connection = qEnvironmentVariable("QELREFDESK_CONNECTION"), error;
    if (p.isSet(QStringLiteral("connection-file")) && !ConnectionOptions::readFile(p.value(QStringLiteral("connection-file")), &connection, &error)) {
        fprintf(stderr, "%s\n", qPrintable(error));
        return 2;
    }
    if (p.isSet(QStringLiteral("connection"))) {
        connection = p.value(QStringLiteral("connection"));
        if (!ConnectionOptions::parse(connection).password.isEmpty())
            fprintf(stderr, "Warning: a password on the command line can be read by every user of this machine; "
                            "use --connection-file or QELREFDESK_CONNECTION instead.\n");
    }
    if (const QString invalid = ConnectionOptions::parse(connection).invalid; !connection.isEmpty() && !invalid.isEmpty()) {
        fprintf(stderr, "%s\n", qPrintable(invalid));
        return 2;
    }
    Connection db;
    const bool open = connection.isEmpty() ? PrivateServer().connect(db, QStringLiteral("qelrefdesk"), QStringLiteral("utf8mb4"), &error)
                                           : db.open(connection);
    if (!open) {
        fprintf(stderr, "Could not open the database: %s\n", qPrintable(connection.isEmpty() ? error : db.lastError().description));
        return 1;
    }
    QTemporaryDir docs;   // the log and the import's files, private to this run
    ClsMain cls;
    cls.InitMe(docs.path(), &db, QStringLiteral("prepare.log"), 1, 1, 1);
    const int failed = cls.PrepareData([](int done, int total, const QString& set) {
        const int width = 30, filled = total ? done * width / total : width;
        fprintf(stderr, "\r[%s%s] %d/%d %-10s", QByteArray(filled, '#').constData(), QByteArray(width - filled, '.').constData(), done,
                total, qPrintable(set));
        fflush(stderr);
    });
    fprintf(stderr, "\n");
    QFile log(docs.filePath(QStringLiteral("prepare.log")));
    if (log.open(QIODevice::ReadOnly))
        fprintf(stderr, "%s", log.readAll().constData());
    if (failed)
        fprintf(stderr, "%d tables could not be set up.\n", failed);
    else
        printf("Every reference table is ready in %s.\n", qPrintable(db.databaseName()));
    return failed ? 1 : 0;
}

} // namespace

int main(int argc, char** argv)
{
    // The component's messages need a GUI application; none is shown without a screen.
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    app.setApplicationName(QStringLiteral("QELRefDesk"));
    QCommandLineParser p;
    p.setApplicationDescription(QStringLiteral(
        "Converts a CSV file (with a header line) into a QELRefDesk data resource and installs it.\n"
        "Example: qelrefdesk-import --type IFSC --map IFSC=IFSC --map Bank=BANK --map Branch=BRANCH ifsc.csv\n"
        "With --prepare, loads every reference table into the database ahead of its first use."));
    p.addHelpOption();
    p.addOption({QStringLiteral("type"), QStringLiteral("The resource: ") + CsvImport::types().join(u' '), QStringLiteral("TYPE")});
    p.addOption({QStringLiteral("map"), QStringLiteral("FIELD=COLUMN: take a field from a CSV column (repeatable)."), QStringLiteral("map")});
    p.addOption({QStringLiteral("fields"), QStringLiteral("List the fields of --type and stop.")});
    p.addOption({QStringLiteral("skip-bad"), QStringLiteral("Install the good lines even when some lines have errors.")});
    p.addOption({QStringLiteral("dir"), QStringLiteral("Install here instead of ") + CsvImport::defaultInstallDir(), QStringLiteral("dir")});
    p.addOption({QStringLiteral("prepare"), QStringLiteral("Set up every reference table in the database now.")});
    p.addOption({QStringLiteral("connection"), QStringLiteral("With --prepare: this server instead of the private one."), QStringLiteral("string")});
    p.addOption({QStringLiteral("connection-file"), QStringLiteral("With --prepare: the connection string from this file (mode 600)."),
                 QStringLiteral("file")});
    p.addPositionalArgument(QStringLiteral("file"), QStringLiteral("The CSV file."));
    p.process(app);
    if (p.isSet(QStringLiteral("prepare")))
        return prepare(p);
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
