#include "refdata/resourcestore.h"
#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocale>
#include <QStandardPaths>
#include <cstring>

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
    const QString name = type + QString::number(id);
    const QString over = overrideDir() + u'/' + name + QStringLiteral(".dat");
    if (QFileInfo::exists(over))
        return {over, true};
    return {QStringLiteral(":/refdata/") + name, false};
}

bool isFieldEnd(const QByteArray& b, qsizetype i) { return i >= b.size() || b[i] == ',' || b[i] == kRecordEnd; }

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
        const QFileInfo f(src.path);
        return QStringLiteral("Data: %1, installed %2.").arg(f.fileName(), QLocale(QLocale::English).toString(f.lastModified().date(), QStringLiteral("d MMMM yyyy")));
    }
    static const QJsonObject info = [] {
        QFile f(QStringLiteral(":/refdata/datainfo.json"));
        return f.open(QIODevice::ReadOnly) ? QJsonDocument::fromJson(f.readAll()).object() : QJsonObject();
    }();
    const QJsonObject set = info.value(type).toObject();
    if (set.isEmpty() || recordCount(type, id) <= 0)
        return QString();
    QString text = QStringLiteral("Data: %1, as of %2.").arg(set.value(QStringLiteral("source")).toString(), set.value(QStringLiteral("asOf")).toString());
    if (const QString note = set.value(QStringLiteral("note")).toString(); !note.isEmpty())
        text += u' ' + note;
    return text;
}

QByteArray canonical(const QByteArray& raw)
{
    qsizetype end = raw.size();
    while (end > 0 && (raw[end - 1] == '\0' || raw[end - 1] == '\r' || raw[end - 1] == '\n'))
        --end;
    const auto fieldEndAt = [&](qsizetype i) { return i >= end || raw[i] == ',' || raw[i] == kRecordEnd; };
    QByteArray out;
    out.reserve(end + 16);
    bool fieldStart = true, enclosed = false;
    for (qsizetype i = 0; i < end; ++i) {
        const char c = raw[i];
        if (fieldStart) {
            fieldStart = false;
            if (c == '"') {
                enclosed = true;
                out += c;
                continue;
            }
        }
        if (c == '\\') {
            const bool lastOfField = enclosed ? (i + 1 < end && raw[i + 1] == '"' && fieldEndAt(i + 2)) : fieldEndAt(i + 1);
            if (lastOfField) {
                out += "\\\\";
                continue;
            }
            out += c;
            if (i + 1 < end)
                out += raw[++i];
            continue;
        }
        if (enclosed) {
            out += c;
            if (c == '"') {
                if (i + 1 < end && raw[i + 1] == '"')
                    out += raw[++i];   // a doubled quote inside the field
                else if (fieldEndAt(i + 1))
                    enclosed = false;  // the closing quote; what follows is a separator
            }
            continue;
        }
        out += c;
        if (c == ',' || c == kRecordEnd)
            fieldStart = true;
    }
    return out;
}

int countRecords(const QByteArray& b)
{
    int records = 0;
    bool pending = false, fieldStart = true, enclosed = false;
    for (qsizetype i = 0; i < b.size(); ++i) {
        const char c = b[i];
        pending = true;
        if (fieldStart) {
            fieldStart = false;
            if (c == '"') {
                enclosed = true;
                continue;
            }
        }
        if (c == '\\') {
            ++i;
            continue;
        }
        if (enclosed) {
            if (c == '"') {
                if (i + 1 < b.size() && b[i + 1] == '"')
                    ++i;
                else if (isFieldEnd(b, i + 1))
                    enclosed = false;
            }
            continue;
        }
        if (c == ',') {
            fieldStart = true;
        } else if (c == kRecordEnd) {
            ++records;
            pending = false;
            fieldStart = true;
        }
    }
    return records + (pending ? 1 : 0);
}

void forEachRecord(const QByteArray& b, const std::function<bool(const QList<QByteArray>&)>& f)
{
    QList<QByteArray> fields;
    QByteArray field;
    bool fieldStart = true, enclosed = false, any = false;
    const auto endField = [&] {
        fields << field;
        field.clear();
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
            field += at ? to[at - from] : e;
            continue;
        }
        if (enclosed) {
            if (c == '"' && i + 1 < b.size() && b[i + 1] == '"') {
                field += b[++i];
            } else if (c == '"' && isFieldEnd(b, i + 1)) {
                enclosed = false;
            } else {
                field += c;
            }
            continue;
        }
        if (c == ',') {
            endField();
        } else if (c == kRecordEnd) {
            endField();
            any = false;
            if (!f(fields))
                return;
            fields.clear();
        } else {
            field += c;
        }
    }
    if (any) {
        endField();
        f(fields);
    }
}

QByteArray bytes(const QString& type, int id, bool* found)
{
    QFile f(locate(type, id).path);
    const bool ok = f.open(QIODevice::ReadOnly);
    if (found)
        *found = ok;
    return ok ? canonical(f.readAll()) : QByteArray();
}

int recordCount(const QString& type, int id)
{
    // Counting a large resource takes a scan; the count is kept while its source is unchanged.
    struct Entry {
        QString path;
        QDateTime modified;
        qint64 size;
        int count;
    };
    static QHash<QString, Entry> cache;
    const Source src = locate(type, id);
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
