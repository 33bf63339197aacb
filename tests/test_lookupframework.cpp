#include "component/clsmain.h"
#include "lookups/frmmicr.h"
#include "refdata/resourcestore.h"
#include "tests/fixtures.h"
#include "tests/lookuptesting.h"
#include "tests/testsupport.h"
#include "tests/usersim.h"
#include "lookups/grid/gridexport.h"
#include "lookups/grid/gridsort.h"
#include <QDate>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QHeaderView>
#include <QMenu>
#include <QLabel>
#include <QProgressBar>
#include <QTemporaryDir>
#include <QTimer>

using namespace qel;
using test::child;
using test::column;

// The shared lookup pattern, driven through the MICR dialog on a fixture table.
class TestLookupFramework : public QObject {
    Q_OBJECT
    QTemporaryDir resDir, docDir{test::docsRoot() + QStringLiteral("/docs-XXXXXX")};
    std::unique_ptr<Connection> db;
    ClsMain cls;

    static QByteArray micr(int sr, const char* city, const char* bank, const char* branch, const char* cc = "380",
                           const char* bc = "002", const char* brc = "001")
    {
        return test::record({city, cc, bc, brc, bank, branch}, sr) + '\xA6';
    }

    std::unique_ptr<frmmicr> open(const QString& bank = QString(), const QString& city = QString())
    {
        auto d = std::make_unique<frmmicr>();
        d->InitData(&cls.session());
        d->LoadData(bank, city);
        return d;
    }

    QStringList log() const
    {
        QFile f(docDir.filePath(QStringLiteral("host.log")));
        f.open(QIODevice::ReadOnly);
        QStringList l = QString::fromUtf8(f.readAll()).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
        return l;
    }

private slots:
    void initTestCase()
    {
        ResourceStore::setOverrideDir(resDir.path());
        QByteArray data = micr(1, "FIXTURE CITY A", "FIXTURE BANK Z", "BRANCH 2", "380", "002", "010")
                          + micr(2, "FIXTURE CITY A", "FIXTURE BANK Z", "BRANCH 10", "380", "002", "011")
                          + micr(3, "FIXTURE CITY A", "FIXTURE BANK Y", "BRANCH 1A", "380", "003", "001")
                          + micr(4, "FIXTURE CITY B", "FIXTURE BANK Z", "MAIN", "381", "002", "001")
                          + micr(5, "O'NEIL", "FIXTURE BANK Z", "ABBEY", "382", "002", "001")
                          + micr(6, "FIXTURE CITY B", "FIXTURE BANK Y", "ABC ROAD", "381", "003", "002")
                          + micr(7, "FIXTURE CITY B", "FIXTURE BANK Y", "XAB", "381", "003", "003")
                          + micr(8, "MUMBAI FIXTURE", "FIXTURE BANK Y", "PCT 100%", "400", "003", "004");
        test::writeResource(resDir.path(), QStringLiteral("MICR"), data);
        db = test::freshDatabase(QStringLiteral("t_lookup"));
        cls.InitMe(docDir.path(), db.get(), QStringLiteral("host.log"), 1, 1, 1);
    }
    void cleanupTestCase() { ResourceStore::setOverrideDir(QString()); }

    void controlsCarryTheirNames()
    {
        auto d = open();
        for (const char* n : {"Label1", "Label2", "Label4", "Combo1", "Combo2", "Command1", "Frame1", "Combo4", "Combo5",
                              "Text1", "Command2", "vsf", "pb", "cmdselect", "cmdback", "Image1"})
            QVERIFY2(d->findChild<QWidget*>(QString::fromLatin1(n)), n);
        QCOMPARE(child<QLabel>(d.get(), "Label1")->text(), QStringLiteral("MICR Code Search"));
        QCOMPARE(child<QPushButton>(d.get(), "cmdback")->text(), QStringLiteral("&Back"));
        QVERIFY(child<QPushButton>(d.get(), "cmdselect")->isHidden());   // opened for browsing
        QCOMPARE(child<QComboBox>(d.get(), "Combo1")->count(), 4);
        QCOMPARE(child<QComboBox>(d.get(), "Combo1")->currentText(), QString());
        QCOMPARE(child<FlexGrid>(d.get(), "vsf")->rows(), 1);
    }

