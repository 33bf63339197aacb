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

Result convert(const QString& type, const QByteArray& csv, const QMap<QString, QString>& mapping)
{
    Result result;
    const QStringList layout = fields(type);
    if (layout.isEmpty()) {
        result.errors << QStringLiteral("%1 is not a resource that can be imported (one of: %2)").arg(type, types().join(u' '));
        return result;
    }
    // UTF-8 as most exports are; a file that is not valid UTF-8 is read as Windows-1252.
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString text = utf8.decode(csv);
    if (utf8.hasError())
        text = QStringDecoder("windows-1252").decode(csv);
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
    const QList<QStringList> rows = parseCsv(text);
    if (rows.isEmpty()) {
        result.errors << QStringLiteral("the file holds no header line");
        return result;
    }
    const QStringList header = rows.first();
    const auto column = [&](const QString& field) -> int {
        const QString name = mapping.value(field);
        return name.isEmpty() ? -1 : int(header.indexOf(name.trimmed()));
    };
    for (auto it = mapping.cbegin(); it != mapping.cend(); ++it) {
        if (!layout.contains(it.key()) && !(type == u"MICR" && it.key() == u"MICR"))
            result.errors << QStringLiteral("%1 has no field %2 (its fields: %3)").arg(type, it.key(), layout.join(u' '));
        else if (column(it.key()) < 0)
            result.errors << QStringLiteral("the header line has no column %1").arg(it.value());
    }
    if (!result.errors.isEmpty())
        return result;

    const TableDef* table = Tables::forResource(type);
    const int micrColumn = type == u"MICR" ? column(QStringLiteral("MICR")) : -1;
    // Per field, once: the CSV column it comes from, whether it is filled at all, and its format.
    QVector<int> fieldColumn;
    QVector<bool> mapped;
    QVector<const Rule*> rules;
    for (const QString& field : layout) {
        fieldColumn << column(field);
        mapped << (fieldColumn.last() >= 0 || (micrColumn >= 0 && field.endsWith(QLatin1String("Code"))));
        rules << ruleFor(type, field);
    }
    QStringEncoder cp1252("windows-1252");
    for (int line = 1; line < rows.size(); ++line) {
        const QStringList& row = rows[line];
        const int lineNo = line + 1;
        QStringList values;
        QStringList problems;
        for (int i = 0; i < layout.size(); ++i) {
            const QString& field = layout[i];
            const int col = fieldColumn[i];
            QString v;
            if (field == u"Sr")
                v = QString::number(result.records + 1);
            else if (col >= 0)
                v = row.value(col).trimmed();
            else if (micrColumn >= 0 && field.endsWith(QLatin1String("Code")))
                v = row.value(micrColumn).trimmed().mid(field == u"CityCode" ? 0 : field == u"BankCode" ? 3 : 6, 3);
            values << v;
        }
        if (row.size() != header.size())
            problems << QStringLiteral("has %1 fields where the header has %2").arg(row.size()).arg(header.size());
        if (micrColumn >= 0 && !ruleFor(type, QStringLiteral("MICR"))->pattern.match(row.value(micrColumn).trimmed()).hasMatch())
            problems << QStringLiteral("MICR code '%1' is not 9 digits").arg(row.value(micrColumn).trimmed());
        for (int i = 0; i < layout.size() && problems.isEmpty(); ++i)
            if (rules[i] && mapped[i] && !rules[i]->pattern.match(values[i]).hasMatch())
                problems << QStringLiteral("%1 '%2' is not %3").arg(layout[i], values[i], QString::fromLatin1(rules[i]->what));
        // The server loads a table all or nothing: a record it would refuse stays out here.
        if (problems.isEmpty())
            if (const QString misfit = Tables::checkRecord(*table, values); !misfit.isEmpty())
                problems << misfit;
        QByteArray record;
        for (int i = 0; i < layout.size() && problems.isEmpty(); ++i) {
            const QByteArray bytes = cp1252.encode(values[i]);
            if (cp1252.hasError()) {
                problems << QStringLiteral("%1 '%2' holds a character that Windows-1252 cannot write").arg(layout[i], values[i]);
                cp1252.resetState();
                break;
            }
            if (i > 0)
                record += ',';
            record += layout[i] == u"Sr" ? bytes : quoted(bytes);
        }
        if (!problems.isEmpty()) {
            result.errors << QStringLiteral("line %1: %2").arg(lineNo).arg(problems.join(QStringLiteral("; ")));
            continue;
        }
        result.resource += record + '\xA6';
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
