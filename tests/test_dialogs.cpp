#include "component/clsmain.h"
#include "lookups/lookupdialog.h"
#include "refdata/resourcestore.h"
#include "tests/fixtures.h"
#include "tests/lookuptesting.h"
#include "tests/testsupport.h"
#include "tests/usersim.h"
#include <QFileDialog>
#include <QScopeGuard>
#include <QLabel>
#include <QTemporaryDir>

namespace qel {
QString sevenDigits(const QString& code);
QString cleanPhoneList(const QString& field);
QString cleanEmailList(const QString& field);
QString RemoveExtraSpaces(QString text);
}

using namespace qel;
using test::child;
using test::column;
using test::items;
using test::record;

// What each dialog does differently from the shared pattern, on fixture tables.
class TestDialogs : public QObject {
    Q_OBJECT
    QTemporaryDir resDir, docDir{test::docsRoot() + QStringLiteral("/docs-XXXXXX")};
    std::unique_ptr<Connection> db;
    ClsMain cls;

    static QByteArray recs(const QList<QByteArray>& r)
    {
        QByteArray out;
        for (const QByteArray& x : r)
            out += x + '\xA6';
        return out;
    }

    std::unique_ptr<LookupDialog> open(const char* name)
    {
        std::unique_ptr<LookupDialog> d = test::lookupDialog(name);
        d->InitData(&cls.session());
        return d;
    }


    static void advanced(QWidget* d, const char* by, const char* how, const QString& value, const char* byCombo = "Combo4",
                         const char* howCombo = "Combo5")
    {
        test::choose(d, byCombo, QString::fromLatin1(by));
        test::choose(d, howCombo, QString::fromLatin1(how));
        child<QLineEdit>(d, "Text1")->setText(value);
        static_cast<LookupDialog*>(d)->Command2_Click();
    }
    // The FIXTURE lists of the bank and tax-office dialogs.
    static void writeBankAndOfficeFixtures(const QString& dir)
    {
        test::writeResource(dir, QStringLiteral("IFSC"), recs({
            record({"FIXTURE BANK A", "FIXA0000001", "BR ONE", "CENTRE X", "DIST P", "STATE S", "ADDR 1"}),
            record({"FIXTURE BANK B", "FIXB0000002", "BR TWO", "CENTRE Y", "DIST P", "STATE S", "ADDR 2"}),
            record({"FIXTURE BANK A", "FIXA0000003", "BR THREE", "CENTRE Z", "DIST Q", "STATE S", "ADDR 3"}),
            record({"FIXTURE BANK C", "FIXC0000004", "BR FOUR", "CENTRE W", "DIST P", "STATE T", "ADDR 4"}),
        }));
        test::writeResource(dir, QStringLiteral("BANKBSR"), recs({
            record({"STATE S", "CITY P", "FIXTURE BANK A", "BR ONE", "0000156"}),
            record({"STATE S", "CITY Q", "FIXTURE BANK B", "BR TWO", "0000157"}),
            record({"", "", "FIXTURE BANK EMPTY", "BR NONE", "0000158"}),
            record({"STATE T", "CITY P", "FIXTURE BANK A", "BR THREE", "0000159"}),
        }));
        const QByteArray ao = recs({
            record({"FIXTURE CITY", "WARD 2", "Covers the NORTH zone", "AAA", "W", "11", "2"}),
            record({"FIXTURE CITY", "WARD 1", "covers north and south", "AAB", "W", "12", "1"}),
            record({"FIXTURE CITY", "WARD 3", "east only", "AAC", "C", "13", "3"}),
            record({"OTHER CITY", "WARD 9", "north", "BBB", "W", "14", "9"}),
        });
        test::writeResource(dir, QStringLiteral("PANAO"), ao);
        // TAN data hold the range code before the AO type.
        test::writeResource(dir, QStringLiteral("TANAO"), recs({
            record({"FIXTURE CITY", "WARD 2", "Covers the NORTH zone", "AAA", "11", "W", "2"}),
            record({"FIXTURE CITY", "WARD 1", "covers north and south", "AAB", "12", "W", "1"}),
            record({"FIXTURE CITY", "WARD 3", "east only", "AAC", "13", "C", "3"}),
            record({"OTHER CITY", "WARD 9", "north", "BBB", "14", "W", "9"}),
        }));
    }

