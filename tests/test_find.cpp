#include "component/clsmain.h"
#include "core/msgservice.h"
#include "lookups/find/finder.h"
#include "lookups/find/frmfind.h"
#include "lookups/find/nameindex.h"
#include "lookups/grid/flexgrid.h"
#include "mainwin/frmmain.h"
#include "refdata/codes.h"
#include "refdata/resourcestore.h"
#include "tests/fixtures.h"
#include "tests/lookuptesting.h"
#include "tests/testsupport.h"
#include "tests/usersim.h"
#include <QClipboard>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QTemporaryDir>

using namespace qel;
using namespace qel::test;

// The Find window on the shipped data: every kind of code and name, typed as a user types.
class TestFind : public QObject {
    Q_OBJECT
    QTemporaryDir docs{docsRoot() + QStringLiteral("/docs-XXXXXX")};
    std::unique_ptr<Connection> db;
    ClsMain cls;
    std::unique_ptr<frmFind> w;
    Messages messages{cls.session()};   // none expected (cleanupTestCase)

    // Clears the box and types text into it, as the keyboard does; waits for the answers.
    QStringList type(const QString& text)
    {
        pressKey(w.get(), Qt::Key_A, Qt::ControlModifier);
        pressKey(w.get(), Qt::Key_Backspace);
        typeText(w.get(), text);
        [&] { QTRY_COMPARE_WITH_TIMEOUT(child<QLineEdit>(w.get(), "txtFind")->text(), text, 5000); }();
        QTest::qWait(200);   // the pause after typing
        QStringList rows;
        for (const FindAnswer& a : w->answers())
            rows << a.kind + u'|' + a.code + u'|' + a.name;
        return rows;
    }
    QString card() const { return child<QLabel>(w.get(), "lblCard")->text(); }
    QString said() const { return child<QLabel>(w.get(), "lblKind")->text(); }

private slots:
    void initTestCase()
    {
        ResourceStore::setOverrideDir(QStringLiteral("/nonexistent"));   // the embedded resources
        db = freshDatabase(QStringLiteral("t_find"));
        cls.InitMe(docs.path(), db.get(), QStringLiteral("host.log"), 1, 1, 1);
    }
    void init()
    {
        w = std::make_unique<frmFind>();
        w->InitData(&cls.session());
        w->show();
    }
    void cleanup() { w.reset(); }
    void cleanupTestCase()
    {
        ResourceStore::setOverrideDir(QString());
        QVERIFY(QFile(docs.filePath(QStringLiteral("host.log"))).size() <= 0);   // nothing failed on the way
        QCOMPARE(messages.seen, QStringList());
    }

    void gstinChecks()
    {
        // The sample GSTIN of the GST Network's API documentation.
        const Codes::GstinCheck ok = Codes::checkGstin(QStringLiteral("27aapfu0939f1zv"));
        QVERIFY2(ok.valid(), qPrintable(ok.faults.join(u' ')));
        QCOMPARE(ok.state, QStringLiteral("27 Maharashtra"));
        QCOMPARE(ok.pan, QStringLiteral("AAPFU0939F"));
        // The buyer GSTIN of the e-invoice system's sandbox examples does not pass its check.
        QCOMPARE(Codes::checkGstin(QStringLiteral("29AWGPV7107B1Z1")).faults,
                 QStringList{QStringLiteral("The check character is \"1\"; it should be \"F\".")});
        const struct {
            const char* gstin;
            const char* fault;
        } faults[] = {
            {"27AAPFU0939F1Z", "15 characters"},        {"45AAPFU0939F1ZV", "not a GST state code"},
            {"27AAPF10939F1ZV", "not a well-formed PAN"}, {"27AAPFU0939F0ZV", "13th character"},
            {"27AAPFU0939F1YV", "14th character"},      {"27AAPFU0939F1ZW", "it should be \"V\""},
        };
        for (const auto& f : faults) {
            const QStringList found = Codes::checkGstin(QString::fromLatin1(f.gstin)).faults;
            QVERIFY2(found.join(u' ').contains(QLatin1String(f.fault)), f.gstin);
        }
        QCOMPARE(Codes::panHolder(u'C'), QStringLiteral("Company"));
        QVERIFY(Codes::panHolder(u'X').isEmpty());
    }