    void preselectedSearchHidesItsColumnsAndSorts()
    {
        auto d = open(QStringLiteral(" "), QStringLiteral("FIXTURE CITY A "));
        QVERIFY(child<QPushButton>(d.get(), "cmdselect")->isVisible() || !child<QPushButton>(d.get(), "cmdselect")->isHidden());
        auto* g = child<FlexGrid>(d.get(), "vsf");
        QVERIFY(g->colHidden(1));
        QVERIFY(!g->colHidden(2));
        // By bank, then branch; branch names that are not numbers sort as text.
        QCOMPARE(column(d.get(), 2), (QStringList{"FIXTURE BANK Y", "FIXTURE BANK Z", "FIXTURE BANK Z"}));
        QCOMPARE(column(d.get(), 3), (QStringList{"BRANCH 1A", "BRANCH 10", "BRANCH 2"}));
        QCOMPARE(column(d.get(), 0), (QStringList{"1", "2", "3"}));
        // The bank list was not refilled by the preselection.
        QCOMPARE(child<QComboBox>(d.get(), "Combo2")->count(), 0);
    }

    void bothListsHideBothColumns()
    {
        auto d = open(QStringLiteral("FIXTURE BANK Y "), QStringLiteral("FIXTURE CITY B "));
        auto* g = child<FlexGrid>(d.get(), "vsf");
        QVERIFY(g->colHidden(1) && g->colHidden(2));
        QCOMPARE(column(d.get(), 3), (QStringList{"ABC ROAD", "XAB"}));
    }

    void quoteInNameIsDoubled()
    {
        auto d = open(QString(), QStringLiteral("O'NEIL "));
        QCOMPARE(column(d.get(), 3), QStringList{"ABBEY"});
        test::choose(d.get(), "Combo1", QStringLiteral("O'NEIL"));
        QCOMPARE(child<QComboBox>(d.get(), "Combo2")->count(), 1);   // the cascade's query doubles it too
    }

    void viewAllAsksFirst()
    {
        test::Messages m(cls.session(), false);
        auto d = open(QString(), QStringLiteral("FIXTURE CITY B "));
        QCOMPARE(column(d.get(), 3).size(), 3);
        child<QComboBox>(d.get(), "Combo1")->setEditText(QStringLiteral("  "));
        d->Command1_Click();
        QCOMPARE(m.seen, QStringList{"Do you want to View all the Records?"});
        QCOMPARE(column(d.get(), 3).size(), 3);   // No: the old rows stay
        m.answerYes = true;
        d->Command1_Click();
        QCOMPARE(column(d.get(), 3).size(), 8);
        // Sorted by city, bank, branch: numbers would rank before text; city names are text.
        QCOMPARE(column(d.get(), 1).first(), QStringLiteral("FIXTURE CITY A"));
        QCOMPARE(column(d.get(), 1).last(), QStringLiteral("O'NEIL"));
        QVERIFY(!child<FlexGrid>(d.get(), "vsf")->colHidden(1));
    }

    void advancedSearchChecksItsInputsInOrder()
    {
        test::Messages m(cls.session());
        auto d = open();
        d->Command2_Click();
        test::choose(d.get(), "Combo4", QStringLiteral("Branch"));
        d->Command2_Click();
        test::choose(d.get(), "Combo5", QStringLiteral("Start with"));
        child<QLineEdit>(d.get(), "Text1")->setText(QStringLiteral("   "));
        d->Command2_Click();
        QCOMPARE(m.seen, (QStringList{"Select Search by Option.", "Select Criteria Option.", "Enter Value to Search."}));
        child<QLineEdit>(d.get(), "Text1")->setText(QStringLiteral(" ab "));
        d->Command2_Click();
        QCOMPARE(column(d.get(), 3), (QStringList{"ABC ROAD", "ABBEY"}));   // by city first
    }