    // The FIXTURE lists of the service-tax, nodal, PIN, distance and TIN-FC dialogs.
    static void writeOtherFixtures(const QString& dir)
    {
        test::writeResource(dir, QStringLiteral("SVT_LOC"), recs({
            record({"STATE S", "CITY C", "AREA A", "744103", "LOCALITY 1", "700101"}, 1),
            record({"STATE S", "CITY C", "AREA B", "744104", "LOCALITY 2", ""}, 2),
            record({"STATE S", "CITY D", "AREA A", "744105", "LOCALITY 3", "990101"}, 3),
            record({"STATE T", "CITY E", "AREA E", "744106", "LOCALITY 4", "700201"}, 4),
        }));
        const auto office = [](const char* code, const char* nm) {
            return record({code, nm, "FIXTURE ADDRESS", "", "", "", "", "", "", ""});
        };
        test::writeResource(dir, QStringLiteral("SVT_RNG"), recs({office("700101", "RANGE ONE"), office("990101", "RANGE NINE")}));
        test::writeResource(dir, QStringLiteral("SVT_COM"), recs({office("70", "COMMISSIONERATE SEVENTY")}));
        test::writeResource(dir, QStringLiteral("SVT_DIV"), recs({office("7001", "DIVISION ONE"), office("7002", "DIVISION TWO")}));
        test::writeResource(dir, QStringLiteral("BANKNODAL"), [] {
            QByteArray b;
            b += record({"FIXTURE BANK", "210181", "BR Z", "210181", "NODAL Z"}, 1) + "\xA6\r\n";
            b += record({"FIXTURE BANK", "0000312", "BR A", "0000312", "NODAL A"}, 2) + "\xA6\r\n";
            b += record({"OTHER BANK", "AB12", "BR B", "", "NODAL B"}, 3) + "\xA6\r\n";
            return b;
        }());
        test::writeResource(dir, QStringLiteral("PIN"), recs({
            record({"STATE S", "CITY C", "AREA TWO CODES", "744101"}, 1),
            record({"STATE S", "CITY C", "AREA TWO CODES", "744102"}, 2),
            record({"STATE S", "CITY C", "AREA ONE", "744103"}, 3),
        }));
        test::writeResource(dir, QStringLiteral("DIST"), recs({
            record({"CITY A", "CITY B", "100"}, 1), record({"CITY B", "CITY C", "250"}, 2), record({"O'TOWN", "CITY A", "7"}, 3),
        }));
        test::writeResource(dir, QStringLiteral("TINFC"), recs({
            record({"STATE S", "CITY C", "FC1", "FACILITATOR F", "PERSON", "A VERY   LONG ADDRESS", "011 - 234, 011 - 567",
                    "234/567", "a@x.in, b@y.in"}),
            record({"STATE S", "CITY C", "FC2", "FACILITATOR G", "PERSON", "ADDR", "234, 987", "  12   34  ", "c@z.in"}),
        }));
    }

private slots:
    void initTestCase()
    {
        ResourceStore::setOverrideDir(resDir.path());
        writeBankAndOfficeFixtures(resDir.path());
        writeOtherFixtures(resDir.path());
        db = test::freshDatabase(QStringLiteral("t_dialogs"));
        cls.InitMe(docDir.path(), db.get(), QStringLiteral("host.log"), 1, 1, 1);
    }
    void cleanupTestCase() { ResourceStore::setOverrideDir(QString()); }