    void readingsOfTexts()
    {
        auto kinds = [](const char* text) {
            QStringList out;
            for (const Codes::Reading& r : Codes::readings(QString::fromLatin1(text)))
                out << Codes::tag(r.kind) + u':' + r.code;
            return out.join(u' ');
        };
        QCOMPARE(kinds("100 229 300"), QStringLiteral("MICR:100229300"));
        QCOMPARE(kinds("110001"), QStringLiteral("PIN:110001 MICR:110001"));   // a PIN, or a MICR code being typed
        QCOMPARE(kinds("0542"), QStringLiteral("STD:542"));
        QCOMPARE(kinds("542"), QStringLiteral("STD:542"));
        QCOMPARE(kinds("+44"), QStringLiteral("ISD:44"));
        QCOMPARE(kinds("0044"), QStringLiteral("ISD:44"));
        QCOMPARE(kinds("0000156"), QStringLiteral("BSR:0000156 MICR:0000156"));
        QCOMPARE(kinds("karb0000866"), QStringLiteral("IFSC:KARB0000866"));
        QCOMPARE(kinds("AAAPL1234C"), QStringLiteral("PAN:AAAPL1234C"));
        QCOMPARE(kinds("DELA12345B"), QStringLiteral("TAN:DELA12345B"));
        QCOMPARE(kinds("27AAPFU0939F1ZV"), QStringLiteral("GSTIN:27AAPFU0939F1ZV"));
        QCOMPARE(kinds("Varanasi"), QString());
    }

    void everyCodeThroughTheWindow()
    {
        QStringList rows = type(QStringLiteral("KARB0000866"));
        QCOMPARE(rows.value(0), QStringLiteral("IFSC|KARB0000866|AKKIALUR"));
        QVERIFY2(card().contains(QLatin1String("Bank: Karnataka Bank")) && card().contains(QLatin1String("District: HAVERI")), qPrintable(card()));
        QCOMPARE(type(QStringLiteral("KARB0999999")),
                 QStringList{QStringLiteral("IFSC|KARB0999999|not in the list of codes in use (as of 27 May 2026)")});
        rows = type(QStringLiteral("100229300"));
        QCOMPARE(rows, (QStringList{"MICR|100229300|ADVANT IT PARK NOIDA", "IFSC||The branches of ICICI Bank named ADVANT IT PARK NOIDA"}));
        QVERIFY(card().contains(QLatin1String("Clearing city: NOIDA")));
        pressKey(w.get(), Qt::Key_Down);
        pressKey(w.get(), Qt::Key_Return);   // the branch that carries it
        QCOMPARE(w->answers().value(0).code, QStringLiteral("ICIC0004145"));
        rows = type(QStringLiteral("110001"));
        QCOMPARE(said(), QStringLiteral("Could be: PIN code, or start of a MICR code."));
        QVERIFY(rows.contains(QStringLiteral("PIN|110001|Bengali Market")));
        QVERIFY(card().contains(QLatin1String("STD code: 011")));
        auto* grid = child<FlexGrid>(w.get(), "vsfFind");
        for (int i = 0; i < 50 && !w->answers().value(grid->row() - 1).name.startsWith(u"The bank branches"); ++i)
            pressKey(w.get(), Qt::Key_Down);   // past the post offices, to the branches there
        pressKey(w.get(), Qt::Key_Return);
        QVERIFY(w->answers().size() > 100);
        QVERIFY(std::all_of(w->answers().begin(), w->answers().end(), [](const FindAnswer& a) { return a.kind == u"IFSC"; }));
        pressKey(w.get(), Qt::Key_Escape);   // back to the PIN's answers
        QCOMPARE(w->answers().value(0).kind + w->answers().value(0).code, QStringLiteral("PIN110001"));
        QCOMPARE(type(QStringLiteral("0542")).value(0), QStringLiteral("STD|0542|Varanasi"));
        QCOMPARE(type(QStringLiteral("+44")).value(0), QStringLiteral("ISD|+44|United Kingdom"));
        QCOMPARE(type(QStringLiteral("0044")).value(0), QStringLiteral("ISD|+44|United Kingdom"));
        QCOMPARE(type(QStringLiteral("0000156")).value(0), QStringLiteral("BSR|0000156|the list of BSR codes is not installed"));
        QCOMPARE(type(QStringLiteral("AAAPL1234C")).value(0), QStringLiteral("PAN|AAAPL1234C|Valid PAN structure"));
        QVERIFY(card().contains(QLatin1String("Holder: Individual")));
        QCOMPARE(type(QStringLiteral("DELA12345B")).value(0), QStringLiteral("TAN|DELA12345B|Valid TAN structure"));
        QCOMPARE(type(QStringLiteral("27AAPFU0939F1ZW")).value(0),
                 QStringLiteral("GSTIN|27AAPFU0939F1ZW|The check character is \"W\"; it should be \"V\"."));
    }