    void advancedSearchCriteria_data()
    {
        QTest::addColumn<QString>("by");
        QTest::addColumn<QString>("criteria");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QStringList>("branches");
        QTest::newRow("containing") << "Branch" << "Containing" << "AB" << QStringList{"ABC ROAD", "XAB", "ABBEY"};
        QTest::newRow("whole word") << "Branch" << "Whole word Only" << "MAIN" << QStringList{"MAIN"};
        QTest::newRow("wildcard typed") << "Branch" << "Whole word Only" << "BRANCH _" << QStringList{"BRANCH 2"};
        QTest::newRow("percent typed") << "Branch" << "Containing" << "100%" << QStringList{"PCT 100%"};
        QTest::newRow("quote typed") << "City" << "Start with" << "O'N" << QStringList{"ABBEY"};
        QTest::newRow("backslash typed") << "City" << "Containing" << "\\' or 1=1 -- " << QStringList{};
        QTest::newRow("bank") << "Bank Name" << "Whole word Only" << "FIXTURE BANK Z"
                              << QStringList{"BRANCH 10", "BRANCH 2", "MAIN", "ABBEY"};
    }
    void advancedSearchCriteria()
    {
        QFETCH(QString, by);
        QFETCH(QString, criteria);
        QFETCH(QString, value);
        QFETCH(QStringList, branches);
        test::Messages m(cls.session());
        auto d = open(QString(), QStringLiteral("FIXTURE CITY A "));   // hides City first
        test::choose(d.get(), "Combo4", by);
        test::choose(d.get(), "Combo5", criteria);
        child<QLineEdit>(d.get(), "Text1")->setText(value);
        d->Command2_Click();
        QCOMPARE(column(d.get(), 3), branches);
        QVERIFY(!child<FlexGrid>(d.get(), "vsf")->colHidden(1));   // every column shown again
        QVERIFY(m.seen.isEmpty());
    }

    void autoCompletion()
    {
        auto d = open();
        auto* c = child<QComboBox>(d.get(), "Combo1");
        test::typeInto(c, QStringLiteral("mum"));
        QCOMPARE(c->currentText(), QStringLiteral("MUMBAI FIXTURE"));
        QCOMPARE(c->lineEdit()->selectedText(), QStringLiteral("BAI FIXTURE"));
        QCOMPARE(child<QComboBox>(d.get(), "Combo2")->count(), 1);   // the completion's selection refilled the banks
        // Enter moves on; what is typed next goes into the next list.
        test::pressKey(d.get(), Qt::Key_Return);
        QCOMPARE(QApplication::focusWidget(), child<QComboBox>(d.get(), "Combo2"));
        QCOMPARE(c->currentText(), QStringLiteral("MUMBAI FIXTURE"));
        // A key that is not a letter or digit leaves the text alone; one that matches nothing keeps what was typed.
        c->setEditText(QStringLiteral("FIXTURE CITY"));
        c->setFocus();
        c->lineEdit()->end(false);
        test::pressKey(d.get(), Qt::Key_Backspace);
        QCOMPARE(c->currentText(), QStringLiteral("FIXTURE CIT"));
        test::typeText(d.get(), QStringLiteral("q"));
        QCOMPARE(c->currentText(), QStringLiteral("FIXTURE CITq"));
        QCOMPARE(c->currentIndex(), -1);
    }

    void keysReachTheListAsAKeyboardSendsThem()
    {
        // The helper's keys go where a keyboard's go: to the list, not to its text box directly.
        struct Count : QObject {
            int keys = 0;
            bool eventFilter(QObject*, QEvent* e) override
            {
                keys += e->type() == QEvent::KeyRelease;
                return false;
            }
        } onText, onList;
        QDialog w;
        auto* c = new QComboBox(&w);
        c->setEditable(true);
        c->lineEdit()->installEventFilter(&onText);
        c->installEventFilter(&onList);
        test::typeInto(c, QStringLiteral("ab"));
        QCOMPARE(c->currentText(), QStringLiteral("ab"));
        QCOMPARE(onList.keys, 2);
        QCOMPARE(onText.keys, 0);
    }

