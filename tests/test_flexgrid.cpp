#include "lookups/grid/flexgrid.h"
#include "tests/testsupport.h"
#include "tests/usersim.h"
#include <numeric>
#include <random>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QLineEdit>
#include <QtTest>

using namespace qel;

class TestFlexGrid : public QObject {
    Q_OBJECT

    using Rows = std::vector<std::vector<QByteArray>>;

    // Rows of four columns: one that repeats, two of mixed texts and numbers, one of numbers.
    // Texts that agree in their first bytes and differ later (at any byte a key may end in) or
    // only in case, and numbers that differ only in their last bits, are where a short key must
    // give way to the texts. Grouped rows come in runs that share their first two columns, as
    // data stored in code order does.
    static Rows randomRows(int n, std::mt19937& random, bool grouped = false)
    {
        const QList<QByteArray> words{"state", "State", "STATE", "city", "10", "9", "-1", "-0", "0", "2.5", "", "\xc3\xa9t\xc3\xa9", "z",
                                      "bank of india main branch", "BANK OF INDIA MAIN", "Bank of India Main Branch Office, Fort", "Bank of India", "bank of \xc3\xa9t\xc3\xa9",
                                      "1.0000000000000002", "1", "1e300", "-1e300", "ba\xc3\x9f", "BASS",
                                      "{a}", "[A]", "`a", "@A", "~z", "Bank of India Main Branch {old}", "BANK OF INDIA MAIN BRANCH [NEW]",
                                      "CHANDRALA,GUJ", "CHANGODAR", "abcdefGz", "ABCDEFHa"};
        Rows rows(n);
        for (int r = 0; r < n; ++r)
            rows[r] = {words[random() % 3], words[random() % words.size()], QByteArray::number(int(random() % 100000)),
                       random() % 16 ? words[random() % words.size()] + QByteArray::number(int(random() % 64)) : QByteArray()};
        for (int r = 1; grouped && r < n; ++r)
            if (random() % 8 != 0) {
                rows[r][0] = rows[r - 1][0];
                rows[r][1] = rows[r - 1][1];
            }
        return rows;
    }

    // The rows in the order of the keys, as data stored in the order it is shown; with tails, the
    // last key's longer texts then changed past their tenth or sixteenth byte, beyond what a
    // leading key holds, so that its runs of equal leading keys come out of order.
    static Rows inOrder(const Rows& rows, const std::vector<int>& keys, std::mt19937* tails)
    {
        std::vector<int> order(rows.size());
        std::iota(order.begin(), order.end(), 0);
        Rows out;
        for (int r : stableOrder(rows, order, keys))
            out.push_back(rows[r]);
        for (auto& row : out)
            if (QByteArray& t = row[size_t(keys.back())]; tails && t.size() > 16)
                t = t.left((*tails)() % 2 ? 10 : 16) + QByteArray::number(int((*tails)() % 1000));
        return out;
    }

    // The order a stable sort by the keys gives, rows without a value in a key after the others
    // with the same keys before it (as the grid shows them).
    static std::vector<int> stableOrder(const Rows& rows, std::vector<int> order, const std::vector<int>& keys)
    {
        std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
            for (int k : keys) {
                const bool ea = rows[a][k].isEmpty(), eb = rows[b][k].isEmpty();
                if (ea != eb)
                    return eb;
                if (const int d = gridsort::compare(rows[a][k], rows[b][k]))
                    return d < 0;
            }
            return false;
        });
        return order;
    }

    // A grid that gathers its keys while a fill writes the rows (one key cell written twice, and
    // the last key left unwritten in some rows), is sorted by keys and then by again; column 0
    // tells the rows apart.
    static void sortAsAFillDoes(FlexGrid& g, Rows rows, const std::vector<int>& keys, const std::vector<int>& again)
    {
        const int n = int(rows.size());
        const auto gridKeys = [](const std::vector<int>& k) {
            QVector<int> out;
            for (int c : k)
                out << c + 1;
            return out;
        };
        g.setCols(5);
        g.setRedraw(false);
        g.setRows(1);
        g.setRows(n + 1);
        g.gatherSortKeys(gridKeys(keys));
        for (int r = 0; r < n; ++r) {
            g.setTextMatrix(r + 1, 0, QString::number(r));
            if (r == n / 3 && r % 7 != 3)
                g.setTextMatrixUtf8(r + 1, keys[0] + 1, "zzz");
            if (r % 7 == 3)
                rows[r][size_t(keys.back())].clear();
            for (int c = 0; c < 4; ++c)
                if (r % 7 != 3 || c != keys.back())
                    g.setTextMatrixUtf8(r + 1, c + 1, rows[r][c]);
        }
        const auto shown = [&g] {
            std::vector<int> out;
            for (int r = 1; r < g.rows(); ++r)
                out.push_back(g.textMatrix(r, 0).toInt());
            return out;
        };
        g.sortColumns(gridKeys(keys));
        std::vector<int> identity(n);
        std::iota(identity.begin(), identity.end(), 0);
        const std::vector<int> expected = stableOrder(rows, identity, keys);
        QCOMPARE(shown(), expected);
        g.sortColumns(gridKeys(again));
        QCOMPARE(shown(), stableOrder(rows, expected, again));
    }

    static QStringList col(const FlexGrid& g, int c)
    {
        QStringList out;
        for (int r = 1; r < g.rows(); ++r)
            out << g.textMatrix(r, c);
        return out;
    }

