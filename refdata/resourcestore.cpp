#include "refdata/resourcestore.h"
#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocale>
#include <QRegularExpression>
#include <QStandardPaths>
#include <cstring>

// The embedded resources: registered here, so that they are there also where the component is
// linked statically (no static initialiser of the resource file runs then).
static void registerEmbeddedResources()
{
    static const bool done = [] {
        Q_INIT_RESOURCE(resources);
        return true;
    }();
    Q_UNUSED(done);
}

namespace qel::ResourceStore {

namespace {

constexpr char kRecordEnd = char(0xA6);

QString& overrideSetting()
{
    static QString dir;
    return dir;
}

struct Source {
    QString path;
    bool overridden = false;
};

Source locate(const QString& type, int id)
{
    registerEmbeddedResources();
    const QString name = type + QString::number(id);
    const QString over = overrideDir() + u'/' + name + QStringLiteral(".dat");
    if (QFileInfo::exists(over))
        return {over, true};
    return {QStringLiteral(":/refdata/") + name, false};
}

bool isFieldEnd(const QByteArray& b, qsizetype i) { return i >= b.size() || b[i] == ',' || b[i] == kRecordEnd; }

// What the build says of each shipped data set: source, date, notes, and its record count.
const QJsonObject& dataInfo(const QString& type)
{
    static const QJsonObject info = [] {
        registerEmbeddedResources();
        QFile f(QStringLiteral(":/refdata/datainfo.json"));
        return f.open(QIODevice::ReadOnly) ? QJsonDocument::fromJson(f.readAll()).object() : QJsonObject();
    }();
    static QHash<QString, QJsonObject> sets;
    if (!sets.contains(type))
        sets.insert(type, info.value(type).toObject());
    return sets[type];
}

} // namespace

QString overrideDir()
{
    if (!overrideSetting().isEmpty())
        return overrideSetting();
    const QByteArray env = qgetenv("QELREFDESK_DATA_DIR");
    if (!env.isEmpty())
        return QString::fromLocal8Bit(env);
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/QELRefDesk/data");
}

void setOverrideDir(const QString& dir) { overrideSetting() = dir; }

bool isOverridden(const QString& type, int id) { return locate(type, id).overridden; }

QString description(const QString& type, int id)
{
    const Source src = locate(type, id);
    if (src.overridden) {
        return QStringLiteral("Data: %1, installed %2.").arg(QFileInfo(src.path).fileName(), asOf(type, id));
    }
    const QJsonObject& set = dataInfo(type);
    if (set.isEmpty() || recordCount(type, id) <= 0)
        return QString();
    QString text = QStringLiteral("Data: %1, as of %2.").arg(set.value(QStringLiteral("source")).toString(), set.value(QStringLiteral("asOf")).toString());
    if (const QString note = set.value(QStringLiteral("note")).toString(); !note.isEmpty())
        text += u' ' + note;
    return text;
}

QString asOf(const QString& type, int id)
{
    const Source src = locate(type, id);
    if (src.overridden)
        return QLocale(QLocale::English).toString(QFileInfo(src.path).lastModified().date(), QStringLiteral("d MMMM yyyy"));
    static const QRegularExpression date(QStringLiteral("\\d{1,2} [A-Z][a-z]+ \\d{4}"));
    const QString text = dataInfo(type).value(QStringLiteral("asOf")).toString();
    if (const QRegularExpressionMatch m = date.match(text); m.hasMatch())
        return m.captured();
    return text.section(u';', 0, 0).section(QStringLiteral(" ("), 0, 0);   // "a date before October 2019"
}

QByteArray canonical(const QByteArray& raw)
{
    qsizetype end = raw.size();
    while (end > 0 && (raw[end - 1] == '\0' || raw[end - 1] == '\r' || raw[end - 1] == '\n'))
        --end;
    // Only backslashes are ever rewritten; without any, the bytes are the canonical form already.
    if (!QByteArrayView(raw.constData(), end).contains('\\'))
        return end == raw.size() ? raw : raw.left(end);
    const auto fieldEndAt = [&](qsizetype i) { return i >= end || raw[i] == ',' || raw[i] == kRecordEnd; };
    // Written through a pointer into room for the worst case (every byte a doubled backslash).
    QByteArray out(2 * end, Qt::Uninitialized);
    char* w = out.data();
    bool fieldStart = true, enclosed = false;
    for (qsizetype i = 0; i < end; ++i) {
        const char c = raw[i];
        if (fieldStart) {
            fieldStart = false;
            if (c == '"') {
                enclosed = true;
                *w++ = c;
                continue;
            }
        }
        if (c == '\\') {
            const bool lastOfField = enclosed ? (i + 1 < end && raw[i + 1] == '"' && fieldEndAt(i + 2)) : fieldEndAt(i + 1);
            if (lastOfField) {
                *w++ = '\\';
                *w++ = '\\';
                continue;
            }
            *w++ = c;
            if (i + 1 < end)
                *w++ = raw[++i];
            continue;
        }
        if (enclosed) {
            *w++ = c;
            if (c == '"') {
                if (i + 1 < end && raw[i + 1] == '"')
                    *w++ = raw[++i];   // a doubled quote inside the field
                else if (fieldEndAt(i + 1))
                    enclosed = false;  // the closing quote; what follows is a separator
            }
            continue;
        }
        *w++ = c;
        if (c == ',' || c == kRecordEnd)
            fieldStart = true;
    }
    out.truncate(w - out.constData());
    return out;
}

namespace {
// The loader's reading of canonical bytes: byte(c) for each byte of a field's value (quotes taken
// away, an escape's second byte decoded), fieldEnd() after each field, recordEnd() after each
// record, a last one without its terminator included; recordEnd returns false to stop.
template <typename Byte, typename FieldEnd, typename RecordEnd>
void readRecords(const QByteArray& b, Byte byte, FieldEnd fieldEnd, RecordEnd recordEnd)
{
    bool fieldStart = true, enclosed = false, any = false;
    const auto endField = [&] {
        fieldEnd();
        fieldStart = true;
        enclosed = false;
    };
    for (qsizetype i = 0; i < b.size(); ++i) {
        const char c = b[i];
        any = true;
        if (fieldStart) {
            fieldStart = false;
            if (c == '"') {
                enclosed = true;
                continue;
            }
        }
        if (c == '\\' && i + 1 < b.size()) {
            const char e = b[++i];
            static const char from[] = "0bnrtZ", to[] = {'\0', '\b', '\n', '\r', '\t', '\x1a'};
            const char* at = e ? std::strchr(from, e) : nullptr;
            byte(at ? to[at - from] : e);
            continue;
        }
        if (enclosed) {
            if (c == '"' && i + 1 < b.size() && b[i + 1] == '"') {
                byte(b[++i]);
            } else if (c == '"' && isFieldEnd(b, i + 1)) {
                enclosed = false;
            } else {
                byte(c);
            }
            continue;
        }
        if (c == ',') {
            endField();
        } else if (c == kRecordEnd) {
            endField();
            any = false;
            if (!recordEnd())
                return;
        } else {
            byte(c);
        }
    }
    if (any) {
        endField();
        recordEnd();
    }
}
} // namespace

int countRecords(const QByteArray& b)
{
    int records = 0;
    readRecords(b, [](char) {}, [] {}, [&records] {
        ++records;
        return true;
    });
    return records;
}

void forEachRecord(const QByteArray& b, const std::function<bool(const QList<QByteArray>&)>& f)
{
    QList<QByteArray> fields;
    QByteArray field;
    readRecords(
        b, [&field](char c) { field += c; },
        [&] {
            fields << field;
            field.clear();
        },
        [&] {
            const bool more = f(fields);
            fields.clear();
            return more;
        });
}

QByteArray bytes(const QString& type, int id, bool* found)
{
    const Source src = locate(type, id);
    QFile f(src.path);
    const bool ok = f.open(QIODevice::ReadOnly);
    if (found)
        *found = ok;
    if (!ok)
        return {};
    // The shipped resources are built in canonical form (the tests hold them to it).
    return src.overridden ? canonical(f.readAll()) : f.readAll();
}

int recordCount(const QString& type, int id)
{
    // A shipped resource was counted when it was built; an installed one takes a scan, whose
    // count is kept while the file is unchanged.
    struct Entry {
        QString path;
        QDateTime modified;
        qint64 size;
        int count;
    };
    static QHash<QString, Entry> cache;
    const Source src = locate(type, id);
    if (const QJsonValue built = dataInfo(type).value(QStringLiteral("rows")); !src.overridden && id == 1 && built.isDouble())
        return built.toInt();
    const QFileInfo info(src.path);
    const QString key = type + QString::number(id);
    const auto it = cache.constFind(key);
    if (it != cache.constEnd() && it->path == src.path && it->modified == info.lastModified() && it->size == info.size())
        return it->count;
    bool found = false;
    const QByteArray data = bytes(type, id, &found);
    const int count = found ? countRecords(data) : -1;
    cache.insert(key, {src.path, info.lastModified(), info.size(), count});
    return count;
}

} // namespace qel::ResourceStore
