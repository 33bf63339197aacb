#include "lookups/flexgrid.h"
#include "tests/testsupport.h"
#include <QElapsedTimer>
#include <QLineEdit>
#include <QtTest>

using namespace qel;

class TestFlexGrid : public QObject {
    Q_OBJECT

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
    }

    void sortRanksNumbersBeforeTextAndIsStable()
    {
        FlexGrid g;
        g.setCols(2);
        const QStringList values{"2", "10", "1a", "b", "B", "002", " 3", "A", ""};
        g.setRows(int(values.size()) + 1);
        for (int i = 0; i < values.size(); ++i) {
            g.setTextMatrix(i + 1, 0, values[i]);
            g.setTextMatrix(i + 1, 1, QString::number(i));
        }
        g.sortColumn(0);
        QCOMPARE(col(g, 0), (QStringList{"2", "002", " 3", "10", "", "1a", "A", "b", "B"}));
        QCOMPARE(col(g, 1), (QStringList{"0", "5", "6", "1", "8", "2", "7", "3", "4"}));   // equal keys keep their order
        // Sorting again changes nothing: the order is consistent.
        g.sortColumn(0);
        QCOMPARE(col(g, 1), (QStringList{"0", "5", "6", "1", "8", "2", "7", "3", "4"}));
    }

    void passesFromLastKeyGiveMultiKeyOrder()
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
    }

    void manyKeysMixRepeatingAndDistinctColumns()
    {
        // Repeating columns are ranked, mostly-distinct ones compared directly; the order must be
        // the same either way, with ties in their earlier order.
        FlexGrid g;
        g.setCols(4);
        const int n = 600;
        g.setRows(n + 1);
        QList<QStringList> rows;
        for (int i = 0; i < n; ++i) {
            const QStringList r{QStringLiteral("state %1").arg((i * 7) % 5), i % 3 ? QStringLiteral("City") : QStringLiteral("CITY"),
                                QString::number((i * 37) % 211), QString::number(i)};
            rows << r;
            for (int c = 0; c < 4; ++c)
                g.setTextMatrix(i + 1, c, r[c]);
        }
        g.sortColumns({0, 1, 2});
        std::stable_sort(rows.begin(), rows.end(), [](const QStringList& a, const QStringList& b) {
            if (a[0].toUpper() != b[0].toUpper())
                return a[0].toUpper() < b[0].toUpper();
            if (a[1].toUpper() != b[1].toUpper())
                return a[1].toUpper() < b[1].toUpper();
            return a[2].toInt() < b[2].toInt();
        });
        QStringList expected;
        for (const auto& r : rows)
            expected << r[3];
        QCOMPARE(col(g, 3), expected);
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
        QTest::keyClicks(e, QStringLiteral("zz"));
        QTest::keyClick(e, Qt::Key_Return);
        QCOMPARE(g.textMatrix(1, 1), QStringLiteral("Remarks here"));
    }
};

QEL_TEST(TestFlexGrid);
#include "test_flexgrid.moc"