    void ifscListsFilterByEveryListAbove()
    {
        auto d = open("frmIFSC");
        d->LoadData(QString(), QString());
        QVERIFY(child<QPushButton>(d.get(), "cmdselect")->isHidden());
        QCOMPARE(items(d.get(), "Combo1"), (QStringList{"STATE S", "STATE T"}));
        QVERIFY(items(d.get(), "Combo2").isEmpty());   // nothing above holds a value
        test::choose(d.get(), "Combo1", QStringLiteral("STATE S"));
        QCOMPARE(items(d.get(), "Combo2"), (QStringList{"DIST P", "DIST Q"}));
        QCOMPARE(items(d.get(), "Combo3"), (QStringList{"CENTRE X", "CENTRE Y", "CENTRE Z"}));
        QCOMPARE(items(d.get(), "Combo4"), (QStringList{"FIXTURE BANK A", "FIXTURE BANK B"}));
        test::choose(d.get(), "Combo2", QStringLiteral("DIST P"));
        QCOMPARE(items(d.get(), "Combo3"), (QStringList{"CENTRE X", "CENTRE Y"}));
        test::choose(d.get(), "Combo3", QStringLiteral("CENTRE Y"));
        QCOMPARE(items(d.get(), "Combo4"), QStringList{"FIXTURE BANK B"});
        test::choose(d.get(), "Combo4", QStringLiteral("FIXTURE BANK B"));   // a bank click refills and searches nothing
        QCOMPARE(child<FlexGrid>(d.get(), "vsf")->rows(), 1);
    }

    void ifscHostPreselectionAndSlot()
    {
        auto d = open("frmIFSC");
        d->LoadData(QStringLiteral("DIST P "), QStringLiteral(" "));
        auto* g = child<FlexGrid>(d.get(), "vsf");
        QVERIFY(g->colHidden(2) && !g->colHidden(1));
        QCOMPARE(column(d.get(), 6), (QStringList{"FIXA0000001", "FIXB0000002", "FIXC0000004"}));   // any state
        QVERIFY(items(d.get(), "Combo2").isEmpty());
        // The advanced search takes the value as typed, spaces included.
        test::Messages m(cls.session());
        advanced(d.get(), "Bank Branch", "Containing", QStringLiteral(" TWO"), "Combo5", "Combo6");
        QCOMPARE(column(d.get(), 6), QStringList{"FIXB0000002"});
        advanced(d.get(), "Bank Branch", "Start with", QStringLiteral(" BR"), "Combo5", "Combo6");
        QCOMPARE(g->rows(), 1);
        g->setRow(0);
    }

    void typingInAListRefillsNothing()
    {
        // IFSC, BSR and service tax: only a click refills the lists below (MICR's completion does).
        for (const auto& [name, args] : {std::pair{"frmIFSC", 2}, {"frmbankBSR", 1}, {"frmSVTRange", 3}}) {
            auto d = open(name);
            const QString e;
            if (args == 1)
                d->LoadData(e);
            else if (args == 2)
                d->LoadData(e, e);
            else
                d->LoadData(e, e, e);
            const QStringList before = items(d.get(), "Combo2");
            auto* c = child<QComboBox>(d.get(), "Combo1");
            test::typeInto(c, QStringLiteral("state s"));
            QCOMPARE(c->currentText(), QStringLiteral("STATE S"));   // completed
            QCOMPARE(items(d.get(), "Combo2"), before);
            c->setCurrentIndex(c->findText(QStringLiteral("STATE T")));   // a click
            QVERIFY2(items(d.get(), "Combo2") != before, name);
        }
    }

    void bsrListsAskForEmptyStateAndCity()
    {
        auto d = open("frmbankBSR");
        d->LoadData(QStringLiteral("FIXTURE BANK A "));
        // The bank list was filled with state and city empty: rows whose state and city are empty.
        QCOMPARE(column(d.get(), 4), (QStringList{"BR ONE", "BR THREE"}));
        QVERIFY(child<FlexGrid>(d.get(), "vsf")->colHidden(3));
        QCOMPARE(items(d.get(), "Combo2"), QStringList{""});
        QCOMPARE(items(d.get(), "Combo3"), QStringList{"FIXTURE BANK EMPTY"});
        test::choose(d.get(), "Combo1", QStringLiteral("STATE S"));
        QCOMPARE(items(d.get(), "Combo2"), (QStringList{"CITY P", "CITY Q"}));
        QVERIFY(items(d.get(), "Combo3").isEmpty());   // no city chosen yet
        test::choose(d.get(), "Combo2", QStringLiteral("CITY Q"));
        QCOMPARE(items(d.get(), "Combo3"), QStringList{"FIXTURE BANK B"});
    }