    void selectWritesTheSlotsAndHeaderRowRefuses()
    {
        test::Messages m(cls.session());
        auto d = open(QStringLiteral("FIXTURE BANK Y "), QStringLiteral("FIXTURE CITY B "));
        auto* g = child<FlexGrid>(d.get(), "vsf");
        g->setRow(0);
        d->cmdselect_Click();
        QCOMPARE(m.seen, QStringList{"Please Select a Item."});
        QCOMPARE(d->result(), 0);
        g->setRow(2);
        d->cmdselect_Click();
        QCOMPARE(d->result(), int(QDialog::Accepted));
        QCOMPARE(cls.resultSlots(), QVector<QString>());   // no lookup operation recreated the slots here
    }

    void getMicrReturnsThePickedRow()
    {
        test::pickWhenOpen(1);
        StrArray arr(0, 4);
        cls.GetMICR(&arr, QStringLiteral("FIXTURE BANK Z"), QStringLiteral("FIXTURE CITY B"));
        QCOMPARE((QStringList{arr.at(0), arr.at(1), arr.at(2), arr.at(3), arr.at(4)}),
                 (QStringList{"FIXTURE BANK Z", "MAIN", "381", "002", "001"}));
    }

    void closingWithoutPickEmptiesTheSlots()
    {
        QTimer::singleShot(0, [] { test::pressKey(QApplication::activeModalWidget(), Qt::Key_Escape); });
        StrArray arr(0, 4);
        arr.set(0, QStringLiteral("old"));
        cls.GetMICR(&arr, QStringLiteral("FIXTURE BANK Z"));
        QCOMPARE(arr.at(0), QString());
    }

    void stopKeepsTheRowsReadSoFar()
    {
        test::Messages m(cls.session());
        m.yieldMs = 0;
        auto d = open();
        auto* back = child<QPushButton>(d.get(), "cmdback");
        auto* pb = child<QProgressBar>(d.get(), "pb");
        QTimer stopper;   // Stop once five rows are in
        QObject::connect(&stopper, &QTimer::timeout, back, [back, pb] {
            if (pb->value() < 5)
                return;
            QCOMPARE(back->text(), QStringLiteral("&Stop"));
            QVERIFY(pb->isVisibleTo(back->window()));
            back->click();
        });
        stopper.start(0);
        d->Command1_Click();   // view all
        stopper.stop();
        QCOMPARE(back->text(), QStringLiteral("&Back"));
        const QStringList sr = column(d.get(), 0);
        QVERIFY2(sr.size() >= 5 && sr.size() < 8, qPrintable(sr.join(u',')));
        QCOMPARE(sr.first(), QStringLiteral("1"));
        // What was read is sorted by City, Bank, Branch, as a whole fill is.
        QStringList keys;
        for (int r = 1; r < child<FlexGrid>(d.get(), "vsf")->rows(); ++r)
            keys << column(d.get(), 1)[r - 1] + u'|' + column(d.get(), 2)[r - 1] + u'|' + column(d.get(), 3)[r - 1];
        QStringList sorted = keys;
        std::stable_sort(sorted.begin(), sorted.end(), [](const QString& a, const QString& b) {
            const QStringList x = a.split(u'|'), y = b.split(u'|');
            for (int i = 0; i < 3; ++i)
                if (const int c = gridsort::compare(x[i].toUtf8(), y[i].toUtf8()))
                    return c < 0;
            return false;
        });
        QCOMPARE(keys, sorted);
        QVERIFY(child<QProgressBar>(d.get(), "pb")->isHidden());
        QVERIFY(!d->isHidden() || !child<FlexGrid>(d.get(), "vsf")->isHidden());
        // A second press closes.
        d->show();
        back->click();
        QVERIFY(!d->isVisible());
    }

