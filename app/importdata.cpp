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
#include <unistd.h>

using namespace qel;

namespace {

// The exit codes, as --help and the README give them.
enum Exit { Ok = 0, DatabaseFailed = 1, Usage = 2 };

// Where the connection comes from: --connection, --connection-file, QELREFDESK_CONNECTION; empty:
// the private server. False (and the reason printed) when it cannot be used.
bool connectionString(const QCommandLineParser& p, QString* connection)
{
    QString error;
    *connection = qEnvironmentVariable("QELREFDESK_CONNECTION");
    if (p.isSet(QStringLiteral("connection-file")) && !ConnectionOptions::readFile(p.value(QStringLiteral("connection-file")), connection, &error)) {
        fprintf(stderr, "%s\n", qPrintable(error));
        return false;
    }
    if (p.isSet(QStringLiteral("connection"))) {
        *connection = p.value(QStringLiteral("connection"));
        if (!ConnectionOptions::parse(*connection).password.isEmpty())
            fprintf(stderr, "Warning: a password on the command line can be read by every user of this machine; "
                            "use --connection-file or QELREFDESK_CONNECTION instead.\n");
    }
    if (connection->isEmpty())
        return true;
    const ConnectionOptions o = ConnectionOptions::parse(*connection);
    if (!o.invalid.isEmpty())
        error = o.invalid;
    else if (o.database.isEmpty())
        error = QStringLiteral("The connection string names no database: add Database=<name>; (the reference tables go there)");
    if (!error.isEmpty())
        fprintf(stderr, "%s\n", qPrintable(error));
    return error.isEmpty();
}

// The progress of the set-up: a bar weighted by each data set's size on a terminal, else a line
// per data set with its rows and time.
class Progress {
public:
    explicit Progress(const QVector<ClsMain::DataSetReport>& sets) : m_sets(sets), m_tty(isatty(fileno(stderr)))
    {
        for (const auto& s : sets)
            m_total += std::max<qint64>(s.expected, 1);
    }
    void operator()(int done, int total, const QString&)
    {
        if (done > 0 && !m_tty) {
            const auto& s = m_sets[done - 1];
            fprintf(stderr, "%-10s %-20s %9lld rows  %.1f s\n", qPrintable(s.dataSet), qPrintable(s.table), qlonglong(s.rows), s.ms / 1000.0);
        }
        if (done > 0)
            m_done += std::max<qint64>(m_sets[done - 1].expected, 1);
        if (!m_tty)
            return;
        const int width = 30, filled = int(m_total ? m_done * width / m_total : width);
        fprintf(stderr, "\r[%s%s] %d/%d %-10s", QByteArray(filled, '#').constData(), QByteArray(width - filled, '.').constData(),
                done, total, done < total ? qPrintable(m_sets[done].dataSet) : "");
        if (done == total)
            fprintf(stderr, "\n");
        fflush(stderr);
    }

private:
    const QVector<ClsMain::DataSetReport>& m_sets;   // filled in as the tables are done
    bool m_tty;
    qint64 m_total = 0, m_done = 0;
};

// Every data set with what it came to.
void report(const QVector<ClsMain::DataSetReport>& sets)
{
    printf("%-10s %-20s %s\n", "data set", "table", "rows");
    for (const auto& s : sets) {
        QString what = s.rows < 0 ? QStringLiteral("could not be set up (see the messages above)")
                       : s.rows != s.expected ? QStringLiteral("%1 of %2 rows: the load failed (see the messages above)").arg(s.rows).arg(s.expected)
                       : s.expected == 0 ? QStringLiteral("not installed (no open source; install a list with --type %1)").arg(s.dataSet)
                                         : QStringLiteral("%1 rows loaded").arg(s.rows);
        printf("%-10s %-20s %s\n", qPrintable(s.dataSet), qPrintable(s.table), qPrintable(what));
    }
}

// Every reference table loaded.
int prepare(const QCommandLineParser& p)
{
    QString connection, error;
    if (!connectionString(p, &connection))
        return Usage;
    Connection db;
    const bool open = connection.isEmpty() ? PrivateServer().connect(db, QStringLiteral("qelrefdesk"), QStringLiteral("utf8mb4"), &error)
                                           : db.open(connection);
    if (!open) {
        fprintf(stderr, "Could not open the database: %s\n", qPrintable(connection.isEmpty() ? error : db.lastError().description));
        return DatabaseFailed;
    }
    QTemporaryDir docs;   // the log and the import's files, private to this run
    ClsMain cls;
    cls.InitMe(docs.path(), &db, QStringLiteral("prepare.log"), 1, 1, 1);
    QVector<ClsMain::DataSetReport> sets = ClsMain::DataSets();
    Progress progress(sets);
    const int failed = cls.PrepareData([&progress](int d, int t, const QString& s) { progress(d, t, s); }, &sets);
    QFile log(docs.filePath(QStringLiteral("prepare.log")));   // after the bar, never inside it
    if (log.open(QIODevice::ReadOnly))
        fprintf(stderr, "%s", log.readAll().constData());
    report(sets);
    return failed ? DatabaseFailed : Ok;
}

int version()
{
    printf("qelrefdesk-import %s (QELRefDesk %s)\n", qPrintable(QCoreApplication::applicationVersion()), qPrintable(ClsMain::Version()));
    for (const auto& s : ClsMain::DataSets())
        printf("%-10s %s\n", qPrintable(s.dataSet), qPrintable(s.source));
    return Ok;
}

// Converts a CSV list and installs it as its data set's resource.
int installList(const QCommandLineParser& p)
{
    const QString type = p.value(QStringLiteral("type")).toUpper();
    if (!type.isEmpty() && CsvImport::fields(type).isEmpty()) {
        fprintf(stderr, "%s is not a data set that can be imported; the types are: %s\n", qPrintable(type),
                qPrintable(CsvImport::types().join(u' ')));
        return Usage;
    }
    if (p.isSet(QStringLiteral("fields"))) {
        if (type.isEmpty()) {
            fprintf(stderr, "Give --type with --fields; the types are: %s\n", qPrintable(CsvImport::types().join(u' ')));
            return Usage;
        }
        printf("%s\n", qPrintable(CsvImport::fields(type).join(u' ')));
        return Ok;
    }
    if (type.isEmpty() || p.positionalArguments().size() != 1) {
        fprintf(stderr, "Give --type and one CSV file; see --help.\n");
        return Usage;
    }
    QMap<QString, QString> mapping;
    for (const QString& m : p.values(QStringLiteral("map"))) {
        const qsizetype eq = m.indexOf(u'=');
        if (eq <= 0) {
            fprintf(stderr, "--map takes FIELD=COLUMN, not %s\n", qPrintable(m));
            return Usage;
        }
        mapping.insert(m.left(eq).trimmed(), m.mid(eq + 1));
    }
    QFile f(p.positionalArguments().first());
    if (!f.open(QIODevice::ReadOnly)) {
        fprintf(stderr, "%s: %s\n", qPrintable(f.fileName()), qPrintable(f.errorString()));
        return Usage;
    }
    const CsvImport::Result r = CsvImport::convert(type, f.readAll(), mapping);
    for (const QString& e : r.errors)
        fprintf(stderr, "%s\n", qPrintable(e));
    if (r.records == 0 || (!r.errors.isEmpty() && !p.isSet(QStringLiteral("skip-bad")))) {
        fprintf(stderr, "Nothing installed (%d good records, %lld lines with errors).\n", r.records, qlonglong(r.errors.size()));
        return DatabaseFailed;
    }
    QString error;
    if (!CsvImport::install(type, r.resource, &error, p.value(QStringLiteral("dir")))) {
        fprintf(stderr, "Could not install: %s\n", qPrintable(error));
        return DatabaseFailed;
    }
    printf("Installed %d %s records; the table is reloaded the next time its dialog opens.\n", r.records, qPrintable(type));
    return Ok;
}

} // namespace