    void getBsrCodeReturnsThreeSlots()
    {
        test::pickWhenOpen(2);
        StrArray arr(0, 2);
        cls.GetBSRCode(&arr, QStringLiteral("FIXTURE BANK A"));
        QCOMPARE((QStringList{arr.at(0), arr.at(1), arr.at(2)}), (QStringList{"FIXTURE BANK A", "BR THREE", "0000159"}));
    }

    void panAndTanModes()
    {
        auto pan = open("frmpantanao");
        pan->LoadData(true, QStringLiteral("FIXTURE CITY "));
        QCOMPARE(child<QLabel>(pan.get(), "Label1")->text(), QStringLiteral("PAN-AO Code Search"));
        auto* g = child<FlexGrid>(pan.get(), "vsf");
        QCOMPARE(g->textMatrix(0, 3), QStringLiteral("Description"));
        QVERIFY(g->colHidden(1));
        QCOMPARE(column(pan.get(), 2), (QStringList{"WARD 1", "WARD 2", "WARD 3"}));
        QCOMPARE(column(pan.get(), 5), (QStringList{"W", "W", "C"}));   // PAN: AO types under "AO Type"
        QVERIFY(child<QLineEdit>(pan.get(), "Text1")->isHidden());
        QCOMPARE(g->gridModel()->data(g->gridModel()->index(0, 3), Qt::FontRole).value<QFont>().pointSizeF(), g->fontSize() * 0.8);

        auto tan = open("frmpantanao");
        tan->LoadData(false, QStringLiteral("FIXTURE CITY "));
        QCOMPARE(child<QLabel>(tan.get(), "Label1")->text(), QStringLiteral("TAN-AO Code Search"));
        QCOMPARE(child<FlexGrid>(tan.get(), "vsf")->textMatrix(0, 3), QStringLiteral("Remarks (City Area/Jurisdiction)"));
        QVERIFY(!child<QLineEdit>(tan.get(), "Text1")->isHidden());
        QCOMPARE(column(tan.get(), 5), (QStringList{"12", "11", "13"}));   // TAN data: range codes under "AO Type"
        QCOMPARE(test::scalar(*db, QStringLiteral("Select count(*) from TmpTANAO_Master")), QStringLiteral("4"));
    }

    void tanFindWrapsAndHighlights()
    {
        test::Messages m(cls.session());
        auto d = open("frmpantanao");
        d->LoadData(false, QStringLiteral("FIXTURE CITY "));
        d->show();
        auto* g = child<FlexGrid>(d.get(), "vsf");
        auto* text = child<QLineEdit>(d.get(), "Text1");
        text->setText(QStringLiteral("  North "));
        d->Command2_Click();
        QCOMPARE(g->row(), 1);   // "covers north and south"
        QCOMPARE(g->viewport()->findChild<QLineEdit*>()->selectedText(), QStringLiteral("north"));
        d->Command2_Click();
        QCOMPARE(g->row(), 2);   // "Covers the NORTH zone"
        d->Command2_Click();
        QCOMPARE(g->row(), 1);   // wrapped to the top
        text->setText(QStringLiteral("west"));
        d->Command2_Click();
        text->setText(QString());
        d->Command2_Click();
        QCOMPARE(m.seen, (QStringList{"No Match Found.", "Please Enter Area/Jurisdiction to Search."}));
    }

    void panSelectReturnsTheSerialNumber()
    {
        test::pickWhenOpen(3);
        StrArray arr(0, 4);
        cls.GetPANTANAOCode(true, &arr, QStringLiteral("FIXTURE CITY"));
        QCOMPARE((QStringList{arr.at(0), arr.at(1), arr.at(2), arr.at(3), arr.at(4)}), (QStringList{"3", "AAC", "C", "13", "3"}));
    }