    void viewAllStreamsAndLosesNoRow()
    {
        // Rows another host added since the set-up (one without a branch name), and a list filled
        // while the rows stream in: every row arrives, in order.
        test::Messages m(cls.session());
        m.yieldMs = 0;
        auto d = open();
        QVERIFY(db->Execute(QStringLiteral("Insert into TmpMICR_Master values (9, 'FIXTURE CITY A', '380', '002', '012', "
                                           "'FIXTURE BANK Z', NULL)")));
        QTimer::singleShot(0, d.get(), [&d] { d->LoadCombo(0); });
        d->Command1_Click();
        QVERIFY(db->Execute(QStringLiteral("Delete from TmpMICR_Master where Sr=9")));
        QCOMPARE(column(d.get(), 3), (QStringList{"BRANCH 1A", "BRANCH 10", "BRANCH 2", "", "ABC ROAD", "XAB", "MAIN", "PCT 100%", "ABBEY"}));
        QCOMPARE(column(d.get(), 0).last(), QStringLiteral("9"));
        QCOMPARE(child<QComboBox>(d.get(), "Combo1")->count(), 4);
    }

    void userSortRenumbers()
    {
        test::Messages m(cls.session());
        auto d = open(QString(), QStringLiteral("FIXTURE CITY B "));
        auto* g = child<FlexGrid>(d.get(), "vsf");
        const QStringList before = column(d.get(), 3);
        emit g->horizontalHeader()->sectionClicked(6);   // by branch code
        QCOMPARE(column(d.get(), 6), (QStringList{"001", "002", "003"}));
        QCOMPARE(column(d.get(), 0), (QStringList{"1", "2", "3"}));
        QCOMPARE(column(d.get(), 3), (QStringList{"MAIN", "ABC ROAD", "XAB"}));
        QVERIFY(before != column(d.get(), 3));
    }

    void keyboardOnlyFromFirstKeyToPickedRow()
    {
        // Type to complete, Enter to move on, Enter on Go to search, Tab out of the grid, Enter to pick.
        test::Messages m(cls.session());
        StrArray arr(0, 4);
        test::ScriptedUser user;
        const auto micrShown = [] { return test::shownWindow(QStringLiteral("frmmicr")) != nullptr; };
        user.when(micrShown, [] {
            QWidget* d = test::shownWindow(QStringLiteral("frmmicr"));
            test::typeInto(child<QComboBox>(d, "Combo1"), QStringLiteral("fixture city b"));
            test::pressKey(d, Qt::Key_Return);
            test::typeText(d, QStringLiteral("fixture bank z"));
            test::pressKey(d, Qt::Key_Return);
            QCOMPARE(QApplication::focusWidget(), child<QPushButton>(d, "Command1"));
            test::pressKey(d, Qt::Key_Return);
            auto* g = child<FlexGrid>(d, "vsf");
            QCOMPARE(g->rows(), 2);
            g->setFocus();
            test::pressKey(d, Qt::Key_Tab);
            QVERIFY(QApplication::focusWidget() != g);   // out of the grid at once, not cell by cell
            g->setFocus();
            g->setRow(1);
            test::pressKey(d, Qt::Key_Return);
        });
        cls.GetMICR(&arr, QStringLiteral(" "), QString());
        QCOMPARE((QStringList{arr.at(0), arr.at(1), arr.at(2), arr.at(3), arr.at(4)}),
                 (QStringList{"FIXTURE BANK Z", "MAIN", "381", "002", "001"}));
        // A double-click on a row picks it the same way.
        user.when(micrShown, [] {
            auto* g = child<FlexGrid>(test::shownWindow(QStringLiteral("frmmicr")), "vsf");
            const QRect cell = g->visualRect(g->gridModel()->index(0, 3));
            // Through the window, as a mouse's clicks come.
            QWindow* w = test::keyboardWindow(g);
            const QPoint at = g->viewport()->mapTo(g->window(), cell.center());
            QTest::mouseClick(w, Qt::LeftButton, {}, at);
            QTest::mouseDClick(w, Qt::LeftButton, {}, at);
        });
        StrArray again(0, 4);
        cls.GetMICR(&again, QStringLiteral("FIXTURE BANK Z"), QStringLiteral("FIXTURE CITY B"));
        QCOMPARE(again.at(1), QStringLiteral("MAIN"));
    }

