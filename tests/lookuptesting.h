#pragma once
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QStringList>
#include <QtTest>
#include <QTimer>
#include "tests/testdesktop.h"
#include "lookups/grid/flexgrid.h"
#include "lookups/lookupdialog.h"
#include <QHash>
#include <memory>

namespace qel::test {

template <typename T>
T* child(QWidget* w, const char* name)
{
    T* c = w->findChild<T*>(QString::fromLatin1(name));
    if (!c)
        qFatal("no control %s", name);
    return c;
}

// A lookup dialog by its name ("frmpin"), made as the component makes it.
inline std::unique_ptr<LookupDialog> lookupDialog(const char* name)
{
    static const QHash<QByteArray, Lookup> kinds{
        {"frmpin", Lookup::Pin},           {"frmstd", Lookup::Std},       {"frmISD", Lookup::Isd},          {"frmDistance", Lookup::Distance},
        {"frmpantanao", Lookup::PanTanAo}, {"frmbankBSR", Lookup::BankBsr}, {"frmSVTRange", Lookup::SvtRanges},
        {"frmNodalBank", Lookup::NodalBank}, {"frmmicr", Lookup::Micr},   {"frmIFSC", Lookup::Ifsc},        {"frmtinfc", Lookup::TinFc}};
    if (!kinds.contains(name))
        qFatal("no dialog %s", name);
    return std::unique_ptr<LookupDialog>(static_cast<LookupDialog*>(createLookup(kinds.value(name), nullptr).release()));
}

// A column of the grid, rows 1..
inline QStringList column(QWidget* dlg, int col)
{
    auto* g = child<FlexGrid>(dlg, "vsf");
    QStringList out;
    for (int r = 1; r < g->rows(); ++r)
        out << g->textMatrix(r, col);
    return out;
}

// The items of a list.
inline QStringList items(QWidget* dlg, const char* combo)
{
    auto* c = child<QComboBox>(dlg, combo);
    QStringList out;
    for (int i = 0; i < c->count(); ++i)
        out << c->itemText(i);
    return out;
}

inline void choose(QWidget* dlg, const char* combo, const QString& text)
{
    auto* c = child<QComboBox>(dlg, combo);
    const int i = c->findText(text);
    if (i >= 0)
        c->setCurrentIndex(i);
    else
        c->setEditText(text);
}

// When the next modal dialog opens, makes row r current and presses Select.
inline void pickWhenOpen(int r)
{
    QTimer::singleShot(0, [r] {
        QWidget* d = QApplication::activeModalWidget();
        QVERIFY(d);
        child<FlexGrid>(d, "vsf")->setRow(r);
        child<QPushButton>(d, "cmdselect")->click();
    });
}

} // namespace qel::test