    void serviceTaxCodesAndOffices()
    {
        auto d = open("frmSVTRange");
        d->LoadData(QStringLiteral("STATE S "), QString(), QString());
        auto* g = child<FlexGrid>(d.get(), "vsf");
        QVERIFY(g->colHidden(1));
        QCOMPARE(g->frozenCols(), 4);   // column 0, the hidden State, then City and Area
        // Sorted by city, area, then commissionerate code.
        QCOMPARE(column(d.get(), 4), (QStringList{"LOCALITY 1", "LOCALITY 2", "LOCALITY 3"}));
        QCOMPARE((QStringList{g->textMatrix(1, 5), g->textMatrix(1, 6), g->textMatrix(1, 7)}), (QStringList{"70", "01", "01"}));
        QCOMPARE(g->textMatrix(1, 8), QStringLiteral("RANGE ONE, FIXTURE ADDRESS"));
        QCOMPARE(g->textMatrix(1, 9), QStringLiteral("DIVISION ONE, FIXTURE ADDRESS"));
        QCOMPARE(g->textMatrix(1, 10), QStringLiteral("COMMISSIONERATE SEVENTY, FIXTURE ADDRESS"));
        // No range code: empty code columns and no offices.
        QCOMPARE((QStringList{g->textMatrix(2, 5), g->textMatrix(2, 7), g->textMatrix(2, 8), g->textMatrix(2, 10)}),
                 (QStringList{"", "", "", ""}));
        // Missing division and commissionerate: only those columns stay empty.
        QCOMPARE(g->textMatrix(3, 8), QStringLiteral("RANGE NINE, FIXTURE ADDRESS"));
        QCOMPARE((QStringList{g->textMatrix(3, 9), g->textMatrix(3, 10)}), (QStringList{"", ""}));

        test::pickWhenOpen(1);
        StrArray arr(0, 3);
        cls.GetRanges(&arr, QStringLiteral("STATE T"), QString(), QString());
        QCOMPARE((QStringList{arr.at(0), arr.at(1), arr.at(2), arr.at(3)}),
                 (QStringList{"70", "02", "01", "COMMISSIONERATE SEVENTY, FIXTURE ADDRESS"}));
    }

    void nodalFormatsCodesAndKeepsLoadOrder()
    {
        test::Messages m(cls.session());
        auto d = open("frmNodalBank");
        QCOMPARE(child<QLabel>(d.get(), "Label1")->text(), QStringLiteral("Bank BSR & Nodal Bank BSR Code Search"));
        QVERIFY(d->findChild<QPushButton*>(QStringLiteral("cmdselect"))->isHidden());
        test::choose(d.get(), "Combo1", QStringLiteral("FIXTURE BANK"));
        d->Command1_Click();
        QCOMPARE(column(d.get(), 3), (QStringList{"BR Z", "BR A"}));   // load order, not sorted
        QCOMPARE(column(d.get(), 2), (QStringList{"0210181", "0000312"}));
        advanced(d.get(), "BSR Code", "Start with", QStringLiteral("0000"));
        QCOMPARE(column(d.get(), 3), QStringList{"BR A"});   // the stored text, not the display form
        QCOMPARE(sevenDigits(QStringLiteral("AB12")), QStringLiteral("AB12"));
        QCOMPARE(sevenDigits(QString()), QString());
    }

    void pinAreaWithTwoCodesShowsTwice()
    {
        test::Messages m(cls.session());
        auto d = open("frmpin");
        test::choose(d.get(), "Combo1", QStringLiteral("STATE S"));
        test::choose(d.get(), "Combo2", QStringLiteral("CITY C"));
        QCOMPARE(items(d.get(), "Combo3"), (QStringList{"AREA ONE", "AREA TWO CODES", "AREA TWO CODES"}));
        test::choose(d.get(), "Combo3", QStringLiteral("AREA TWO CODES"));
        d->Command1_Click();
        QCOMPARE(column(d.get(), 4), (QStringList{"744101", "744102"}));
        auto* g = child<FlexGrid>(d.get(), "vsf");
        QVERIFY(g->colHidden(1) && g->colHidden(2) && g->colHidden(3));
        advanced(d.get(), "Pin Code", "Whole word Only", QStringLiteral("744101"));
        QCOMPARE(column(d.get(), 4), QStringList{"744101"});
        QVERIFY(!g->colHidden(1));
    }

