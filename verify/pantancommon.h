#pragma once
#include <QDate>
#include <QString>

namespace qel::pantan {

// What both ways of verifying a PAN or TAN share: the request's prefix, the service's
// addresses and fixed values, the pieces of the payment form that follow from the identifier
// and the date, and the text helpers.

// "PAN:" -> "280", "TAN:" -> "281", anything else (also "pan:") -> empty.
QString serviceCode(const QString& request);
// "PAN" for service code "280", else "TAN".
QString kind(const QString& serviceCode);
// "0020" when the identifier's fourth character is "C", else "0021".
QString majorHead(const QString& identifier);
// The current April-to-March year: "2023-24" for any day from April 2023 to March 2024.
QString assessmentYear(const QDate& today);
// The first year of it as text ("2023"), as the alternate method picks its option by.
QString assessmentStartYear(const QDate& today);

// The service, up to and including "/etaxnew/"; and the fixed dummy values of the form.
QString baseAddress();
QString dummyEmail();
QString bankOption();     // "Allahabad Bank|" and that bank's login address
int timeoutMs();

QString DecodeHtml(const QString& text);
QString UrlEncode(const QString& text);

// The text of page from right after the key up to the next double quote, found ignoring case
// and taken with its case kept; empty when the key is not there. With skip, the text starts
// that many characters into the key instead (a form action keeps the part after `action="`).
QString valueAfter(const QString& page, const QString& key, qsizetype skip = -1);

} // namespace qel::pantan
