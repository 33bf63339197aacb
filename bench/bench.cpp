// Measures the component's heavy work against the bare database work it rests on, in the same
// run, and reports each as a ratio (min and median of interleaved rounds; the targets are judged
// on the median). Parts, by the names that select them on the command line:
//
//  fill    MICR "view all" (the shipped data): the grid filled, numbered and sized, without and
//          with its three-key sort, vs a bare Connector/C fetch of the same query that touches
//          every byte of every row.
//  svt     service-tax "view all" over 132,176 FIXTURE locations: every row completed with its
//          range, division and commissionerate offices and sorted by four keys, vs the bare
//          fetch of the location table.
//  open    a warm MICR opening (GetMICR until the window is shown, its table already loaded) vs
//          the statements it needs: the table's count and its first list's query.
//  import  the first use of every shipped data set (each table created, indexed and loaded) vs
//          bare "load data" of the same files into the same tables, already empty.
//  local   the MICR data loaded over the connection ("load data local infile", where the
//          server cannot read the component's file) vs the server loading the same file itself.
//  big     (only when named) a MICR-shaped "view all" of 250,000 and of 1,000,000 FIXTURE rows:
//          how its time grows with the rows beside the bare fetch's, and the peak memory each
//          row adds.
//
// Each part reports wall-clock time and the thread's own CPU time of both arms, judged on the
// median of the per-round ratios; the CPU ratios hold where another process takes a core.
//
// Options: --rounds N (7 by default, after one warm-up round); --busy: another process keeps one
// core busy throughout. QEL_BENCH_SAMPLES=1 prints every timing.
#include "bench/findbench.h"
#include "bench/measure.h"
#include "component/clsmain.h"
#include "core/desktop.h"
#include "core/msgservice.h"
#include "core/session.h"
#include "db/connection.h"
#include "db/privateserver.h"
#include "lookups/frmmicr.h"
#include "lookups/lookupwindow.h"
#include "refdata/import.h"
#include "refdata/resourcestore.h"
#include "refdata/tablesetup.h"
#include "refdata/tables.h"
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cmath>
#include <functional>
#include <mysql.h>

using namespace qel;
using namespace qel::bench;