private slots:
    void rowCountSemantics()
    {
        FlexGrid g;
        g.setCols(3);
        g.setTextMatrix(0, 1, QStringLiteral("Head"));
        g.setRows(4);
        g.setTextMatrix(3, 2, QStringLiteral("x"));
        QCOMPARE(g.rows(), 4);
        g.setRows(3);   // drops from the end
        QCOMPARE(g.textMatrix(3, 2), QString());
        g.setRows(1);
        QCOMPARE(g.rows(), 1);
        QCOMPARE(g.textMatrix(0, 1), QStringLiteral("Head"));
        QCOMPARE(g.row(), 0);
        // Rows that come back are empty: when sorted, or when a row after them is written.
        const auto refill = [&g] {
            g.setRows(4);
            for (int r = 1; r <= 3; ++r)
                g.setTextMatrix(r, 1, QStringLiteral("abc").left(r));
            g.setRows(1);
            g.setRows(4);
        };
        refill();
        g.setTextMatrix(1, 1, QStringLiteral("b"));
        g.sortColumn(1);   // the others have no value in it: none moves
        QCOMPARE(col(g, 1), (QStringList{"b", "", ""}));
        refill();
        g.setTextMatrix(3, 2, QStringLiteral("y"));
        QCOMPARE(col(g, 1), (QStringList{"", "", ""}));
    }

    void compareRanksNumbersBeforeTextWithoutCase()
    {
        const QList<QByteArray> ordered{"2", "002", " 3", "10", "", "1a", "A", "b", "B", "\xc3\xa9t\xc3\xa9", "\xc3\x89T\xc3\x89"};
        for (int i = 0; i + 1 < ordered.size(); ++i)
            QVERIFY2(gridsort::compare(ordered[i], ordered[i + 1]) <= 0, ordered[i].constData());
        QCOMPARE(gridsort::compare("2", "002"), 0);   // the same number
        QCOMPARE(gridsort::compare("b", "B"), 0);
        QVERIFY(gridsort::compare("9", "10") < 0 && gridsort::compare("z", "10") > 0);
    }

    void orderIsAStableSortByEveryKey()
    {
        // Columns that repeat (ranked) and columns of mostly different texts (compared directly),
        // in every mix, in rows in any order, in rows grouped by their first columns and in rows
        // stored in order (or nearly): the order is that of a stable sort by the keys, ties in
        // their first order. One grid takes
        // every fill, as a window's does, each keeping what the last one left.
        std::mt19937 random(7);
        const std::vector<std::vector<int>> keySets{{0}, {0, 2, 1}, {3, 2}, {1, 0}, {0, 1, 3}, {2}};
        for (const int n : {1, 2, 50, 2000, 9000, 40000}) {   // 40,000: the halves sorted side by side
            const Rows layouts[] = {randomRows(n, random), randomRows(n, random, true)};
            FlexGrid grid;
            std::vector<int> identity(n);
            std::iota(identity.begin(), identity.end(), 0);
            const size_t sets = n > 10000 ? 3 : keySets.size();   // the large grid: a few, for time
            for (size_t s = 0; s < sets; ++s)
                for (const Rows& rows : {layouts[0], layouts[1], inOrder(layouts[0], keySets[s], nullptr), inOrder(layouts[1], keySets[s], &random)}) {
                    QByteArray text;
                    std::vector<gridsort::CellText> cells;
                    for (const auto& row : rows)
                        for (const QByteArray& v : row) {
                            cells.push_back({quint32(text.size()), quint32(v.size())});
                            text += v;
                        }
                    std::vector<gridsort::Column> columns;
                    for (int k : keySets[s])
                        columns.push_back({text.constData(), cells.data() + k, 4});
                    QCOMPARE(gridsort::order(n, columns), stableOrder(rows, identity, keySets[s]));
                    // The same in a grid that made its keys during the fill, sorted again by other keys.
                    sortAsAFillDoes(grid, rows, keySets[s], keySets[(s + 1) % keySets.size()]);
                    if (QTest::currentTestFailed())
                        return;
                }
        }
    }

    void rowsFilledNearlyInOrderAreSorted()
    {
        // Names in pairs that agree in their first ten bytes (more than a leading key holds) and
        // differ after; the rows come in order but for some pairs the other way round, which the
        // keys the fill made must tell.
        FlexGrid g;
        const int n = 2000;
        g.setCols(2);
        g.setRedraw(false);
        g.setRows(n + 1);
        g.gatherSortKeys({1});
        Rows rows(n);
        for (int r = 0; r < n; ++r) {
            const int swapped = (r / 2) % 3 == 0 ? 1 - r % 2 : r % 2;
            rows[r] = {QByteArray::number(r), "P" + QByteArray::number(100000 + r / 2) + "name" + QByteArray::number(10 + swapped)};
            g.setTextMatrixUtf8(r + 1, 0, rows[r][0]);
            g.setTextMatrixUtf8(r + 1, 1, rows[r][1]);
        }
        g.sortColumns({1});
        std::vector<int> expected(n);
        std::iota(expected.begin(), expected.end(), 0);
        QStringList shown;
        for (int r : stableOrder(rows, expected, {1}))
            shown << QString::number(r);
        QCOMPARE(col(g, 0), shown);
    }

    void headerClicksSortBothWaysBlanksLast()
    {
        FlexGrid g;
        g.setCols(2);
        g.setRows(6);
        const QStringList texts{"b", "", "A", "10", ""};
        for (int r = 1; r <= 5; ++r) {
            g.setTextMatrix(r, 0, QString::number(r));
            g.setTextMatrix(r, 1, texts[r - 1]);
        }
        emit g.horizontalHeader()->sectionClicked(1);
        QCOMPARE(col(g, 1), (QStringList{"10", "A", "b", "", ""}));
        QCOMPARE(col(g, 0), (QStringList{"4", "3", "1", "2", "5"}));
        emit g.horizontalHeader()->sectionClicked(1);   // the other way; still without a value last
        QCOMPARE(col(g, 1), (QStringList{"b", "A", "10", "", ""}));
        QCOMPARE(col(g, 0), (QStringList{"1", "3", "4", "5", "2"}));
    }

    void gridMovesWholeRowsInPasses()
    {
        FlexGrid g;
        g.setCols(3);
        const QList<QStringList> rows{{"B", "y", "2"}, {"A", "y", "1"}, {"B", "x", "9"}, {"A", "x", "3"}, {"A", "y", "0"}};
        g.setRows(int(rows.size()) + 1);
        for (int r = 0; r < rows.size(); ++r)
            for (int c = 0; c < 3; ++c)
                g.setTextMatrix(r + 1, c, rows[r][c]);
        for (int c : {2, 1, 0})
            g.sortColumn(c);
        QCOMPARE(col(g, 2), (QStringList{"3", "0", "1", "9", "2"}));
        // Numbers follow the rows' places; a number overwritten stays a text of its own; rows
        // dropped from the end are the last ones shown.
        g.gridModel()->numberRows(1);
        QCOMPARE(col(g, 1), (QStringList{"1", "2", "3", "4", "5"}));
        g.setTextMatrix(2, 1, QStringLiteral("x"));
        g.setRows(4);
        QCOMPARE(col(g, 1), (QStringList{"1", "x", "3"}));
        QCOMPARE(col(g, 2), (QStringList{"3", "0", "1"}));
        g.sortColumn(2);
        QCOMPARE(col(g, 1), (QStringList{"x", "3", "1"}));
    }

    void autoSizeMeasuresTheLongestTextsOnly()
    {
        FlexGrid g;
        g.setCols(2);
        g.setTextMatrix(0, 0, QStringLiteral("H"));
        g.setRedraw(false);
        const int n = 132000;
        g.setRows(n + 1);
        for (int r = 1; r <= n; ++r)
            g.setTextMatrix(r, 0, r == 77777 ? QStringLiteral("A MUCH LONGER TEXT THAN THE OTHERS") : QStringLiteral("short"));
        g.setRedraw(true);
        QElapsedTimer t;
        t.start();
        g.autoSizeColumns(0, 1);
        QVERIFY2(t.elapsed() < 1000, "auto-size must not measure every row");
        QVERIFY(g.columnWidth(0) >= g.fontMetrics().horizontalAdvance(QStringLiteral("A MUCH LONGER TEXT THAN THE OTHERS")));
        g.setColWidthMax(40);
        g.autoSizeColumns(0, 0);
        QCOMPARE(g.columnWidth(0), 40);
    }

    void editorNeverChangesTheCell()
    {
        FlexGrid g;
        g.setCols(2);
        g.setRows(2);
        g.setTextMatrix(1, 1, QStringLiteral("Remarks here"));
        g.show();
        g.editCell(1, 1, 8, 4);
        auto* e = g.viewport()->findChild<QLineEdit*>();
        QVERIFY(e);
        QCOMPARE(e->selectedText(), QStringLiteral("here"));
        test::typeText(&g, QStringLiteral("zz"));
        test::pressKey(&g, Qt::Key_Return);
        QCOMPARE(g.textMatrix(1, 1), QStringLiteral("Remarks here"));
    }
};

QEL_TEST(TestFlexGrid);
#include "test_flexgrid.moc"
