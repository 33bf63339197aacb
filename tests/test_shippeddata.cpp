#include "component/clsmain.h"
#include "db/recordset.h"
#include "lookups/grid/flexgrid.h"
#include "lookups/lookupdialog.h"
#include "refdata/resourcestore.h"
#include "refdata/tablesetup.h"
#include "tests/lookuptesting.h"
#include "tests/testsupport.h"
#include <QLabel>
#include <QStringDecoder>
#include <QTemporaryDir>

using namespace qel;
using namespace qel::test;

// The data that ships, loaded through the real import: counts and a few well-known facts per set.
class TestShippedData : public QObject {
    Q_OBJECT
    QTemporaryDir docs{docsRoot() + QStringLiteral("/docs-XXXXXX")};
    std::unique_ptr<Connection> db;
    ClsMain cls;

    QString one(const QString& sql) { return scalar(*db, sql); }
    std::unique_ptr<LookupDialog> dialog(const char* name)
    {
        std::unique_ptr<LookupDialog> d = lookupDialog(name);
        d->InitData(&cls.session());
        return d;
    }

private slots:
    void initTestCase()
    {
        ResourceStore::setOverrideDir(QStringLiteral("/nonexistent"));   // the embedded resources
        db = freshDatabase(QStringLiteral("t_shipped"));
        cls.InitMe(docs.path(), db.get(), QStringLiteral("host.log"), 1, 1, 1);
    }
    void cleanupTestCase() { ResourceStore::setOverrideDir(QString()); }

    void everySetLoadsCompletely()
    {
        const QList<const TableDef*> tables{&Tables::MICR, &Tables::IFSC, &Tables::BankBSR, &Tables::BankNodal, &Tables::PANAO,
                                            &Tables::TANAO, &Tables::Dist, &Tables::ISD, &Tables::STD, &Tables::PIN, &Tables::TINFC,
                                            &Tables::Range[0], &Tables::Range[1], &Tables::Range[2], &Tables::Range[3]};
        for (const TableDef* t : tables) {
            // Shipped in the canonical form the loads read, with the record count the build noted.
            const QByteArray shipped = ResourceStore::bytes(QLatin1String(t->resource), 1);
            QVERIFY2(ResourceStore::canonical(shipped) == shipped, t->resource);
            QCOMPARE(ResourceStore::countRecords(shipped), ResourceStore::recordCount(QLatin1String(t->resource)));
            QCOMPARE(setupReferenceTable(&cls.session(), QStringLiteral("test"), "INITDATA", *t), QLatin1String(t->name));
            QCOMPARE(one(QStringLiteral("Select count(*) from ") + QLatin1String(t->name)),
                     QString::number(ResourceStore::recordCount(QLatin1String(t->resource))));
        }
        QCOMPARE(one(QStringLiteral("Select count(*) from TmpIFSC_Master")), QStringLiteral("182295"));
        QCOMPARE(one(QStringLiteral("Select count(*) from TmpMICR_Master")), QStringLiteral("116679"));
        QCOMPARE(one(QStringLiteral("Select count(*) from TmpPIN_Master")), QStringLiteral("154874"));
        QVERIFY(QFile(docs.filePath(QStringLiteral("host.log"))).size() <= 0);
    }

