// The main window's update check.
#include "core/desktop.h"
#include "core/session.h"
#include "core/files.h"
#include "core/msgservice.h"
#include "core/settings.h"
#include "mainwin/frmmain.h"
#include "netcfg/httprequest.h"
#include <QBuffer>
#include <QCoreApplication>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QPointer>
#include <QUrl>

namespace qel {

namespace {
// Fields as a sequential reader of such a file sees them, read a piece at a time: whatever the
// file holds, no more than one record is kept.
class FieldReader {
public:
    explicit FieldReader(QIODevice& d) : m_d(d) {}

    bool next(QString* field)
    {
        field->clear();
        if (m_pendingEmpty) {   // a comma at the very end of a line leaves one more, empty field
            m_pendingEmpty = false;
            return true;
        }
        char c = 0;
        for (;;) {
            skipBlanks();
            if (!m_d.peek(&c, 1))
                return false;
            if (c != '\r' && c != '\n')
                break;
            m_d.getChar(&c);   // a blank line holds no field
        }
        if (c == '"') {
            m_d.getChar(&c);
            while (m_d.getChar(&c) && c != '"')
                add(field, c);
            while (m_d.peek(&c, 1) && c != ',' && c != '\r' && c != '\n')
                m_d.getChar(&c);
        } else {
            while (m_d.peek(&c, 1) && c != ',' && c != '\r' && c != '\n')
                add(field, (m_d.getChar(&c), c));
            *field = field->trimmed();
        }
        if (m_d.peek(&c, 1) && c == ',') {
            m_d.getChar(&c);
            skipBlanks();
            m_pendingEmpty = !m_d.peek(&c, 1) || c == '\r' || c == '\n';
        }
        if (m_d.peek(&c, 1) && c == '\r')
            m_d.getChar(&c);
        if (m_d.peek(&c, 1) && c == '\n')
            m_d.getChar(&c);
        return true;
    }

private:
    void skipBlanks()
    {
        char c = 0;
        while (m_d.peek(&c, 1) && (c == ' ' || c == '\t'))
            m_d.getChar(&c);
    }
    static void add(QString* field, char c)
    {
        if (field->size() < 4096)   // longer than any value the check uses
            *field += QChar::fromLatin1(c);
    }

    QIODevice& m_d;
    bool m_pendingEmpty = false;
};

// A version file is a few records; a larger answer is not one.
constexpr qint64 kMaxVersionFile = 1024 * 1024;

int part(const QString& s, int from, int len) { return s.mid(from, len).toInt(); }
} // namespace

QStringList versionRecord(QIODevice& file)
{
    FieldReader reader(file);
    QStringList record;
    QString f;
    while (reader.next(&f)) {
        record << f;
        if (record.size() < 9)
            continue;
        if (record[0].toUpper() == u"KMX")
            return record;
        record.clear();
    }
    return QStringList(9, QString());
}

QStringList versionRecord(const QByteArray& file)
{
    QBuffer b;
    b.setData(file);
    b.open(QIODevice::ReadOnly);
    return versionRecord(b);
}

void frmmain::DOWNLOAD(const QString& address, const QString& path)
{
    HttpRequest request;
    request.setUserAgent(QStringLiteral("QEL Check Updates"));
    request.setNoCache(true);
    request.SetProxy(HttpRequest::PreconfiguredProxy);
    request.setTransferTimeout(Config::milliseconds(Config::UpdateTimeout));   // a site that never answers fails too
    request.setMaxResponseBytes(kMaxVersionFile);
    request.Open(QStringLiteral("GET"), address, true);
    if (!request.Send())
        return;
    request.waitForCompletion();
    if (request.failed())
        return;
    // Whatever the server sent is the file; the caller judges by its existence.
    CreatedFile file;
    file.create(path, request.ResponseBody(), nullptr, 0600);
}

// Whether the record's release date is later than the installed file it names was written.
bool frmmain::releaseIsNewer(const QStringList& rec, const QString& docPath, const QString& sys)
{
    const QString& date = rec[2];
    QString installed = rec[8];
    if (installed.isEmpty() || date.size() < 10)
        return false;
    installed.replace(QStringLiteral("%APPPATH%"), docPath);
    installed.replace(QStringLiteral("%SYSPATH%"), sys);
    const QFileInfo file(installed);
    if (!file.exists())
        return false;
    const QDate releaseDay(part(date, 6, 4), part(date, 3, 2), part(date, 0, 2));
    const QDateTime modified = file.lastModified();
    return date.size() == 10 ? releaseDay > modified.date()
                             : QDateTime(releaseDay, QTime(part(date, 11, 2), part(date, 14, 2), part(date, 17, 2))) > modified;
}

void frmmain::offerUpdate(const QString& date, const QString& link)
{
    const QString offer = QStringLiteral("New Update Available\r\n\r\nDate : ") + date + QStringLiteral("\r\nLink : ") + link
                          + QStringLiteral("\r\n\r\nDo you want to Download it Now ?");
    if (!MessageService::ask(ClsObj, this, offer))
        return;
    MessageService::inform(ClsObj, this, QStringLiteral("Instructions for Updating the Software:\r\n\r\n"
                                                "  1) Download and Save the Update File on your Computer.\r\n"
                                                "  2) After Completion of Download, Run and Extract the Downloaded File.\r\n"
                                                "  3) Make sure software is Close.\r\n"
                                                "  4) Run \"UpdateVox.exe\" File from the Extracted Folder."));
    desktopOf(ClsObj).openUrl(link);
    QCoreApplication::processEvents();
}

void frmmain::CHECKFORUPDATE()
{
    const QString sys = systemFolder();
    const bool automatic = m_autoCheckDue;
    if (automatic && Config::value(Config::UpdateCheck).left(255).toInt() != 1)
        return;

    const QString docPath = ClsObj ? ClsObj->DocPath() : QString();
    const QString local = docPath + QStringLiteral("/QELVerInf.Txt");
    bool read = false;
    auto noUpdate = [&] {
        if (automatic)
            return;
        if (read)
            MessageService::inform(ClsObj, this, QStringLiteral("No Update Available."));
        else
            MessageService::inform(ClsObj, this, QStringLiteral("Either you are not connected to Internet or Could not connect to ") + Config::value(Config::SiteName));
    };

    if (!removeFile(local))
        return noUpdate();
    // The download waits in a local event loop, in which the window may be closed and deleted.
    const QPointer<frmmain> self(this);
    DOWNLOAD(Config::value(Config::VersionAddress), local);
    if (!self) {
        removeFile(local);
        return;
    }
    if (!QFile::exists(local))
        return noUpdate();
    QStringList rec;
    {
        QFile f(local);
        if (f.open(QIODevice::ReadOnly))
            rec = versionRecord(f);
        else
            rec = QStringList(9, QString());
    }
    removeFile(local);
    read = true;

    if (!releaseIsNewer(rec, docPath, sys))
        return noUpdate();
    offerUpdate(rec[2], rec[7]);
}

} // namespace qel
