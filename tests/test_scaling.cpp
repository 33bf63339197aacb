#include "component/clsmain.h"
#include "core/scaling.h"
#include "lookups/frmmicr.h"
#include "tests/testsupport.h"
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>
#include <QFontInfo>

using namespace qel;

namespace {
// A font that reports what a real font would: scalable fonts take any size not below their
// minimum; fixed-size fonts snap up to the next size they have.
class FakeFont : public FontTarget {
public:
    QList<double> fixedSizes;   // empty: scalable
    double size = 10;
    QString name = QStringLiteral("Serif");
    QList<double> tried;
    double reportedSize() const override { return size; }
    void setSize(double p) override
    {
        tried << p;
        if (fixedSizes.isEmpty() || name == u"Arial") {
            size = p;
            return;
        }
        for (double s : fixedSizes)
            if (s >= p) {
                size = s;
                return;
            }
        size = fixedSizes.last();
    }
    void setName(const char* n) override { name = QString::fromLatin1(n); }
};

struct Form {
    QWidget w;
    QPushButton* button;
    QLabel* autoLabel;
    QComboBox* combo;
    QLineEdit* negative;
    Form()
    {
        w.setGeometry(100, 50, 600, 400);
        button = new QPushButton(QStringLiteral("Go"), &w);
        button->setObjectName(QStringLiteral("Command1"));
        button->setGeometry(10, 20, 100, 30);
        autoLabel = new QLabel(QStringLiteral("City"), &w);
        autoLabel->setObjectName(QStringLiteral("Label2"));
        autoLabel->setProperty("AutoSize", true);
        autoLabel->setGeometry(10, 60, 40, 16);
        combo = new QComboBox(&w);
        combo->setObjectName(QStringLiteral("Combo1"));
        combo->setGeometry(60, 60, 200, 24);
        negative = new QLineEdit(&w);
        negative->setObjectName(QStringLiteral("Text1"));
        negative->setGeometry(-500, 100, 80, 20);
    }
};
} // namespace

class TestScaling : public QObject {
    Q_OBJECT
private slots:
    void shrinksUntilTheFontAcceptsTheSize()
    {
        FakeFont f;
        f.fixedSizes = {7.5, 8.25, 9, 10, 12};   // 8.0 and 7.9 .. 7.6 snap above the target
        scaleFont(f, 0.8f, false);
        QCOMPARE(f.tried.mid(0, 6), (QList<double>{8.0, 7.9, 7.8, 7.7, 7.6, 7.5}));
        QCOMPARE(f.size, 7.5);
    }

    void checkBoxesTakeTheExtraFactor()
    {
        FakeFont f;
        scaleFont(f, 1.2f, true);
        QCOMPARE(f.tried.first(), 11.76);
    }

    void halvesRoundToEven()
    {
        FakeFont f;
        f.size = 8.25;   // 8.25 * 1 -> 8.2
        scaleFont(f, 1.0f, false);
        QCOMPARE(f.tried.first(), 8.2);
    }

    void fixedSizeFontFallsBackToArial()
    {
        FakeFont f;
        f.fixedSizes = {10, 12};   // cannot go below 10
        scaleFont(f, 0.75f, false);   // target 7.5
        QCOMPARE(f.name, QStringLiteral("Arial"));
        QCOMPARE(f.size, 7.5);
    }

    void unitOrBadFactorsChangeNothing_data()
    {
        QTest::addColumn<float>("x");
        QTest::addColumn<float>("y");
        QTest::addColumn<float>("fs");
        QTest::newRow("all one") << 1.f << 1.f << 1.f;
        QTest::newRow("zero") << 1.5f << 0.f << 1.f;
        QTest::newRow("negative") << -1.f << 1.5f << 1.2f;
    }
    void unitOrBadFactorsChangeNothing()
    {
        QFETCH(float, x);
        QFETCH(float, y);
        QFETCH(float, fs);
        Form f;
        const QRect before = f.w.geometry(), b = f.button->geometry();
        const qreal pt = f.button->font().pointSizeF();
        resizeForResolution(&f.w, x, y, fs);
        QCOMPARE(f.w.geometry(), before);
        QCOMPARE(f.button->geometry(), b);
        QCOMPARE(f.button->font().pointSizeF(), pt);
    }

    void controlsAndWindowScale()
    {
        Form f;
        ClsMain c;
        c.InitMe(QString(), nullptr, QString(), 1.5f, 2.0f, 1.0f);
        QVERIFY(QMetaObject::invokeMethod(&c, "Resize_For_Resolution", Q_ARG(QWidget*, &f.w), Q_ARG(bool, true)));
        QCOMPARE(f.w.geometry(), QRect(150, 100, 900, 800));
        QCOMPARE(f.button->geometry(), QRect(15, 40, 150, 60));
        QCOMPARE(f.autoLabel->geometry(), QRect(15, 120, 40, 16));   // auto-sized without wrap: only moved
        QCOMPARE(f.combo->geometry(), QRect(90, 120, 300, 24));      // a combo keeps its height
        QCOMPARE(f.negative->geometry().left(), 12);                 // brought to 120 twips first, then scaled
    }

    void lookupDialogScalesWithItsControls_data()
    {
        QTest::addColumn<float>("f");
        QTest::newRow("larger") << 1.25f;
        QTest::newRow("smaller") << 0.8f;
    }
    void lookupDialogScalesWithItsControls()
    {
        QFETCH(float, f);
        ClsMain c;
        c.InitMe(QString(), nullptr, QString(), f, f, f);
        frmmicr d;
        const QSize designed = d.size();
        d.InitData(&c.session());
        QCOMPARE(d.size(), QSize(qRound(designed.width() * f), qRound(designed.height() * f)));
        for (const char* name : {"cmdselect", "cmdback", "vsf", "Command1"})
            QVERIFY2(d.rect().contains(d.findChild<QWidget*>(QString::fromLatin1(name))->geometry()), name);
        // Scaled once: the Advanced Search frame's controls as much as the others, not again
        // on top of the frame's scaled font.
        const double base = QFontInfo(frmmicr().findChild<QWidget*>(QStringLiteral("Label6"))->font()).pointSizeF();
        for (const char* name : {"Label6", "Command2", "Label2"}) {
            const double size = QFontInfo(d.findChild<QWidget*>(QString::fromLatin1(name))->font()).pointSizeF();
            // The largest size the font takes that is not above the target (pixel steps).
            QVERIFY2(size <= base * f + 0.05 && size >= base * f - 1.0, qPrintable(QStringLiteral("%1: %2 of %3").arg(name).arg(size).arg(base)));
        }
    }

    void fontsShrinkWithGeometryKept()
    {
        Form f;
        QFont font = f.button->font();
        font.setPointSizeF(10);
        f.button->setFont(font);
        resizeForResolution(&f.w, 1, 1, 0.8f);
        QCOMPARE(f.button->geometry(), QRect(10, 20, 100, 30));
        QVERIFY(f.button->font().pointSizeF() <= 8.0);
    }
};

QEL_TEST(TestScaling);
#include "test_scaling.moc"
