#pragma once
#include <QString>
#include <QStringList>
#include <QVector>

namespace qel {

// The codes the reference data and the tax forms are keyed by: what a text may be, and the
// structure checks that need no data (PAN, TAN, GSTIN).
namespace Codes {

enum class Kind { Ifsc, Micr, MicrStart, Pin, Std, Isd, Bsr, Pan, Tan, Gstin };

// One way of reading a text: the kind, and the code as the tables hold it (an STD code without
// its leading 0, an ISD code without "+" or "00", letters in capitals).
struct Reading {
    Kind kind;
    QString code;
};

// The caption of a kind: "IFSC code", "PIN code" ...
QString caption(Kind kind);
// The short name the host receives for a kind: "IFSC", "PIN" ...
QString tag(Kind kind);

// Every reading of a typed or pasted text, in the order they are worth showing. Spaces, hyphens
// and dots between the characters are ignored ("400 002 003" is a MICR code); a text longer
// than any code has no reading.
QVector<Reading> readings(const QString& text);

// The menu window's structure checks: an empty text and the three special values
// (PANNOTAVBL, PANINVALID, PANAPPLIED in any case) pass.
bool isValidPan(const QString& text);
bool isValidTan(const QString& text);

// What a PAN's fourth character says of its holder ("Individual", "Company" ...); empty when
// the character stands for no kind of holder.
QString panHolder(QChar fourth);

// A GSTIN's parts and what is wrong with them.
struct GstinCheck {
    QString state;          // "27 Maharashtra"; empty when the code is not a state's
    QString pan;            // characters 3 to 12
    QString entity;         // the 13th character: the holder's registration number in that state
    QChar expectedCheck;    // what the 15th character must be (null when it cannot be worked out)
    QStringList faults;     // one line per fault; empty for a valid GSTIN
    bool valid() const { return faults.isEmpty(); }
};
GstinCheck checkGstin(const QString& gstin);
// The check character of a GSTIN's first fourteen characters (the published mod-36 scheme);
// null when one of them is not a digit or a capital letter.
QChar gstinCheckCharacter(QStringView first14);
// The state or territory of a GST state code ("27" -> "Maharashtra"); empty when none.
QString gstState(int code);

} // namespace Codes

} // namespace qel
