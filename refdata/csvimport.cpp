#include "refdata/csvimport.h"
#include "refdata/resourcestore.h"
#include "refdata/tables.h"
#include <QDir>
#include <QRegularExpression>
#include <QSaveFile>
#include <QStringDecoder>
#include <QStringEncoder>

namespace qel::CsvImport {

namespace {

// Field names, in resource order. "Sr" is a serial number the import numbers itself.
const QMap<QString, QStringList>& layouts()
{
    static const QMap<QString, QStringList> l{
        {"MICR", {"Sr", "City", "CityCode", "BankCode", "BranchCode", "Bank", "Branch"}},
        {"IFSC", {"Bank", "IFSC", "Branch", "Centre", "District", "State", "Address"}},
        {"BANKBSR", {"State", "District", "Bank", "Branch", "BSR"}},
        {"BANKNODAL", {"Sr", "Bank", "BranchBSR", "Branch", "NodalBSR", "NodalBranch"}},
        {"DIST", {"Sr", "City1", "City2", "Distance"}},
        {"ISD", {"Sr", "Country", "City", "ISDCode"}},
        {"STD", {"Sr", "State", "City", "STDCode"}},
        {"PIN", {"Sr", "State", "City", "Area", "PIN"}},
        {"PANAO", {"City", "Ward", "Description", "AreaCode", "AOType", "RangeCode", "AONumber"}},
        {"TANAO", {"City", "Ward", "Description", "AreaCode", "RangeCode", "AOType", "AONumber"}},
        {"SVT_LOC", {"Sr", "State", "City", "Area", "PIN", "Locality", "RangeCode"}},
        {"TINFC", {"State", "City", "Code", "Facilitator", "Contact", "Address", "Phones", "Faxes", "Emails"}},
    };
    return l;
}

struct Rule {
    QRegularExpression pattern;
    const char* what;
};

// Formats that a code must have; an empty value is allowed only where the field may be empty.
const Rule* ruleFor(const QString& type, const QString& field)
{
    static const Rule ifsc{QRegularExpression(QStringLiteral("^[A-Z]{4}0[A-Z0-9]{6}$")), "4 letters, a 0 and 6 letters or digits"};
    static const Rule micr{QRegularExpression(QStringLiteral("^[0-9]{9}$")), "9 digits"};
    static const Rule part{QRegularExpression(QStringLiteral("^[0-9]{3}$")), "3 digits"};
    static const Rule bsr{QRegularExpression(QStringLiteral("^[0-9]{7}$")), "7 digits"};
    static const Rule pin{QRegularExpression(QStringLiteral("^[0-9]{6}$")), "6 digits"};
    if (field == u"IFSC")
        return &ifsc;
    if (field == u"MICR")
        return &micr;
    if (type == u"MICR" && field.endsWith(QLatin1String("Code")))
        return &part;
    if (field == u"BSR")
        return &bsr;
    if (field == u"PIN")
        return &pin;
    return nullptr;
}

// A text field between double quotes: quotes doubled, backslashes (the loader's escape) doubled.
QByteArray quoted(const QByteArray& cp1252)
{
    QByteArray out = "\"";
    for (char c : cp1252) {
        if (c == '"' || c == '\\')
            out += c;
        out += c;
    }
    return out + '"';
}

} // namespace

QStringList types() { return layouts().keys(); }

QStringList fields(const QString& type) { return layouts().value(type); }

QList<QStringList> parseCsv(const QString& text)
{
    QList<QStringList> rows;
    QStringList row;
    QString field;
    bool quotedField = false, inQuotes = false, any = false;
    for (qsizetype i = 0; i <= text.size(); ++i) {
        const bool end = i == text.size();
        const QChar c = end ? QChar() : text[i];
        if (inQuotes && !end) {
            if (c == u'"') {
                if (i + 1 < text.size() && text[i + 1] == u'"')
                    field += text[++i];
                else
                    inQuotes = false;
            } else {
                field += c;
            }
            continue;
        }
        if (!end && c == u'"' && field.isEmpty() && !quotedField) {
            inQuotes = quotedField = any = true;
        } else if (!end && c == u',') {
            row << field;
            field.clear();
            quotedField = false;
            any = true;
        } else if (end || c == u'\n') {
            if (!field.isEmpty() && field.endsWith(u'\r') && !quotedField)
                field.chop(1);
            if (any || !field.isEmpty()) {
                row << field;
                rows << row;
            }
            row.clear();
            field.clear();
            quotedField = any = false;
        } else if (!quotedField) {
            field += c;
            any = true;
        }
    }
    return rows;
}

namespace {

// UTF-8 as most exports are; a file that is not valid UTF-8 is read as Windows-1252.
QString decodeCsv(const QByteArray& csv)
{
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString text = utf8.decode(csv);
    if (utf8.hasError())
        text = QStringDecoder("windows-1252").decode(csv);
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
    return text;
}

// Per field of the resource, once: the CSV column it comes from, whether it is filled at all,
// and its format.
struct Plan {
    QString type;
    QStringList layout, header;
    const TableDef* table = nullptr;
    int micrColumn = -1;   // MICR: the column of whole codes that the three code fields come from
    QVector<int> fieldColumn;
    QVector<bool> mapped;
    QVector<const Rule*> rules;
};

// The plan of a conversion; errors when the mapping names fields or columns that do not exist.
Plan makePlan(const QString& type, const QStringList& layout, const QStringList& header, const QMap<QString, QString>& mapping,
              QStringList* errors)
{
    Plan p{type, layout, header, Tables::forResource(type)};
    const auto column = [&](const QString& field) -> int {
        const QString name = mapping.value(field);
        return name.isEmpty() ? -1 : int(header.indexOf(name.trimmed()));
    };
    for (auto it = mapping.cbegin(); it != mapping.cend(); ++it) {
        if (!layout.contains(it.key()) && !(type == u"MICR" && it.key() == u"MICR"))
            *errors << QStringLiteral("%1 has no field %2 (its fields: %3)").arg(type, it.key(), layout.join(u' '));
        else if (column(it.key()) < 0)
            *errors << QStringLiteral("the header line has no column %1").arg(it.value());
    }
    p.micrColumn = type == u"MICR" ? column(QStringLiteral("MICR")) : -1;
    for (const QString& field : layout) {
        p.fieldColumn << column(field);
        p.mapped << (p.fieldColumn.last() >= 0 || (p.micrColumn >= 0 && field.endsWith(QLatin1String("Code"))));
        p.rules << ruleFor(type, field);
    }
    return p;
}

QStringList recordValues(const Plan& p, const QStringList& row, int serial)
{
    QStringList values;
    for (int i = 0; i < p.layout.size(); ++i) {
        const QString& field = p.layout[i];
        const int col = p.fieldColumn[i];
        QString v;
        if (field == u"Sr")
            v = QString::number(serial);
        else if (col >= 0)
            v = row.value(col).trimmed();
        else if (p.micrColumn >= 0 && field.endsWith(QLatin1String("Code")))
            v = row.value(p.micrColumn).trimmed().mid(field == u"CityCode" ? 0 : field == u"BankCode" ? 3 : 6, 3);
        values << v;
    }
    return values;
}

// What keeps a line out: its shape, a code of the wrong form, or what the server would refuse
// (it loads a table all or nothing).
QStringList recordProblems(const Plan& p, const QStringList& row, const QStringList& values)
{
    QStringList problems;
    if (row.size() != p.header.size())
        problems << QStringLiteral("has %1 fields where the header has %2").arg(row.size()).arg(p.header.size());
    if (p.micrColumn >= 0 && !ruleFor(p.type, QStringLiteral("MICR"))->pattern.match(row.value(p.micrColumn).trimmed()).hasMatch())
        problems << QStringLiteral("MICR code '%1' is not 9 digits").arg(row.value(p.micrColumn).trimmed());
    for (int i = 0; i < p.layout.size() && problems.isEmpty(); ++i)
        if (p.rules[i] && p.mapped[i] && !p.rules[i]->pattern.match(values[i]).hasMatch())
            problems << QStringLiteral("%1 '%2' is not %3").arg(p.layout[i], values[i], QString::fromLatin1(p.rules[i]->what));
    if (problems.isEmpty())
        if (const QString misfit = Tables::checkRecord(*p.table, values); !misfit.isEmpty())
            problems << misfit;
    return problems;
}

// The record in the resource format; empty, and a problem added, when a value has a character
// Windows-1252 cannot write.
QByteArray encodeRecord(const Plan& p, const QStringList& values, QStringList* problems)
{
    QStringEncoder cp1252("windows-1252");
    QByteArray record;
    for (int i = 0; i < p.layout.size(); ++i) {
        const QByteArray bytes = cp1252.encode(values[i]);
        if (cp1252.hasError()) {
            *problems << QStringLiteral("%1 '%2' holds a character that Windows-1252 cannot write").arg(p.layout[i], values[i]);
            return {};
        }
        if (i > 0)
            record += ',';
        record += p.layout[i] == u"Sr" ? bytes : quoted(bytes);
    }
    return record + '\xA6';
}

} // namespace

Result convert(const QString& type, const QByteArray& csv, const QMap<QString, QString>& mapping)
{
    Result result;
    const QStringList layout = fields(type);
    if (layout.isEmpty()) {
        result.errors << QStringLiteral("%1 is not a resource that can be imported (one of: %2)").arg(type, types().join(u' '));
        return result;
    }
    const QList<QStringList> rows = parseCsv(decodeCsv(csv));
    if (rows.isEmpty()) {
        result.errors << QStringLiteral("the file holds no header line");
        return result;
    }
    const Plan plan = makePlan(type, layout, rows.first(), mapping, &result.errors);
    if (!result.errors.isEmpty())
        return result;
    for (int line = 1; line < rows.size(); ++line) {
        const QStringList values = recordValues(plan, rows[line], result.records + 1);
        QStringList problems = recordProblems(plan, rows[line], values);
        const QByteArray record = problems.isEmpty() ? encodeRecord(plan, values, &problems) : QByteArray();
        if (!problems.isEmpty()) {
            result.errors << QStringLiteral("line %1: %2").arg(line + 1).arg(problems.join(QStringLiteral("; ")));
            continue;
        }
        result.resource += record;
        ++result.records;
    }
    return result;
}

QString defaultInstallDir() { return ResourceStore::overrideDir(); }

bool install(const QString& type, const QByteArray& resource, QString* error, const QString& dir)
{
    const QString target = dir.isEmpty() ? ResourceStore::overrideDir() : dir;
    QDir().mkpath(target);
    QSaveFile f(target + u'/' + type + QStringLiteral("1.dat"));
    if (!f.open(QIODevice::WriteOnly) || f.write(resource) != resource.size() || !f.commit()) {
        if (error)
            *error = f.errorString();
        return false;
    }
    return true;
}

} // namespace qel::CsvImport
