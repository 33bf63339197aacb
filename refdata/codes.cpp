#include "refdata/codes.h"
#include <QHash>
#include <QRegularExpression>
#include <cstring>

namespace qel::Codes {

namespace {
bool isUpper(QChar c) { return c >= u'A' && c <= u'Z'; }
bool isDigit(QChar c) { return c >= u'0' && c <= u'9'; }

// Each pattern is compiled once (they are the literals below; as each key is typed, the text is
// read anew).
bool matches(const char* pattern, const QString& text)
{
    static QHash<const char*, QRegularExpression> compiled;
    auto it = compiled.constFind(pattern);
    if (it == compiled.cend())
        it = compiled.insert(pattern, QRegularExpression(QRegularExpression::anchoredPattern(QLatin1String(pattern))));
    return it->match(text).hasMatch();
}

// The three special values pass in any case; "" passes; otherwise a length of 10 is required.
int specialOrLength(const QString& text, const char* prefix)
{
    if (text.size() != 0 && text.size() != 10)
        return 0;
    if (text.isEmpty())
        return 1;
    const QString up = text.toUpper(), p = QString::fromLatin1(prefix);
    if (up == p + QStringLiteral("NOTAVBL") || up == p + QStringLiteral("INVALID") || up == p + QStringLiteral("APPLIED"))
        return 1;
    return -1;   // check position by position
}

constexpr int kLongestCode = 15;   // a GSTIN
constexpr char kBase36[] = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ";

// Readings of a text of digits only (after any "+" or "00" of an ISD code is taken away).
void digitReadings(const QString& d, QVector<Reading>& out)
{
    if (d.size() == 9)
        out.append({Kind::Micr, d});
    if (d.size() == 6 && d[0] != u'0')
        out.append({Kind::Pin, d});
    if (d.size() == 7)
        out.append({Kind::Bsr, d});
    if (d.size() >= 6 && d.size() <= 8)   // a MICR code being typed: its city and bank are known
        out.append({Kind::MicrStart, d});
    // An STD code is 2 to 5 digits after its trunk prefix 0; a 6-digit text starting with 0 is
    // one with its prefix.
    const QString std = d.startsWith(u'0') ? d.mid(1) : d;
    if (std.size() >= 2 && std.size() <= 5 && std[0] != u'0')
        out.append({Kind::Std, std});
}
} // namespace

QString caption(Kind kind)
{
    switch (kind) {
    case Kind::Ifsc: return QStringLiteral("IFSC code");
    case Kind::Micr: return QStringLiteral("MICR code");
    case Kind::MicrStart: return QStringLiteral("start of a MICR code");
    case Kind::Pin: return QStringLiteral("PIN code");
    case Kind::Std: return QStringLiteral("STD code");
    case Kind::Isd: return QStringLiteral("ISD code");
    case Kind::Bsr: return QStringLiteral("BSR code");
    case Kind::Pan: return QStringLiteral("PAN");
    case Kind::Tan: return QStringLiteral("TAN");
    case Kind::Gstin: return QStringLiteral("GSTIN");
    }
    return {};
}

QString tag(Kind kind)
{
    if (kind == Kind::MicrStart)
        return tag(Kind::Micr);
    const QString c = caption(kind);
    return c.endsWith(QLatin1String(" code")) ? c.chopped(5) : c;
}

QVector<Reading> readings(const QString& text)
{
    QString t;
    for (QChar c : text) {
        if (c == u' ' || c == u'-' || c == u'.' || c == u'\t')
            continue;
        if (t.size() > kLongestCode + 1)   // "+" and 15 characters at most
            return {};
        t += c.toUpper();
    }
    QVector<Reading> out;
    // "+44" or "0044": an ISD code ("0000156" is not one, but a BSR code).
    const QString isd = t.startsWith(u'+') ? t.mid(1) : t.startsWith(QLatin1String("00")) ? t.mid(2) : QString();
    if (matches("[1-9][0-9]{0,3}", isd))
        return {{Kind::Isd, isd}};
    if (t.startsWith(u'+'))
        return {};
    if (matches("[0-9]+", t))
        digitReadings(t, out);
    else if (matches("[A-Z]{4}0[A-Z0-9]{6}", t))
        out.append({Kind::Ifsc, t});
    else if (matches("[A-Z]{5}[0-9]{4}[A-Z]", t))
        out.append({Kind::Pan, t});
    else if (matches("[A-Z]{4}[0-9]{5}[A-Z]", t))
        out.append({Kind::Tan, t});
    else if (matches("[0-9]{2}[A-Z0-9]{13}", t))
        out.append({Kind::Gstin, t});
    return out;
}

bool isValidPan(const QString& t)
{
    if (const int r = specialOrLength(t, "PAN"); r >= 0)
        return r == 1;
    for (int i = 0; i < 5; ++i)
        if (!isUpper(t[i]))
            return false;
    for (int i = 5; i < 9; ++i)
        if (!isDigit(t[i]))
            return false;
    return isUpper(t[9]);
}

bool isValidTan(const QString& t)
{
    if (const int r = specialOrLength(t, "TAN"); r >= 0)
        return r == 1;
    for (int i = 0; i < 3; ++i)
        if (!isUpper(t[i]))
            return false;
    if (!isUpper(t[3]) && !isDigit(t[3]))
        return false;
    for (int i = 4; i < 9; ++i)
        if (!isDigit(t[i]))
            return false;
    return isUpper(t[9]);
}

QString panHolder(QChar fourth)
{
    switch (fourth.unicode()) {
    case u'P': return QStringLiteral("Individual");
    case u'C': return QStringLiteral("Company");
    case u'H': return QStringLiteral("Hindu undivided family");
    case u'F': return QStringLiteral("Firm or limited liability partnership");
    case u'A': return QStringLiteral("Association of persons");
    case u'B': return QStringLiteral("Body of individuals");
    case u'T': return QStringLiteral("Trust");
    case u'L': return QStringLiteral("Local authority");
    case u'J': return QStringLiteral("Artificial juridical person");
    case u'G': return QStringLiteral("Government");
    default: return {};
    }
}

QString gstState(int code)
{
    static const char* const kStates[] = {
        nullptr, "Jammu and Kashmir", "Himachal Pradesh", "Punjab", "Chandigarh", "Uttarakhand", "Haryana", "Delhi",
        "Rajasthan", "Uttar Pradesh", "Bihar", "Sikkim", "Arunachal Pradesh", "Nagaland", "Manipur", "Mizoram", "Tripura",
        "Meghalaya", "Assam", "West Bengal", "Jharkhand", "Odisha", "Chhattisgarh", "Madhya Pradesh", "Gujarat",
        "Daman and Diu (before 2020)", "Dadra and Nagar Haveli and Daman and Diu", "Maharashtra",
        "Andhra Pradesh (before 2014)", "Karnataka", "Goa", "Lakshadweep", "Kerala", "Tamil Nadu", "Puducherry",
        "Andaman and Nicobar Islands", "Telangana", "Andhra Pradesh", "Ladakh"};
    if (code > 0 && code < int(std::size(kStates)))
        return QString::fromLatin1(kStates[code]);
    if (code == 97)
        return QStringLiteral("Other Territory");
    if (code == 99)
        return QStringLiteral("Centre Jurisdiction");
    return {};
}

QChar gstinCheckCharacter(QStringView first14)
{
    if (first14.size() != 14)
        return {};
    int sum = 0;
    for (int i = 0; i < 14; ++i) {
        const char* at = first14[i].unicode() < 128 && first14[i] != u'\0' ? std::strchr(kBase36, char(first14[i].unicode())) : nullptr;
        const int value = at ? int(at - kBase36) : -1;
        if (value < 0)
            return {};
        const int product = value * (i % 2 == 0 ? 1 : 2);
        sum += product / 36 + product % 36;
    }
    return QChar::fromLatin1(kBase36[(36 - sum % 36) % 36]);
}

GstinCheck checkGstin(const QString& text)
{
    GstinCheck c;
    const QString g = text.trimmed().toUpper();
    if (g.size() != 15) {
        c.faults << QStringLiteral("A GSTIN has 15 characters; this has %1.").arg(g.size());
        return c;
    }
    const QString name = g.left(2).toInt() > 0 ? gstState(g.left(2).toInt()) : QString();
    if (matches("[0-9]{2}", g.left(2)) && !name.isEmpty())
        c.state = g.left(2) + u' ' + name;
    else
        c.faults << QStringLiteral("\"%1\" is not a GST state code.").arg(g.left(2));
    c.pan = g.mid(2, 10);
    if (!matches("[A-Z]{5}[0-9]{4}[A-Z]", c.pan))
        c.faults << QStringLiteral("Characters 3 to 12, \"%1\", are not a well-formed PAN.").arg(c.pan);
    c.entity = g.mid(12, 1);
    if (!matches("[1-9A-Z]", c.entity))
        c.faults << QStringLiteral("The 13th character, the registration number, must be 1 to 9 or a letter, not \"%1\".").arg(c.entity);
    if (g[13] != u'Z')
        c.faults << QStringLiteral("The 14th character must be \"Z\", not \"%1\".").arg(g[13]);
    c.expectedCheck = gstinCheckCharacter(QStringView(g).left(14));
    if (c.expectedCheck.isNull())
        c.faults << QStringLiteral("Only digits and capital letters make a GSTIN.");
    else if (g[14] != c.expectedCheck)
        c.faults << QStringLiteral("The check character is \"%1\"; it should be \"%2\".").arg(g[14]).arg(c.expectedCheck);
    return c;
}

} // namespace qel::Codes
