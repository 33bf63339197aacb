#include "core/scaling.h"
#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QFontInfo>
#include <QGroupBox>
#include <QLabel>
#include <QProgressBar>
#include <QRadioButton>
#include <QStackedWidget>
#include <QTabWidget>
#include <QWidget>
#include <cmath>

namespace qel {

namespace {

// Font sizes are fixed-point with four decimals, as the layout tools keep them.
using Fixed = long long;   // ten-thousandths of a point
constexpr Fixed kOne = 10000;

Fixed toFixed(double v) { return Fixed(std::llround(v * kOne)); }
double fromFixed(Fixed v) { return double(v) / kOne; }

// Rounded to one decimal place, halves to the even digit.
Fixed roundToTenth(double v)
{
    const double tenths = std::nearbyint(v * 10.0);   // the default rounding mode rounds halves to even
    return Fixed(tenths) * (kOne / 10);
}

class WidgetFont : public FontTarget {
public:
    explicit WidgetFont(QWidget* w) : m_w(w) {}
    double reportedSize() const override { return QFontInfo(m_w->font()).pointSizeF(); }
    void setSize(double points) override
    {
        QFont f = m_w->font();
        f.setPointSizeF(points);
        m_w->setFont(f);
    }
    void setName(const char* family) override
    {
        QFont f = m_w->font();
        f.setFamily(QString::fromLatin1(family));
        m_w->setFont(f);
    }

private:
    QWidget* m_w;
};

enum class Kind { Skip, Line, NoFont, Combo, Label, Tab, CheckOption, Grid, Other };

Kind kindOf(QWidget* w)
{
    const QByteArray type = QByteArray(w->metaObject()->className()).toUpper();
    if (type == "QMENU" || type == "QMENUBAR")
        return Kind::Skip;
    if (auto* f = qobject_cast<QFrame*>(w); f && type == "QFRAME"
        && (f->frameShape() == QFrame::HLine || f->frameShape() == QFrame::VLine))
        return Kind::Line;
    if (qobject_cast<QProgressBar*>(w) || w->property("Picture").isValid())
        return Kind::NoFont;
    if (qobject_cast<QComboBox*>(w))
        return Kind::Combo;
    if (qobject_cast<QLabel*>(w))
        return Kind::Label;
    if (qobject_cast<QTabWidget*>(w))
        return Kind::Tab;
    if (qobject_cast<QCheckBox*>(w) || qobject_cast<QRadioButton*>(w))
        return Kind::CheckOption;
    if (type.endsWith("FLEXGRID"))
        return Kind::Grid;
    return Kind::Other;
}

// Containers whose children are controls of the window; other widgets' children are their own parts.
bool isContainer(QWidget* w)
{
    const QByteArray type = w->metaObject()->className();
    return type == "QWidget" || type == "QFrame" || qobject_cast<QGroupBox*>(w) || qobject_cast<QStackedWidget*>(w)
           || qobject_cast<QTabWidget*>(w);
}

void collectControls(QWidget* parent, QList<QWidget*>& out)
{
    for (QObject* o : parent->children()) {
        auto* w = qobject_cast<QWidget*>(o);
        if (!w || w->isWindow())
            continue;
        const bool internal = w->objectName().isEmpty() || w->objectName().startsWith(QLatin1String("qt_"));
        if (!internal)
            out << w;
        if (isContainer(w))
            collectControls(w, out);
    }
}

int sx(int v, float f) { return int(std::lround(v * double(f))); }

// Moves and sizes a widget; one held at a fixed size takes the new size as its fixed size.
void place(QWidget* w, const QRect& r)
{
    if (w->minimumSize() == w->maximumSize() && !w->minimumSize().isEmpty())
        w->setFixedSize(r.size());
    w->setGeometry(r);
}

void commonRule(QWidget* w, float x, float y)
{
    QRect g = w->geometry();
    if (g.left() < 0) {
        QWidget* container = w->parentWidget();
        const bool onTab = container && (qobject_cast<QTabWidget*>(container)
                                         || qobject_cast<QTabWidget*>(container->parentWidget())
                                         || (container->parentWidget()
                                             && qobject_cast<QTabWidget*>(container->parentWidget()->parentWidget())));
        g.moveLeft(onTab ? g.left() + twips(75000) : twips(120));
    }
    place(w, QRect(sx(g.left(), x), sx(g.top(), y), sx(g.width(), x), sx(g.height(), y)));
}

void scaleGrid(QWidget* grid, float x, float y)
{
    static const char* const widths[] = {"ColWidthMax", "ColWidthMin"};
    static const char* const heights[] = {"RowHeightMax", "RowHeightMin"};
    for (const char* p : widths)
        grid->setProperty(p, sx(grid->property(p).toInt(), x));
    for (const char* p : heights)
        grid->setProperty(p, sx(grid->property(p).toInt(), y));
}

} // namespace

void scaleFont(FontTarget& font, float fs, bool checkOrOption)
{
    const double s = font.reportedSize();
    if (s <= 0)
        return;
    Fixed t = roundToTenth(s * double(fs));
    if (checkOrOption)
        t = toFixed(fromFixed(t) * 0.98);
    const auto above = [&](Fixed target) { return toFixed(font.reportedSize()) > target; };
    while (t > 0) {
        font.setSize(fromFixed(t));
        if (!above(t))
            return;
        t -= kOne / 10;
    }
    t = roundToTenth(s * double(fs));
    if (t <= 0)
        return;
    const auto unchangedOrAbove = [&] { return toFixed(font.reportedSize()) == toFixed(s) || above(t); };
    font.setSize(fromFixed(t));
    if (unchangedOrAbove())
        font.setSize(std::floor(fromFixed(t)));
    if (unchangedOrAbove()) {
        font.setName("Arial");
        font.setSize(fromFixed(t));
        if (unchangedOrAbove())
            font.setSize(std::floor(fromFixed(t)));
    }
}

void resizeForResolution(QWidget* form, float x, float y, float fs)
{
    if (!form)
        return;
    if (x == 1.0f && y == 1.0f && fs == 1.0f)
        return;
    if (x <= 0 || y <= 0 || fs <= 0)
        return;
    QList<QWidget*> controls;
    collectControls(form, controls);
    // Every control keeps its own size from the start: a container's scaled font would otherwise
    // reach the controls inside it, which are then scaled once more on their own.
    for (QWidget* w : controls) {
        QFont own = w->font();
        own.setPointSizeF(own.pointSizeF());
        w->setFont(own);
    }
    for (QWidget* w : controls) {
        const Kind kind = kindOf(w);
        if (kind == Kind::Skip)
            continue;
        if (kind != Kind::Line && kind != Kind::NoFont) {
            WidgetFont font(w);
            scaleFont(font, fs, kind == Kind::CheckOption);
        }
        switch (kind) {
        case Kind::Combo: {
            const QRect g = w->geometry();
            place(w, QRect(sx(g.left(), x), sx(g.top(), y), sx(g.width(), x), g.height()));
            break;
        }
        case Kind::Label: {
            auto* l = static_cast<QLabel*>(w);
            const QRect g = w->geometry();
            const bool autoSize = w->property("AutoSize").toBool();
            const int width = autoSize && !l->wordWrap() ? g.width() : sx(g.width(), x);
            const int height = autoSize ? g.height() : sx(g.height(), y);
            place(w, QRect(sx(g.left(), x), sx(g.top(), y), width, height));
            break;
        }
        case Kind::Tab:
        case Kind::Line: {
            const QRect g = w->geometry();
            place(w, QRect(sx(g.left(), x), sx(g.top(), y), sx(g.width(), x), sx(g.height(), y)));
            break;
        }
        default:
            commonRule(w, x, y);
            if (kind == Kind::Grid)
                scaleGrid(w, x, y);
        }
    }
    const QRect g = form->geometry();
    place(form, QRect(sx(g.left(), x), sx(g.top(), y), sx(g.width(), x), sx(g.height(), y)));
}

} // namespace qel