    void wellKnownFacts()
    {
        // PIN and IFSC: one present name for each state; a branch lies in its address PIN's state.
        QCOMPARE(one(QStringLiteral("Select concat(StateN, '|', City) from TmpPIN_Master where PinCode='110001' limit 1")),
                 QStringLiteral("Delhi|Central Delhi"));
        QCOMPARE(one(QStringLiteral("Select group_concat(distinct StateN) from TmpPIN_Master where PinCode in ('194101', '396210', '605001')")),
                 QStringLiteral("Dadra and Nagar Haveli and Daman and Diu,Ladakh,Puducherry"));
        QCOMPARE(one(QStringLiteral("Select count(distinct StateN) from TmpPIN_Master")), QStringLiteral("36"));
        QCOMPARE(one(QStringLiteral("Select count(distinct StateN) from TmpIFSC_Master where StateN <> ''")), QStringLiteral("36"));
        QCOMPARE(one(QStringLiteral("Select group_concat(StateN order by IFSCCode) from TmpIFSC_Master "
                                    "where IFSCCode in ('APBL0000001', 'BARB0AVANTI', 'SBIN0000001')")),
                 QStringLiteral("ANDHRA PRADESH,CHHATTISGARH,WEST BENGAL"));
        // MICR: one row per code.
        QCOMPARE(one(QStringLiteral("Select count(*) - count(distinct concat(CityCode, BankCode, BranchCode)) from TmpMICR_Master")),
                 QStringLiteral("0"));
        QCOMPARE(one(QStringLiteral("Select concat_ws('|', City, Bank, Branch) from TmpMICR_Master "
                                    "where concat(CityCode, BankCode, BranchCode)='400229002'")),
                 QStringLiteral("MUMBAI|ICICI Bank|MUMBAINARIMAN POINT"));
        // STD: present states from data, never a guess; a code never extends another.
        QCOMPARE(one(QStringLiteral("Select group_concat(concat(City, ' ', StateN, ' ', STDCode) order by City) from TmpSTD_Master "
                                    "where City in ('Banda', 'Jainagar', 'Kota', 'Madanapalli', 'Noida', 'Tirupati') "
                                    "and STDCode in ('7583', '6246', '7753', '8571', '120', '877')")),
                 QStringLiteral("Banda Madhya Pradesh 7583,Jainagar Bihar 6246,Kota Chhattisgarh 7753,"
                                "Madanapalli (state not known) 8571,Noida Uttar Pradesh 120,Tirupati Andhra Pradesh 877"));
        QCOMPARE(one(QStringLiteral("Select count(*) from TmpSTD_Master a join TmpSTD_Master b "
                                    "on a.STDCode like concat(b.STDCode, '_%') or a.StateN = ''")),
                 QStringLiteral("0"));
        // ISD: every country by its name; Indian places under present states.
        QCOMPARE(one(QStringLiteral("Select group_concat(Country order by Country) from TmpISD_Master "
                                    "where ISDCode in ('977', '65', '974', '383') and City = '(country code)'")),
                 QStringLiteral("Kosovo,Nepal,Qatar,Singapore"));
        QCOMPARE(one(QStringLiteral("Select group_concat(City order by City) from TmpISD_Master where ISDCode in ('91-771', '91-1982')")),
                 QStringLiteral("Leh, Ladakh,Raipur, Chhattisgarh"));
        // DIST: ranked by a real population source, present names.
        QCOMPARE(one(QStringLiteral("Select group_concat(distinct City1 order by City1) from TmpDist_Master "
                                    "where City1 in ('Mysuru', 'Hubballi', 'Thrissur', 'Shorapur', 'Cawnpore', 'Haora')")),
                 QStringLiteral("Hubballi,Mysuru,Thrissur"));
    }

    void bankRecordsReadBackAsShipped()
    {
        // What the loader reads is what the resource says, field by field (quotes, backslashes).
        QStringDecoder cp1252("windows-1252");
        for (const TableDef* t : {&Tables::IFSC, &Tables::MICR}) {
            Recordset rs;
            QVERIFY(rs.open(QStringLiteral("Select * from ") + QLatin1String(t->name), db.get()));
            int n = 0, differ = 0;
            ResourceStore::forEachRecord(ResourceStore::bytes(QLatin1String(t->resource), 1), [&](const QList<QByteArray>& fields) {
                for (int i = 0; i < fields.size(); ++i)
                    if (cp1252.decode(fields[i]) != rs.value(i) && differ++ < 3)
                        qWarning() << t->name << n + 1 << fields[i] << rs.value(i);
                rs.moveNext();
                return ++n > 0;
            });
            QCOMPARE(differ, 0);
            QCOMPARE(n, rs.recordCount());
        }
    }

    void setsShipInTheOrderTheirListsShow()
    {
        // "View all" finds the rows in its own order already: it shows them as stored.
        Messages answers(cls.session());
        for (const char* name : {"frmmicr", "frmIFSC", "frmpin", "frmstd", "frmISD"}) {
            auto dlg = dialog(name);
            dlg->LoadData(QString(), QString());
            dlg->fillAll();
            const auto* grid = child<FlexGrid>(dlg.get(), "vsf");
            QStringList fields;
            for (const ColumnSpec& c : dlg->spec().columns)
                fields << QLatin1String(c.field);
            Recordset rs;
            QVERIFY(rs.open(QStringLiteral("Select %1 from %2 Order by qel_row").arg(fields.join(u','), dlg->tableName()), db.get()));
            QCOMPARE(grid->rows() - 1, rs.recordCount());
            for (int r = 1; !rs.eof(); ++r, rs.moveNext())
                for (int c = 0; c < fields.size(); ++c)
                    if (grid->textMatrix(r, c + 1) != rs.value(c))
                        QFAIL(qPrintable(QStringLiteral("%1 row %2 shows %3, stored %4").arg(QLatin1String(name)).arg(r).arg(grid->textMatrix(r, c + 1), rs.value(c))));
        }
    }

