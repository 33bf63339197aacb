// Reports each measured operation as a ratio to a bare baseline doing the same database work in
// the same run, on synthetic data of the real resources' sizes:
//  - import: ImportResFlData of a 132,176-record resource (the largest) vs one bare
//    LOAD DATA of the same file;
//  - MICR fill: every one of 66,382 rows read into the MICR dialog's grid, numbered and sized,
//    vs a bare Connector/C fetch of the same query reading every field as text;
//  - MICR search: the whole "view all" search, which also sorts by city, bank and branch,
//    against the same baseline;
//  - service-tax fill: every one of 132,176 locations completed with its range, division and
//    commissionerate offices (3,371 / 527 / 97 of them) vs a bare fetch of the location table.
#include "component/clsmain.h"
#include "core/msgservice.h"
#include "db/connection.h"
#include "db/privateserver.h"
#include "db/recordset.h"
#include "lookups/lookupwindow.h"
#include "lookups/frmmicr.h"
#include "refdata/resourcestore.h"
#include "refdata/import.h"
#include "refdata/tablesetup.h"
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <mysql.h>

using namespace qel;

namespace {

QByteArray quoted(const QByteArray& s) { return '"' + s + '"'; }

// FIXTURE rows with the column layout of the service-tax locations.
QByteArray locationFixture(int n)
{
    QByteArray out;
    out.reserve(n * 90);
    for (int i = 1; i <= n; ++i) {
        out += QByteArray::number(i) + ',' + quoted("FIXTURE STATE " + QByteArray::number(i % 35)) + ','
               + quoted("FIXTURE CITY " + QByteArray::number(i % 700)) + ',' + quoted("FIXTURE AREA " + QByteArray::number(i % 5000)) + ','
               + quoted(QByteArray::number(100000 + i % 900000)) + ',' + quoted("FIXTURE LOCALITY " + QByteArray::number(i)) + ','
               + quoted(QByteArray::number(700101 + i % 3000)) + '\xA6';
    }
    return out;
}

QByteArray micrFixture(int n)
{
    QByteArray out;
    out.reserve(n * 90);
    for (int i = 1; i <= n; ++i)
        out += QByteArray::number(i) + ',' + quoted("FIXTURE CITY " + QByteArray::number(i % 400)) + ','
               + quoted(QByteArray::number(100 + i % 400)) + ',' + quoted(QByteArray::number(i % 60).rightJustified(3, '0')) + ','
               + quoted(QByteArray::number(i % 1000).rightJustified(3, '0')) + ',' + quoted("FIXTURE BANK " + QByteArray::number(i % 60))
               + ',' + quoted("FIXTURE BRANCH " + QByteArray::number(i)) + '\xA6';
    return out;
}

template <typename F>
double medianMs(int runs, F&& f)
{
    QList<double> t;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer e;
        e.start();
        f();
        t << e.nsecsElapsed() / 1e6;
    }
    std::sort(t.begin(), t.end());
    return t[t.size() / 2];
}

// The baseline of the fills: the query through Connector/C, every field after the first read as text.
void bareFetch(Connection& db, const QByteArray& sql)
{
    MYSQL* m = db.handle();
    mysql_real_query(m, sql.constData(), sql.size());
    MYSQL_RES* res = mysql_store_result(m);
    size_t chars = 0;
    while (MYSQL_ROW row = mysql_fetch_row(res)) {
        unsigned long* len = mysql_fetch_lengths(res);
        for (unsigned i = 1; i < mysql_num_fields(res); ++i)
            chars += QString::fromUtf8(row[i], int(len[i])).size();
    }
    mysql_free_result(res);
    if (chars == 0)
        fprintf(stderr, "no rows fetched by: %s\n", sql.constData());
}