int main(int argc, char** argv)
{
    // A tool: no window of the component's ever shows; its messages go to the terminal.
    qputenv("QT_QPA_PLATFORM", "minimal");
    QApplication app(argc, argv);
    app.setApplicationName(QStringLiteral("QELRefDesk"));
    app.setApplicationVersion(ClsMain::Version());
    QCommandLineParser p;
    p.setApplicationDescription(QStringLiteral(
        "Converts a CSV file (with a header line) into a QELRefDesk data resource and installs it.\n"
        "Example: qelrefdesk-import --type IFSC --map IFSC=IFSC --map Bank=BANK --map Branch=BRANCH ifsc.csv\n"
        "With --prepare, loads every reference table into the database ahead of its first use.\n"
        "Exit codes: 0 done; 1 the work failed (the database cannot be reached or a load failed, a\n"
        "list has errors); 2 usage, a file that cannot be read, or a connection string or file that\n"
        "cannot be used."));
    p.addHelpOption();
    p.addOption({QStringLiteral("version"), QStringLiteral("The version and each data set's source and date.")});
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
    if (!p.parse(app.arguments())) {
        fprintf(stderr, "%s\n", qPrintable(p.errorText()));
        return Usage;
    }
    if (p.isSet(QStringLiteral("help"))) {
        printf("%s", qPrintable(p.helpText()));
        return Ok;
    }
    if (p.isSet(QStringLiteral("version")))
        return version();
    if (p.isSet(QStringLiteral("prepare")))
        return prepare(p);
    return installList(p);
}
