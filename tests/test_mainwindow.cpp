#include "app/hostwindow.h"
#include "lookups/lookupwindow.h"
#include "refdata/resourcestore.h"
#include "component/clsmain.h"
#include "core/settings.h"
#include "verify/pantandialog.h"
#include "mainwin/frmmain.h"
#include "tests/fakedialog.h"
#include "tests/lookuptesting.h"
#include "tests/testsupport.h"
#include "tests/usersim.h"
#include <QCheckBox>
#include <QDir>
#include <QTemporaryDir>
#include <QMainWindow>
#include <QMenuBar>
#include <QRegularExpression>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QRadioButton>
#include <QScrollArea>
#include <QSettings>

using namespace qel;
using test::child;

// Stands in for the host's frame window.
class FakeHost : public QObject {
    Q_OBJECT
public:
    int reloads = 0;
    Q_INVOKABLE void ReloadMenu() { ++reloads; }
};

// Stands in for the online verification: answers with what it is told (or with the way it
// stands for).
class FakeVerifier : public PanTanDialog {
    Q_OBJECT
public:
    static inline QString request, answer;
    explicit FakeVerifier(const QString& way = QString()) : PanTanDialog(nullptr), m_way(way) {}
    bool waitingForCode() const override { return false; }
    int exec() override
    {
        request = ClsObj->PANTAN_Status();
        ClsObj->setPANTAN_Status(m_way.isEmpty() ? answer : m_way);
        return 0;
    }

protected:
    void start() override {}

private:
    QString m_way;
};

class TestMainWindow : public QObject {
    Q_OBJECT
    std::unique_ptr<Connection> db;

private slots:
    void initTestCase() { db = test::freshDatabase(QStringLiteral("t_mainwin")); }