void report(const char* name, double measured, double baseline, double target)
{
    const double ratio = measured / baseline;
    printf("%-12s %9.1f ms  baseline %9.1f ms  ratio %5.2fx  target <= %.1fx  %s\n", name, measured, baseline, ratio, target,
           ratio <= target ? "met" : "NOT MET");
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir work, docs;   // the resources, and the host's documents directory
    PrivateServer::Options o;
    o.dataDir = QDir::tempPath() + QStringLiteral("/qelrefdesk-benchdb");
    o.runDir = QStringLiteral("/tmp/qelrd-bench");
    PrivateServer server(o);
    Connection db;
    QString err;
    if (!server.connect(db, QStringLiteral("bench"), QStringLiteral("utf8mb4"), &err)) {
        fprintf(stderr, "database: %s\n", qPrintable(err));
        return 1;
    }
    ResourceStore::setOverrideDir(work.path());
    ClsMain cls;
    cls.InitMe(docs.path(), &db, QStringLiteral("bench.log"), 1, 1, 1);
    const int runs = 3;
    // Names on the command line (import, micr, svt) run only those parts.
    const QStringList only = app.arguments().mid(1);
    const auto wanted = [&only](const char* part) { return only.isEmpty() || only.contains(QString::fromLatin1(part)); };

    // Import of the largest resource.
    if (wanted("import")) {
        QFile f(work.filePath(QStringLiteral("SVT_LOC1.dat")));
        f.open(QIODevice::WriteOnly);
        f.write(locationFixture(132176));
        f.close();
        const QString table = QString::fromLatin1(Tables::Range[0].name);
        db.Execute(QStringLiteral("Create Table If Not Exists ") + table + QString::fromLatin1(Tables::Range[0].columns));
        const double measured = medianMs(runs, [&] {
            db.Execute(QStringLiteral("Delete From ") + table);
            cls.ImportResFlData(table, 1, QStringLiteral("SVT_LOC"));
        });
        const QString bare = server.options().loadFolder() + QStringLiteral("/bare.dat");
        QFile::copy(f.fileName(), bare);
        const double baseline = medianMs(runs, [&] {
            db.Execute(QStringLiteral("Delete From ") + table);
            db.Execute(loadStatement(bare, table), QByteArrayLiteral("latin1"));
        });
        Recordset rs;
        rs.open(QStringLiteral("Select count(*) from ") + table, &db);
        if (rs.value(0) != u"132176")
            fprintf(stderr, "bare load left %s rows: %s\n", qPrintable(rs.value(0)), qPrintable(db.lastError().description));
        cls.ImportResFlData(table, 1, QStringLiteral("SVT_LOC"));
        rs.open(QStringLiteral("Select count(*) from ") + table, &db);
        if (rs.value(0) != u"264352")
            fprintf(stderr, "the import did not load every row: %s\n", qPrintable(rs.value(0)));
        report("import", measured, baseline, 1.5);
    }

    // MICR "view all".
    if (wanted("micr")) {
        QFile f(work.filePath(QStringLiteral("MICR1.dat")));
        f.open(QIODevice::WriteOnly);
        f.write(micrFixture(66382));
        f.close();
        MessageService::setResponder([](const MessageService::Message&) { return MessageService::Yes; });
        frmmicr dlg;
        dlg.InitData(&cls.session());
        dlg.LoadData(QString(), QString());
        // The same dialog without its sort keys: reading every row into the grid, numbering, sizing.
        LookupSpec unsorted = dlg.spec();
        unsorted.sortKeys.clear();
        unsorted.setupInInitData = true;   // sets up the same table in InitData
        LookupDialog plain(unsorted);
        plain.InitData(&cls.session());

        const double fill = medianMs(runs, [&] { plain.fillAll(); });
        const double measured = medianMs(runs, [&] { dlg.Command1_Click(); });
        const QByteArray sql = "Select * from " + dlg.tableName().toUtf8();
        const double baseline = medianMs(runs, [&] { bareFetch(db, sql); });
        report("micr fill", fill, baseline, 1.5);
        report("micr search", measured, baseline, 1.5);
    }
    // Service-tax ranges, view all.
    if (wanted("svt")) {
        const auto office = [](const QByteArray& code, int i) {
            return quoted(code) + ',' + quoted("FIXTURE OFFICE " + QByteArray::number(i)) + ',' + quoted("FIXTURE ADDRESS")
                   + ",\"\",\"\",\"\",\"\",\"\",\"\",\"\"\xA6";
        };
        QByteArray rng, div, com;
        for (int i = 0; i < 3371; ++i)
            rng += office(QByteArray::number(700101 + i), i);
        for (int i = 0; i < 527; ++i)
            div += office(QByteArray::number(7001 + i), i);
        for (int i = 0; i < 97; ++i)
            com += office(QByteArray::number(i).rightJustified(2, '0'), i);
        for (const auto& [name, bytes] : {std::pair{"SVT_RNG1.dat", rng}, {"SVT_DIV1.dat", div}, {"SVT_COM1.dat", com}}) {
            QFile f(work.filePath(QString::fromLatin1(name)));
            f.open(QIODevice::WriteOnly);
            f.write(bytes);
        }
        QFile f(work.filePath(QStringLiteral("SVT_LOC1.dat")));
        f.open(QIODevice::WriteOnly);
        f.write(locationFixture(132176));
        f.close();
        std::unique_ptr<LookupWindow> w = createLookup(Lookup::SvtRanges);
        auto* dlg = static_cast<LookupDialog*>(w.get());
        dlg->InitData(&cls.session());
        dlg->LoadData(QString(), QString(), QString());
        const double measured = medianMs(runs, [&] { dlg->fillAll(); });
        const QByteArray sql = "Select * from " + dlg->tableName().toUtf8();
        const double baseline = medianMs(runs, [&] { bareFetch(db, sql); });
        report("svt fill", measured, baseline, 3.0);
    }
    server.stop();
    return 0;
}