    void rowsAreCountedCopiedAndExported()
    {
        test::Messages m(cls.session());
        auto d = open(QString(), QStringLiteral("FIXTURE CITY B "));   // the City column hidden
        QCOMPARE(child<QLabel>(d.get(), "lblRows")->text(), QStringLiteral("3 rows"));
        auto* g = child<FlexGrid>(d.get(), "vsf");
        d->show();
        g->setFocus();
        // One cell: just its text. Cells of two rows: a line each, tab-separated.
        g->setCurrentIndex(g->gridModel()->index(0, 6));
        test::pressKey(d.get(), Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("002"));
        g->selectionModel()->select(QItemSelection(g->gridModel()->index(0, 2), g->gridModel()->index(2, 3)),
                                    QItemSelectionModel::ClearAndSelect);
        test::pressKey(d.get(), Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("FIXTURE BANK Y\tABC ROAD\r\nFIXTURE BANK Y\tXAB\r\nFIXTURE BANK Z\tMAIN"));
        // The context menu: the row, the code, and every row exported as CSV (the hidden City
        // column too); a text a spreadsheet would run as a formula stays text.
        g->setCurrentIndex(g->gridModel()->index(0, 1));
        g->setTextMatrix(1, 3, QStringLiteral("=HYPERLINK(\"x\")"));
        QTemporaryDir out;
        QString proposed;
        m.chooser = [&](QWidget*, const QString& p) {
            proposed = p;
            return out.filePath(QStringLiteral("micr"));
        };
        const auto menuAction = [g](const QString& text) {
            QContextMenuEvent menu(QContextMenuEvent::Mouse, QPoint(5, 5), g->mapToGlobal(QPoint(5, 5)));
            QTimer::singleShot(0, [text] {
                auto* popup = qobject_cast<QMenu*>(QApplication::activePopupWidget());
                QVERIFY(popup);
                for (QAction* a : popup->actions())
                    if (a->text() == text)
                        a->trigger();
                popup->close();
            });
            QApplication::sendEvent(g->viewport(), &menu);
        };
        menuAction(QStringLiteral("Copy &row"));
        QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("1\tFIXTURE BANK Y\t=HYPERLINK(\"x\")\t381\t003\t002"));
        menuAction(QStringLiteral("Copy co&de"));
        QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("381003002"));
        menuAction(QStringLiteral("&Export to CSV\u2026"));
        QVERIFY2(proposed.endsWith(QStringLiteral("/MICR-") + QDate::currentDate().toString(Qt::ISODate) + QStringLiteral(".csv")),
                 qPrintable(proposed));
        QFile f(out.filePath(QStringLiteral("micr.csv")));
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), QByteArray("\xEF\xBB\xBFSr. No.,City,Bank Name,Branch,City Code,Bank Code,Branch Code\r\n"
                                         "1,FIXTURE CITY B,FIXTURE BANK Y,\"'=HYPERLINK(\"\"x\"\")\",381,003,002\r\n"
                                         "2,FIXTURE CITY B,FIXTURE BANK Y,XAB,381,003,003\r\n"
                                         "3,FIXTURE CITY B,FIXTURE BANK Z,MAIN,381,002,001\r\n"));
    }

    void missingTableLogsAndShowsAnEmptyGrid()
    {
        test::Messages m(cls.session());
        auto d = open();
        QVERIFY(db->Execute(QStringLiteral("Rename Table TmpMICR_Master to TmpMICR_Moved")));
        QFile::remove(docDir.filePath(QStringLiteral("host.log")));
        d->Command1_Click();
        QVERIFY(db->Execute(QStringLiteral("Rename Table TmpMICR_Moved to TmpMICR_Master")));
        QCOMPARE(child<FlexGrid>(d.get(), "vsf")->rows(), 1);
        QVERIFY(!log().isEmpty());
        QVERIFY(log().first().endsWith(QStringLiteral("\tfrmmicr\tLOADGRID")));
    }
};

QEL_TEST(TestLookupFramework);
#include "test_lookupframework.moc"