    void namesMisspeltAndAbbreviated()
    {
        QVERIFY(type(QStringLiteral("Varansi")).value(0).endsWith(QLatin1String("|Varanasi")));
        QVERIFY(type(QStringLiteral("kochin")).value(0).endsWith(QLatin1String("|Kochi")));
        const QStringList hdfc = type(QStringLiteral("hdfc andheri"));
        QVERIFY(hdfc.size() >= 5);
        for (int i = 0; i < 5; ++i)
            QVERIFY2(hdfc[i].startsWith(u"IFSC|HDFC") && hdfc[i].contains(QLatin1String("ANDHERI")), qPrintable(hdfc[i]));
        QVERIFY(w->answers().first().where.startsWith(QLatin1String("HDFC Bank")));
    }

    void bankBrowsedAndPickedByKeyboard()
    {
        w.reset();   // only the host's window
        qel::StrArray arr(0, ClsMain::kFindUpperBound);
        ScriptedUser user;
        QStringList seen;
        auto find = [] { return qobject_cast<frmFind*>(shownWindow(QStringLiteral("frmFind"))); };
        auto level = [&](const char* kind) { return find() && !find()->answers().isEmpty() && find()->answers().first().kind == QLatin1String(kind); };
        user.when(find, [&] { typeText(find(), QStringLiteral("pnb")); })
            .when([&] { return level("Bank"); }, [&] { pressKey(find(), Qt::Key_Return); })
            .when([&] { return level("State"); }, [&] { seen << find()->answers().first().name; pressKey(find(), Qt::Key_Down); pressKey(find(), Qt::Key_Return); })
            .when([&] { return level("District"); }, [&] { pressKey(find(), Qt::Key_Escape); })   // back to the states
            .when([&] { return level("State"); }, [&] { pressKey(find(), Qt::Key_Return); })
            .when([&] { return level("District"); }, [&] { pressKey(find(), Qt::Key_Return); })
            .when([&] { return level("IFSC"); }, [&] { pressKey(find(), Qt::Key_Down); pressKey(find(), Qt::Key_Return); });
        QTimer::singleShot(60000, [&] { if (find()) find()->reject(); });   // a step that never comes fails, not hangs
        cls.FindAny(&arr, QString());
        QVERIFY(user.done());
        QCOMPARE(arr.at(0), QStringLiteral("IFSC"));
        QVERIFY2(arr.at(1).startsWith(QLatin1String("PUNB")), qPrintable(arr.at(1)));
        QCOMPARE(arr.at(2), QStringLiteral("Punjab National Bank"));   // the card: bank, branch, address, centre, district, state
        QVERIFY(!arr.at(7).isEmpty());
    }

    void ctrlFFromTheMenuWindow()
    {
        w.reset();
        frmmain menu;
        menu.InitData(&cls.session());
        ScriptedUser user;
        QString answered;
        user.when([] { return shownWindow(QStringLiteral("frmFind")); }, [&] {
            auto* find = qobject_cast<frmFind*>(shownWindow(QStringLiteral("frmFind")));
            typeText(find, QStringLiteral("0542"));
            QTRY_VERIFY(!find->answers().isEmpty());
            answered = find->answers().first().name;
            pressKey(find, Qt::Key_Escape);
        });
        pressKey(&menu, Qt::Key_F, Qt::ControlModifier);
        QTRY_VERIFY(user.done());
        QCOMPARE(answered, QStringLiteral("Varanasi"));
        QVERIFY(!shownWindow(QStringLiteral("frmFind")));
    }