    void dialogsFindWhatTheDataHolds()
    {
        Messages answers(cls.session());
        auto ifsc = dialog("frmIFSC");
        ifsc->LoadData(QString(), QString());
        choose(ifsc.get(), "Combo1", QStringLiteral("MAHARASHTRA"));
        choose(ifsc.get(), "Combo2", QStringLiteral("PUNE"));
        ifsc->Command1_Click();
        QVERIFY(column(ifsc.get(), 6).size() > 500);
        QVERIFY(child<QLabel>(ifsc.get(), "lblData")->text().contains(QStringLiteral("have no branch details")));
        auto micr = dialog("frmmicr");
        micr->LoadData(QString(), QStringLiteral("MUMBAI "));
        QVERIFY(column(micr.get(), 3).size() > 1000);
        QVERIFY(child<QLabel>(micr.get(), "lblData")->text().startsWith(QStringLiteral("Data: RBI's IFSC lists")));

        auto std = dialog("frmstd");
        QCOMPARE(items(std.get(), "Combo1").first(), QStringLiteral("Andaman and Nicobar Islands"));
        QCOMPARE(items(std.get(), "Combo1").last(), QStringLiteral("(state not known)"));
        choose(std.get(), "Combo1", QStringLiteral("Telangana"));
        QVERIFY(items(std.get(), "Combo2").contains(QStringLiteral("Hyderabad")));
        auto isd = dialog("frmISD");
        choose(isd.get(), "Combo4", QStringLiteral("ISD Code"));
        choose(isd.get(), "Combo5", QStringLiteral("Whole word Only"));
        child<QLineEdit>(isd.get(), "Text1")->setText(QStringLiteral("44"));
        isd->Command2_Click();
        QVERIFY(column(isd.get(), 1).contains(QStringLiteral("United Kingdom")));
        auto dist = dialog("frmDistance");
        const QStringList cities = items(dist.get(), "Combo1");
        for (const char* present : {"Kanpur", "Tiruchirappalli", "Kozhikode", "Dehradun", "Howrah"})
            QVERIFY2(cities.contains(QString::fromLatin1(present)), present);
        QVERIFY(child<QLabel>(dist.get(), "lblData")->text().contains(QStringLiteral("not road distances")));
    }

    void theCodeShowsWithoutScrolling()
    {
        // The Pune branches and the Mumbai MICR codes at each scale a host passes: the code
        // column ends inside the grid, however long the names before it.
        Messages answers(cls.session());
        for (const float scale : {1.0f, 1.25f, 1.5f}) {
            cls.InitMe(docs.path(), db.get(), QStringLiteral("host.log"), scale, scale, scale);
            auto ifsc = dialog("frmIFSC");
            ifsc->LoadData(QString(), QString());
            choose(ifsc.get(), "Combo1", QStringLiteral("MAHARASHTRA"));
            choose(ifsc.get(), "Combo2", QStringLiteral("PUNE"));
            ifsc->Command1_Click();
            auto micr = dialog("frmmicr");
            micr->LoadData(QString(), QStringLiteral("MUMBAI "));
            std::vector<std::unique_ptr<LookupDialog>> all;   // every row of the other shipped sets
            for (const char* name : {"frmpin", "frmstd", "frmISD", "frmDistance"}) {
                all.push_back(dialog(name));
                all.back()->fillAll();
            }
            for (LookupDialog* d : {ifsc.get(), micr.get(), all[0].get(), all[1].get(), all[2].get(), all[3].get()}) {
                d->show();
                auto* g = child<FlexGrid>(d, "vsf");
                QVERIFY(g->rows() > 500);
                const int code = g->codeColumns().last();
                const int right = g->columnViewportPosition(code) + g->columnWidth(code);
                QVERIFY2(right <= g->viewport()->width(),
                         qPrintable(QStringLiteral("%1 at %2: %3 > %4").arg(d->objectName()).arg(scale).arg(right).arg(g->viewport()->width())));
                QVERIFY(g->columnWidth(code) >= g->fontMetrics().horizontalAdvance(g->textMatrix(1, code)));
            }
        }
        cls.InitMe(docs.path(), db.get(), QStringLiteral("host.log"), 1, 1, 1);
    }
};

QEL_TEST(TestShippedData);
#include "test_shippeddata.moc"