    void structureChecks_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("pan");
        QTest::addColumn<bool>("tan");
        QTest::newRow("pan") << "ABCDE1234F" << true << false;
        QTest::newRow("lower case") << "abcde1234f" << false << false;
        QTest::newRow("digit at 5") << "ABCD11234F" << false << true;   // a TAN may have a letter at 4
        QTest::newRow("special any case") << "PanNotAvbl" << true << false;
        QTest::newRow("special invalid") << "PANINVALID" << true << false;
        QTest::newRow("special applied") << "panapplied" << true << false;
        QTest::newRow("tan special as pan") << "TANNOTAVBL" << false << true;
        QTest::newRow("nine") << "ABCDE1234" << false << false;
        QTest::newRow("empty") << "" << true << true;
        QTest::newRow("tan letter at 4") << "DELA12345B" << false << true;
        QTest::newRow("tan digit at 4") << "DEL112345B" << false << true;
        QTest::newRow("tan digit at 3") << "DE1A12345B" << false << false;
        QTest::newRow("tan letter at 9") << "DELA1234BB" << false << false;
    }
    void structureChecks()
    {
        QFETCH(QString, text);
        QFETCH(bool, pan);
        QFETCH(bool, tan);
        QCOMPARE(frmmain::IsValidPAN(text), pan);
        QCOMPARE(frmmain::IsValidTAN(text), tan);
    }

    void menuInOrder()
    {
        frmmain w;
        QStringList captions;
        QList<int> indexes;
        auto buttons = w.findChildren<QPushButton*>(QStringLiteral("Command1"));
        std::sort(buttons.begin(), buttons.end(), [](auto* a, auto* b) { return a->y() < b->y(); });
        for (auto* b : buttons) {
            captions << b->text();
            indexes << b->property("Index").toInt();
        }
        QCOMPARE(indexes, (QList<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 12, 13, 11}));
        QCOMPARE(captions.first(), QStringLiteral("&Pin Codes"));
        QCOMPARE(captions.last(), QStringLiteral("E&xit"));
        QCOMPARE(buttons[13]->y() - buttons[12]->y(), 40);   // Exit stands further down
        QCOMPARE(buttons[1]->y() - buttons[0]->y(), 32);
        QVERIFY(w.menuButton(9)->isEnabled());   // MICR is built
    }

    void buttonOpensItsDialogWithItsArguments()
    {
        ClsMain c;
        test::TestDesktop desk(c.session());
        test::FakeDialog::useEverywhere(desk);
        c.InitMe(QString(), db.get(), QString(), 1, 1, 1);
        frmmain w;
        w.InitData(&c.session());
        w.Command1_Click(5);
        QCOMPARE(test::FakeDialog::calls, (QStringList{"InitData", "LoadData[0|]", "shown"}));
    }

    void everyDialogOpensFromTheMenu()
    {
        // With the shipped data, on the server of this run; a shared server gets no file of ours.
        const test::Scoped resources(&ResourceStore::setOverrideDir, QStringLiteral("/nonexistent"));
        QTemporaryDir docs(test::docsRoot() + QStringLiteral("/docs-XXXXXX"));
        auto fresh = test::freshDatabase(QStringLiteral("t_mainwin_menu"));
        ClsMain c;
        c.InitMe(docs.path(), fresh.get(), QStringLiteral("host.log"), 1, 1, 1);
        test::Messages answers(c.session());
        frmmain w;
        w.InitData(&c.session());
        QStringList opened;
        QTimer user;
        connect(&user, &QTimer::timeout, [&] {
            if (auto* d = qobject_cast<LookupWindow*>(QApplication::activeModalWidget()); d && d->isVisible()) {
                opened << d->objectName();
                d->reject();
            }
        });
        user.start(20);
        for (int i : {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 12})
            w.Command1_Click(i);
        QCOMPARE(opened, (QStringList{"frmpin", "frmstd", "frmISD", "frmDistance", "frmpantanao", "frmpantanao", "frmbankBSR",
                                      "frmSVTRange", "frmNodalBank", "frmmicr", "frmIFSC", "frmtinfc"}));
        QVERIFY2(QDir(docs.path()).isEmpty() || !test::tcpMode(), "no file in the document folder, nor a log line");
        QCOMPARE(answers.seen, QStringList());
    }

    void validateFlow()
    {
        UserSettings::put(QStringLiteral("QELInfo"), QStringLiteral("Settings"), QStringLiteral("PTV"), QStringLiteral("N"));
        ClsMain c;
        test::Messages m(c.session());
        m.windows = [](WindowFamily, int) { return std::make_unique<FakeVerifier>(); };
        c.InitMe(QString(), db.get(), QString(), 1, 1, 1);
        frmmain w;
        w.InitData(&c.session());
        w.Command1_Click(13);
        QVERIFY(!child<QWidget>(&w, "famPANTAN")->isHidden());
        auto* txt = child<QLineEdit>(&w, "txtpantan");
        test::typeInto(txt, QStringLiteral("abcde1234"));
        QCOMPARE(txt->text(), QStringLiteral("ABCDE1234"));   // typed in capitals
        w.cmdokPT_Click();
        txt->setText(QStringLiteral("ABCD11234F"));
        w.cmdokPT_Click();
        child<QRadioButton>(&w, "optpantan")->setChecked(true);
        txt->setText(QStringLiteral("ABCDE1234F"));
        FakeVerifier::answer = QString();
        w.cmdokPT_Click();
        FakeVerifier::answer = QStringLiteral("FIXTURE HOLDER NAME");
        w.cmdokPT_Click();
        QCOMPARE(m.seen, (QStringList{"Please Specify Valid PAN.", "Invalid PAN.", "Validation Failed !", "FIXTURE HOLDER NAME"}));
        QCOMPARE(FakeVerifier::request, QStringLiteral("PAN:ABCDE1234F"));

        // The method preference is written only when the box changed.
        child<QCheckBox>(&w, "chkaltmeth")->setChecked(true);
        w.cmdokPT_Click();
        QCOMPARE(UserSettings::get(QStringLiteral("QELInfo"), QStringLiteral("Settings"), QStringLiteral("PTV"), QString()), QStringLiteral("Y"));
        UserSettings::put(QStringLiteral("QELInfo"), QStringLiteral("Settings"), QStringLiteral("PTV"), QStringLiteral("N"));
        w.cmdokPT_Click();   // unchanged box: nothing written
        QCOMPARE(UserSettings::get(QStringLiteral("QELInfo"), QStringLiteral("Settings"), QStringLiteral("PTV"), QString()), QStringLiteral("N"));
    }

    void storedMethodChoosesTheVerifier()
    {
        ClsMain c;
        test::TestDesktop desk(c.session());
        desk.windows = [](WindowFamily, int browser) { return std::make_unique<FakeVerifier>(browser ? QStringLiteral("browser") : QStringLiteral("http")); };
        for (const auto& [ptv, way] : {std::pair{"N", "http"}, {"Y", "browser"}, {"X", "browser"}, {"", "browser"}}) {
            UserSettings::put(QStringLiteral("QELInfo"), QStringLiteral("Settings"), QStringLiteral("PTV"), QString::fromLatin1(ptv));
            QCOMPARE(c.GetPanTanName(QStringLiteral("PAN:ABCDE1234F")), QString::fromLatin1(way));
        }
        QSettings(QStringLiteral("QELRefDesk"), QStringLiteral("QELInfo")).remove(QStringLiteral("Settings/PTV"));
        QCOMPARE(c.GetPanTanName(QStringLiteral("PAN:ABCDE1234F")), QStringLiteral("http"));   // none stored reads as "N"
    }

    void hostMenuKeepsClearOfTheMenuWindowsKeys()
    {
        const auto keys = [](const QStringList& captions) {
            QSet<QChar> k;
            for (const QString& c : captions)
                if (const qsizetype at = c.indexOf(QRegularExpression(QStringLiteral("&[^&]"))); at >= 0)
                    k << c[at + 1].toUpper();
            return k;
        };
        // The host's window is up before its database: the session follows once the loop runs.
        HostWindow host(test::connectionString(QStringLiteral("t_mainwin")));
        QVERIFY(!host.ready());
        QTRY_VERIFY(host.ready());
        QStringList menus, buttons;
        for (QAction* a : host.menuBar()->actions())
            menus << a->text();
        frmmain w;
        for (QPushButton* b : w.findChildren<QPushButton*>(QStringLiteral("Command1")))
            buttons << b->text();
        QVERIFY(!keys(menus).isEmpty());
        QVERIFY(!keys(menus).intersects(keys(buttons)));
    }

    void menuWindowInASmallHostKeepsEveryButtonReachable()
    {
        ClsMain c;
        c.InitMe(QString(), db.get(), QString(), 1, 1, 1);
        QMainWindow host;
        auto* area = new QMdiArea(&host);
        host.setCentralWidget(area);
        host.resize(700, 420);   // lower than the menu window
        host.show();
        c.setMdiObj(&host);
        c.ObjMain();
        auto* w = host.findChild<frmmain*>();
        QVERIFY(w);
        auto* scroll = host.findChild<QScrollArea*>(QStringLiteral("scrMain"));
        QVERIFY(scroll);
        QVERIFY(area->subWindowList().first()->geometry().bottom() <= area->viewport()->height());
        QList<QWidget*> targets{w->findChild<QWidget*>(QStringLiteral("lblchkup"))};
        for (QPushButton* b : w->findChildren<QPushButton*>(QStringLiteral("Command1")))
            if (!b->isHidden())
                targets << b;
        for (QWidget* t : targets) {
            scroll->ensureWidgetVisible(t);
            const QRect shown(t->mapTo(scroll->viewport(), QPoint(0, 0)), t->size());
            QVERIFY2(scroll->viewport()->rect().contains(shown), qPrintable(t->objectName() + u' ' + t->property("text").toString()));
        }
        w->close();   // the sub-window goes with it
        QTRY_COMPARE(area->subWindowList().size(), 0);
    }

    void escapeReturnsToMenuThenClosesAndReloadsHostMenu()
    {
        ClsMain c;
        c.InitMe(QString(), db.get(), QString(), 1, 1, 1);
        FakeHost host;
        c.setMdiObj(&host);
        frmmain w;
        w.InitData(&c.session());
        w.show();
        w.Command1_Click(13);
        test::pressKey(&w, Qt::Key_Escape);
        QVERIFY(child<QWidget>(&w, "famPANTAN")->isHidden());
        QVERIFY(w.isVisible());
        QCOMPARE(host.reloads, 0);
        test::pressKey(&w, Qt::Key_Escape);
        QVERIFY(!w.isVisible());
        QCOMPARE(host.reloads, 1);
        QCOMPARE(c.MdiObj(), nullptr);
    }

    void objMainNeedsDbAndReturnsAtOnce()
    {
        ClsMain c;
        c.ObjMain();
        QVERIFY(!QApplication::topLevelWidgets().contains(nullptr));
        const int before = int(QApplication::topLevelWidgets().size());
        c.ObjMain();
        QCOMPARE(int(QApplication::topLevelWidgets().size()), before);   // no Db: nothing opened
        c.InitMe(QString(), db.get(), QString(), 1, 1, 1);
        c.ObjMain();
        QWidget* w = nullptr;
        for (QWidget* t : QApplication::topLevelWidgets())
            if (t->objectName() == u"frmmain" && t->isVisible())
                w = t;
        QVERIFY(w);
        const QSize alone = w->size();
        w->close();

        // Inside a host frame with an MDI area: a sub-window of the same size, every button in it.
        QMainWindow frame;
        auto* area = new QMdiArea(&frame);
        frame.setCentralWidget(area);
        frame.resize(1100, 800);
        frame.show();
        QVERIFY(QTest::qWaitForWindowExposed(&frame));
        c.setMdiObj(&frame);
        c.ObjMain();
        QCOMPARE(area->subWindowList().size(), 1);
        QWidget* inner = area->subWindowList().first()->findChild<frmmain*>();
        QCOMPARE(inner->size(), alone);
        for (QPushButton* b : inner->findChildren<QPushButton*>(QStringLiteral("Command1")))
            QVERIFY(inner->rect().contains(QRect(b->mapTo(inner, QPoint(0, 0)), b->size())));
    }
};

QEL_TEST(TestMainWindow);
#include "test_mainwindow.moc"