    void copyKeysAndCardFields()
    {
        type(QStringLiteral("KARB0000866"));
        QApplication::clipboard()->clear();
        pressKey(w.get(), Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("KARB0000866"));
        ScriptedUser user;
        user.when([] { return qobject_cast<QMenu*>(QApplication::activePopupWidget()); }, [] {
            for (QAction* a : QApplication::activePopupWidget()->actions())
                if (a->text() == u"Copy district")
                    a->trigger();
            QApplication::activePopupWidget()->close();
        });
        auto* lbl = child<QLabel>(w.get(), "lblCard");
        emit lbl->customContextMenuRequested(QPoint(5, 5));
        QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("HAVERI"));
    }

    void hostileText()
    {
        // Pasted, as such texts come: quotes and like patterns, control characters, 10 MB.
        for (const QString& text : {QStringLiteral("O'Reilly\\'; drop table x; --"), QStringLiteral("%_%\\"),
                                    QStringLiteral("\x01\x02\x7f bank\n\t"), QString(10 * 1024 * 1024, u'9')}) {
            QApplication::clipboard()->setText(text);
            pressKey(w.get(), Qt::Key_A, Qt::ControlModifier);
            pressKey(w.get(), Qt::Key_V, Qt::ControlModifier);
            QTest::qWait(300);   // an answer or none, and nothing logged (cleanupTestCase)
        }
        QVERIFY(w->answers().isEmpty());
        QCOMPARE(said(), QStringLiteral("A name: banks, branches, towns, districts, post offices and countries."));
    }

    void indexFollowsAnInstalledList()
    {
        QVERIFY(Finder(&cls.session()).nameIndex());
        const int builds = Finder::indexBuilds();
        QVERIFY(Finder(&cls.session()).nameIndex());
        QCOMPARE(Finder::indexBuilds(), builds);   // the same tables: the same index
        QTemporaryDir dir;
        writeResource(dir.path(), QStringLiteral("ISD"), record({"FIXTURELAND", "(country code)", "999"}, 1) + '\xA6');
        {
            const Scoped installed(ResourceStore::setOverrideDir, dir.path(), QStringLiteral("/nonexistent"));
            QCOMPARE(Finder(&cls.session()).answer(QStringLiteral("fixturlands")).value(0).name, QStringLiteral("FIXTURELAND"));
            QCOMPARE(Finder::indexBuilds(), builds + 1);
        }
        QVERIFY(Finder(&cls.session()).answer(QStringLiteral("fixtureland")).isEmpty());   // the shipped list again
        QCOMPARE(Finder(&cls.session()).answer(QStringLiteral("Kenya")).value(0).code, QStringLiteral("+254"));
    }

    void nameQuality()
    {
        QFile f(QStringLiteral(QEL_SOURCE_DIR "/tests/data/find-queries.tsv"));
        QVERIFY(f.open(QIODevice::ReadOnly));
        Finder finder(&cls.session());
        int queries = 0, first = 0, topFive = 0;
        QStringList missed;
        for (const QByteArray& line : f.readAll().split('\n')) {
            const QList<QByteArray> q = line.split('\t');
            if (q.size() != 3 || line.startsWith('#'))
                continue;
            ++queries;
            const QString kind = QString::fromUtf8(q[1]), meant = QString::fromUtf8(q[2]).simplified();
            const QVector<FindAnswer> answers = finder.answer(QString::fromUtf8(q[0]));
            int at = -1;
            for (int i = 0; i < std::min<int>(5, answers.size()) && at < 0; ++i) {
                const FindAnswer& a = answers[i];
                const bool kindOk = kind == u"place" ? (a.kind == u"Town" || a.kind == u"District") : a.kind == kind;
                if (kindOk && (kind == u"IFSC" ? a.code == meant : a.name.simplified().compare(meant, Qt::CaseInsensitive) == 0))
                    at = i;
            }
            first += at == 0;
            topFive += at >= 0;
            if (at != 0)
            {
                QStringList top;
                for (const FindAnswer& a : answers.mid(0, 5))
                    top << a.kind + u':' + a.name + u':' + a.code;
                missed << QStringLiteral("%1 [%2] -> %3 (meant %4)").arg(QString::fromUtf8(q[0])).arg(at).arg(top.join(QStringLiteral(" / ")), meant);
            }
        }
        qInfo("%d queries: %.1f%% answered first, %.1f%% in the first five", queries, 100.0 * first / queries, 100.0 * topFive / queries);
        qInfo("%s", qPrintable(missed.join(u'\n')));
        QVERIFY(queries >= 200);
        QVERIFY(topFive * 100 >= queries * 95);
    }
};

QEL_TEST(TestFind);
#include "test_find.moc"