    void distanceAccumulatesUntilCleared()
    {
        test::Messages m(cls.session());
        auto d = open("frmDistance");
        d->Command1_Click();
        QCOMPARE(m.seen, QStringList{"Please select a City."});
        test::choose(d.get(), "Combo1", QStringLiteral("CITY B"));
        test::choose(d.get(), "Combo2", QStringLiteral("CITY A"));   // only held the other way round
        d->Command1_Click();
        QCOMPARE(m.seen.last(), QStringLiteral("No Record Found."));
        QCOMPARE(child<QComboBox>(d.get(), "Combo1")->currentText(), QStringLiteral("CITY B"));   // kept
        test::choose(d.get(), "Combo1", QStringLiteral("CITY A"));
        test::choose(d.get(), "Combo2", QStringLiteral("CITY B"));
        d->Command1_Click();
        QCOMPARE(child<QComboBox>(d.get(), "Combo1")->currentText(), QString());   // cleared for the next pair
        test::choose(d.get(), "Combo1", QStringLiteral("O'TOWN"));
        test::choose(d.get(), "Combo2", QStringLiteral("CITY A"));
        d->Command1_Click();
        QCOMPARE(column(d.get(), 3), (QStringList{"100", "7"}));
        QCOMPARE(column(d.get(), 0), (QStringList{"1", "2"}));
        const int notices = int(m.seen.size());
        test::choose(d.get(), "Combo1", QStringLiteral("CITY C"));
        test::choose(d.get(), "Combo2", QStringLiteral("CITY A"));
        d->Command1_Click();   // nothing found, but rows remain: no notice
        QCOMPARE(int(m.seen.size()), notices);
        child<QPushButton>(d.get(), "Command2")->click();
        QCOMPARE(child<FlexGrid>(d.get(), "vsf")->rows(), 1);
    }

    void emptyDataSetCanBeInstalledFromTheDialog()
    {
        auto withData = open("frmpin");
        QVERIFY(!withData->findChild<QLabel*>(QStringLiteral("lblNoData")));
        QTemporaryDir installed;   // the embedded TIN-FC resource is empty, and nothing is installed here yet
        const test::Scoped resources(&ResourceStore::setOverrideDir, installed.path(), resDir.path());
        auto d = open("frmtinfc");
        auto* note = d->findChild<QLabel*>(QStringLiteral("lblNoData"));
        QVERIFY(note && !note->isHidden());
        QVERIFY(note->text().startsWith(QStringLiteral("This list is not installed")));
        QVERIFY(!note->text().contains(QStringLiteral("Tmp")));   // no table names
        // A file with an error is refused with its line, and nothing changes; a good one installs.
        QTemporaryDir files;
        const QByteArray header = "State,City,TIN FC Code,Facilitator,Contact Person,Address,Phones,Faxes,Emails\n";
        const QByteArray row = "FIXTURE STATE,FIXTURE CITY,FC001,FIXTURE FACILITATOR,A PERSON,1 ROAD,011-1,,a@x.in\n";
        QVERIFY(test::writeFile(files.filePath(QStringLiteral("bad.csv")), header + row + "\"unterminated,FIXTURE CITY\n"));
        QVERIFY(test::writeFile(files.filePath(QStringLiteral("good.csv")), header + row));
        test::Messages m(cls.session());
        test::ScriptedUser user;
        const auto shown = [](const char* name) { return [name] { return test::shownWindow(QString::fromLatin1(name)) != nullptr; }; };
        const auto choose = [](const char*) { return [] { test::click(QStringLiteral("frmInstallList"), "cmdChoose"); }; };
        const auto pick = [&files](const char* name) {
            return [&files, name] {
                auto* ask = qobject_cast<QFileDialog*>(test::shownWindow(QStringLiteral("dlgOpenList")));
                // Typed into its file name box, as a user does, and confirmed with Enter.
                auto* box = ask->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
                box->setFocus();
                box->setText(files.filePath(QString::fromLatin1(name)));
                test::pressKey(ask, Qt::Key_Return);
            };
        };
        const auto loaded = [](const char* name) {
            return [name] {
                QWidget* w = test::shownWindow(QStringLiteral("frmInstallList"));
                return w && !test::shownWindow(QStringLiteral("dlgOpenList"))
                       && w->findChild<QLabel*>(QStringLiteral("lblFile"))->text().endsWith(QString::fromLatin1(name));
            };
        };
        const auto install = [] { test::click(QStringLiteral("frmInstallList"), "cmdInstall"); };
        user.when(shown("frmInstallList"), choose("bad.csv"))
            .when(shown("dlgOpenList"), pick("bad.csv"))
            .when(loaded("bad.csv"), install)
            .when([&m] { return !m.seen.isEmpty(); }, choose("good.csv"))
            .when(shown("dlgOpenList"), pick("good.csv"))
            .when(loaded("good.csv"), install);
        d->show();
        child<QPushButton>(d.get(), "cmdInstallList")->click();
        QVERIFY(user.done());
        QCOMPARE(m.seen.size(), 2);
        QVERIFY2(m.seen[0].contains(QStringLiteral("nothing has changed")) && m.seen[0].contains(QStringLiteral("line 3")), qPrintable(m.seen[0]));
        QCOMPARE(m.seen[1], QStringLiteral("1 records installed."));
        QVERIFY(note->isHidden());
        QCOMPARE(items(d.get(), "Combo1"), QStringList{"FIXTURE STATE"});
    }