namespace {

QByteArray quoted(const QByteArray& s) { return '"' + s + '"'; }

// FIXTURE rows with the column layout of the service-tax locations.
QByteArray locationFixture(int n)
{
    QByteArray out;
    out.reserve(qsizetype(n) * 110);
    for (int i = 1; i <= n; ++i)
        out += QByteArray::number(i) + ',' + quoted("FIXTURE STATE " + QByteArray::number(i % 35)) + ','
               + quoted("FIXTURE CITY " + QByteArray::number(i % 700)) + ',' + quoted("FIXTURE AREA " + QByteArray::number(i % 5000))
               + ',' + quoted(QByteArray::number(100000 + i % 900000)) + ',' + quoted("FIXTURE LOCALITY " + QByteArray::number(i))
               + ',' + quoted(QByteArray::number(700101 + i % 3000)) + '\xA6';
    return out;
}

// FIXTURE rows shaped as the MICR data: about 64 bytes of fields, cities and banks repeating.
QByteArray micrFixture(int n)
{
    QByteArray out;
    out.reserve(qsizetype(n) * 100);
    for (int i = 1; i <= n; ++i)
        out += QByteArray::number(i) + ',' + quoted("FIXTURE CITY " + QByteArray::number(i % 2000)) + ','
               + quoted(QByteArray::number(100 + i % 900)) + ',' + quoted(QByteArray::number(i % 200).rightJustified(3, '0')) + ','
               + quoted(QByteArray::number(i % 1000).rightJustified(3, '0')) + ',' + quoted("FIXTURE BANK " + QByteArray::number(i % 200))
               + ',' + quoted("FIXTURE BRANCH " + QByteArray::number(i)) + '\xA6';
    return out;
}

double msSince(const QElapsedTimer& t) { return double(t.nsecsElapsed()) / 1e6; }

void exec(Connection& db, const Sql& sql, const QByteArray& charset = {})
{
    if (!db.Execute(sql, charset))
        fail(db.lastError().description);
}

int count(Connection& db, const QString& table)
{
    Recordset rs;
    if (!rs.open(QStringLiteral("Select count(*) from ") + table, &db))
        fail(rs.lastError().description);
    return rs.value(0).toInt();
}

void resetPeak()
{
    QFile f(QStringLiteral("/proc/self/clear_refs"));
    if (f.open(QIODevice::WriteOnly))
        f.write("5");
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
        fail(QStringLiteral("cannot write ") + path);
}

std::unique_ptr<LookupDialog> openDialog(Lookup which, Session* session)
{
    // As the menu window opens it: made, InitData, LoadData with empty strings (table set up).
    return std::unique_ptr<LookupDialog>(static_cast<LookupDialog*>(openForBrowsing(which, session).release()));
}

// The bench's own private server, apart from the user's.
PrivateServer::Options serverOptions()
{
    PrivateServer::Options o;
    o.dataDir = QDir::tempPath() + QStringLiteral("/qelrefdesk-benchdb");
    o.runDir = QStringLiteral("/tmp/qelrd-bench");
    return o;
}

// What the parts share: the server, the host's session, the dialogs they keep open.
// Answers every question Yes and keeps the busy notices off the screen.
struct BenchDesktop : Desktop {
    MessageService::Answer answer(QWidget*, const MessageService::Message&) override { return MessageService::Yes; }
    bool showBusy(const QString&) override { return false; }
};

struct Bench {
    BenchDesktop desktop;
    QTemporaryDir work, docs;   // FIXTURE resources, and the host's documents directory
    PrivateServer server{serverOptions()};
    Connection db;
    ClsMain cls;
    Session* session = nullptr;
    std::unique_ptr<LookupDialog> micrDlg, micrPlain, svtDlg;
    std::unique_ptr<LookupSpec> plainSpec;
    QList<Pair> lookups, loads;
};

void addFill(Bench& b)
{
    ResourceStore::setOverrideDir(QString());
    b.micrDlg = openDialog(Lookup::Micr, b.session);
    // The same dialog without its sort keys: reading every row into the grid, numbering, sizing.
    b.plainSpec = std::make_unique<LookupSpec>(b.micrDlg->spec());
    b.plainSpec->sortKeys.clear();
    b.plainSpec->setupInInitData = true;
    b.micrPlain = std::make_unique<LookupDialog>(*b.plainSpec);
    b.micrPlain->InitData(b.session);
    const QByteArray sql = "Select * from " + b.micrDlg->tableName().toUtf8();
    printf("MICR: %d rows\n", count(b.db, b.micrDlg->tableName()));
    Connection& db = b.db;
    b.lookups << Pair{"micr fill", 1.1, 1.3, {}, [&b] { b.micrPlain->fillAll(); }, {}, [&db, sql] { bareFetch(db, sql); }, {}, {}};
    b.lookups << Pair{"micr view", 1.2, 2.0, {}, [&b] { b.micrDlg->Command1_Click(); }, {}, [&db, sql] { bareFetch(db, sql); }, {}, {}};
}

void addOpen(Bench& b)
{
    ResourceStore::setOverrideDir(QString());
    auto arr = std::make_shared<StrArray>(0, 5);
    const auto opening = [&b, arr] {
        QTimer::singleShot(0, [] {
            if (QWidget* w = QApplication::activeModalWidget())
                w->close();
        });
        b.cls.GetMICR(arr.get(), QString());
    };
    opening();   // the table set up and loaded: what follows is a warm opening
    const QByteArray table = QByteArrayLiteral("TmpMICR_Master");
    Connection& db = b.db;
    b.lookups << Pair{"micr open", 1.3, 0, {}, opening, {},
                      [&db, table] {
                          bareFetch(db, "Select count(*) from " + table);
                          bareFetch(db, "Select distinct City from " + table + " Order by City");
                      },
                      {}, {}};
}

void addSvt(Bench& b)
{
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
    writeFile(b.work.filePath(QStringLiteral("SVT_RNG1.dat")), rng);
    writeFile(b.work.filePath(QStringLiteral("SVT_DIV1.dat")), div);
    writeFile(b.work.filePath(QStringLiteral("SVT_COM1.dat")), com);
    writeFile(b.work.filePath(QStringLiteral("SVT_LOC1.dat")), locationFixture(132176));
    ResourceStore::setOverrideDir(b.work.path());
    b.svtDlg = openDialog(Lookup::SvtRanges, b.session);
    ResourceStore::setOverrideDir(QString());
    const QByteArray sql = "Select * from " + b.svtDlg->tableName().toUtf8();
    Connection& db = b.db;
    b.lookups << Pair{"svt view", 1.5, 2.5, {}, [&b] { b.svtDlg->Command1_Click(); }, {}, [&db, sql] { bareFetch(db, sql); }, {}, {}};
}

void addFind(Bench& b)
{
    ResourceStore::setOverrideDir(QString());
    addFindCodes(b.lookups, b.db, b.session);
}

void addImport(Bench& b)
{
    ResourceStore::setOverrideDir(QString());
    // Every shipped data set that has records, its file ready in the server's load folder.
    struct Set {
        const TableDef* table;
        QString file;
    };
    QList<Set> sets;
    for (const TableDef* t : Tables::all()) {
        const QString type = QString::fromLatin1(t->resource);
        if (ResourceStore::recordCount(type) <= 0)
            continue;
        const QString file = b.server.options().loadFolder() + QStringLiteral("/bare-") + type + QStringLiteral(".dat");
        writeFile(file, ResourceStore::bytes(type, 1));
        sets << Set{t, file};
    }
    Connection& db = b.db;
    const auto dropAll = [&db, sets] {
        for (const Set& s : sets)
            exec(db, QStringLiteral("Drop Table If Exists ") + QString::fromLatin1(s.table->name));
    };
    // The same tables as the component makes them: its columns, its key and its index for the lists.
    const auto emptyTables = [&db, sets] {
        for (const Set& s : sets) {
            const QString name = QString::fromLatin1(s.table->name);
            exec(db, QStringLiteral("Create Table If Not Exists ") + name + createColumns(*s.table));
            exec(db, QStringLiteral("Truncate Table ") + name);
        }
    };
    b.loads << Pair{"import", 1.1, 0, dropAll,
                    [&b] {
                        if (b.cls.PrepareData() != 0)
                            fail(QStringLiteral("a data set was not loaded"));
                    },
                    emptyTables,
                    [&db, sets] {
                        for (const Set& s : sets)
                            exec(db, loadStatement(s.file, QString::fromLatin1(s.table->name)), QByteArrayLiteral("latin1"));
                    },
                    {}, {}};
}

void addLocal(Bench& b)
{
    // The MICR data as the import sends it over the connection, where the server cannot read
    // the component's file, vs the server reading the same bytes from its load folder.
    const QString table = QStringLiteral("BenchLocal_Master");
    const QByteArray bytes = ResourceStore::bytes(QStringLiteral("MICR"), 1);
    const QString file = b.server.options().loadFolder() + QStringLiteral("/local-MICR.dat");
    writeFile(file, bytes);
    Connection& db = b.db;
    const auto empty = [&db, table] {
        exec(db, QStringLiteral("Create Table If Not Exists ") + table + QString::fromLatin1(Tables::MICR.columns));
        exec(db, QStringLiteral("Truncate Table ") + table);
    };
    b.loads << Pair{"local load", 1.3, 0, empty,
                    [&db, table, bytes] {
                        if (!db.loadLocal(loadStatement(QStringLiteral("MICR1.dat"), table, true), QStringLiteral("MICR1.dat"), bytes,
                                          QByteArrayLiteral("latin1")))
                            fail(db.lastError().description);
                    },
                    empty, [&db, table, file] { exec(db, loadStatement(file, table), QByteArrayLiteral("latin1")); }, {}, {}};
}

struct Size {
    int rows;
    double ms, bare;
    qint64 peak;
};

// Peak memory and time of one "view all", in a dialog that holds nothing before it, and the bare
// fetch of the same rows.
Size bigFill(Bench& b, int n, int rounds)
{
    writeFile(b.work.filePath(QStringLiteral("MICR1.dat")), micrFixture(n));
    ResourceStore::setOverrideDir(b.work.path());
    { openDialog(Lookup::Micr, b.session); }   // loads the rows
    Figures t, bare;
    qint64 peak = 0;
    for (int r = 0; r < std::min(rounds, 3); ++r) {
        auto d = openDialog(Lookup::Micr, b.session);
        const qint64 before = residentBytes("VmRSS:");
        resetPeak();
        QElapsedTimer e;
        e.start();
        d->Command1_Click();
        t.ms << msSince(e);
        peak = std::max(peak, residentBytes("VmHWM:") - before);
        d.reset();
        e.restart();
        bareFetch(b.db, "Select * from " + QByteArray(Tables::MICR.name));
        bare.ms << msSince(e);
    }
    ResourceStore::setOverrideDir(QString());
    printf("big %7d rows  view all %8.1f ms  bare fetch %8.1f ms (medians)  peak memory growth %6.1f bytes/row\n", n, t.median(),
           bare.median(), double(peak) / n);
    return Size{n, t.median(), bare.median(), peak};
}

// The fill's time should grow as the fetch's does, and its memory stay within 150 bytes a row.
bool runBig(Bench& b, int rounds)
{
    const Size small = bigFill(b, 250000, rounds), large = bigFill(b, 1000000, rounds);
    const double grows = std::log(double(large.rows) / small.rows);
    const double exponent = std::log(large.ms / small.ms) / grows, bareExponent = std::log(large.bare / small.bare) / grows;
    const double perRow = double(large.peak) / large.rows;
    const bool met = perRow <= 150 && exponent <= bareExponent + 0.1;
    printf("big          time grows as rows^%.2f, the bare fetch's as rows^%.2f  peak %.1f bytes/row  target <= 150  %s\n", exponent,
           bareExponent, perRow, met ? "met" : "NOT MET");
    exec(b.db, QStringLiteral("Drop Table If Exists ") + QString::fromLatin1(Tables::MICR.name));   // the shipped data returns on next use
    return met;
}

int takeRounds(QStringList& args)
{
    const qsizetype i = args.indexOf(QStringLiteral("--rounds"));
    if (i < 0 || i + 1 >= args.size())
        return 7;
    const int rounds = std::max(1, args[i + 1].toInt());
    args.remove(i, 2);
    return rounds;
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    const int rounds = takeRounds(args);
    const bool busy = args.removeAll(QStringLiteral("--busy")) > 0;
    const auto wanted = [&args](const char* part) {
        return args.contains(QString::fromLatin1(part)) || (args.isEmpty() && qstrcmp(part, "big") != 0);
    };
    Bench b;
    QString err;
    if (!b.server.connect(b.db, QStringLiteral("bench"), QStringLiteral("utf8mb4"), &err))
        fail(QStringLiteral("database: ") + err);
    b.cls.InitMe(b.docs.path(), &b.db, QStringLiteral("bench.log"), 1, 1, 1);
    b.session = &b.cls.session();
    b.session->setDesktop(&b.desktop);

    // Lookups first, over tables loaded once; then the loads, which empty and reload tables.
    const std::pair<const char*, void (*)(Bench&)> parts[] = {{"fill", addFill}, {"open", addOpen}, {"svt", addSvt}, {"find", addFind},
                                                              {"import", addImport}, {"local", addLocal}};
    for (const auto& [name, add] : parts)
        if (wanted(name))
            add(b);
    std::unique_ptr<BusyCore> other(busy ? new BusyCore : nullptr);
    if (!b.lookups.isEmpty() || !b.loads.isEmpty())
        printf("%d interleaved rounds%s; times are min / median; ratios are medians of the per-round ratios\n", rounds,
               busy ? ", another process keeping one core busy" : "");
    runRounds(b.lookups, rounds);
    runRounds(b.loads, rounds);
    bool met = true;
    for (const Pair& p : b.lookups + b.loads)
        met = report(p) && met;
    if (wanted("find"))
        met = reportNames(b.session) && met;
    if (wanted("big"))
        met = runBig(b, rounds) && met;
    other.reset();
    b.micrDlg.reset();
    b.micrPlain.reset();
    b.svtDlg.reset();
    b.server.stop();
    return met ? 0 : 1;
}
