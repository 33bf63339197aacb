#pragma once
#include <QDialog>
#include <QPointer>
#include <memory>
#include "core/session.h"

namespace qel {


// The eleven lookup windows.
enum class Lookup { Pin, Std, Isd, Distance, PanTanAo, BankBsr, SvtRanges, NodalBank, Micr, Ifsc, TinFc };

// What the facade and the menu window call on a lookup window. LoadData comes in the argument
// types of the five windows a host opens; each of those takes the one its host operation calls.
// A LoadData that a window does not take is logged as an error under the window's name.
class LookupWindow : public QDialog {
    Q_OBJECT
public:
    using QDialog::QDialog;

    // Keeps the session as ClsObj and scales the window to the screen.
    virtual void InitData(Session* session) = 0;
    virtual void LoadData(const QString& first, const QString& second);                   // frmmicr (Bank, City), frmIFSC (District, Bank)
    virtual void LoadData(const QString& Bank);                                            // frmbankBSR
    virtual void LoadData(const QString& State, const QString& City, const QString& Area);  // frmSVTRange
    virtual void LoadData(bool PAN, const QString& City);                                  // frmpantanao

protected:
    QPointer<Session> ClsObj;

private:
    void notTaken(const char* signature);
};

// The one table of the lookup windows: a new window of that kind, its controls made, not yet
// given its session (whose desktop may put another window in its place).
std::unique_ptr<LookupWindow> createLookup(Lookup kind, const Session* session);
// As the menu window opens one for browsing: made, InitData, and LoadData with empty strings
// where the window has one (the PAN/TAN window with its flag).
std::unique_ptr<LookupWindow> openForBrowsing(Lookup kind, Session* session, bool pan = true);

} // namespace qel