    void tinfcCleaning_data()
    {
        QTest::addColumn<QString>("phones");
        QTest::addColumn<QString>("shown");
        QTest::newRow("spaced hyphens, new line at 0") << "011 - 234, 011 - 567" << "011-234\n011-567";
        QTest::newRow("slash stays") << "234/567" << "234/567";
        QTest::newRow("new line at 9") << "234, 987" << "234\n987";
        QTest::newRow("runs of spaces") << "  12   34  " << "12 34";
    }
    void tinfcCleaning()
    {
        QFETCH(QString, phones);
        QFETCH(QString, shown);
        QCOMPARE(cleanPhoneList(phones), shown);
        QCOMPARE(cleanEmailList(QStringLiteral("a@x.in, b@y.in")), QStringLiteral("a@x.in\nb@y.in"));
        QCOMPARE(RemoveExtraSpaces(QStringLiteral("  a     b ")), QStringLiteral("a b"));
    }

    void tinfcGridCapsAndWraps()
    {
        test::Messages m(cls.session());
        auto d = open("frmtinfc");
        child<QComboBox>(d.get(), "Combo1")->setEditText(QStringLiteral(" STATE S"));
        // The list fills trim: the city list fills even with the leading space.
        static_cast<LookupDialog*>(d.get())->LoadCombo(1);
        QCOMPARE(items(d.get(), "Combo2"), QStringList{"CITY C"});
        d->Command1_Click();
        auto* g = child<FlexGrid>(d.get(), "vsf");
        QCOMPARE(column(d.get(), 7), (QStringList{"011-234\n011-567", "234\n987"}));
        QCOMPARE(column(d.get(), 9).first(), QStringLiteral("a@x.in\nb@y.in"));
        QVERIFY(g->columnWidth(6) <= qRound(g->width() * 0.28));
        QVERIFY(g->wordWrap());
        d->show();
        QApplication::processEvents();
        QVERIFY(g->rowHeight(0) > g->fontMetrics().height() * 1.5);   // two lines
        QVERIFY(g->rowHeight(1) > g->fontMetrics().height() * 1.5);
        // A search value keeps its leading space.
        advanced(d.get(), "Address", "Containing", QStringLiteral(" LONG"));
        QCOMPARE(column(d.get(), 3), QStringList{"FC1"});
    }
};

QEL_TEST(TestDialogs);
#include "test_dialogs.moc"
