// The main window's update check.
#include "component/clsmain.h"
#include "component/files.h"
#include "component/msgservice.h"
#include "component/sysconfig.h"
#include "mainwin/frmmain.h"
#include "netcfg/httprequest.h"
#include <QCoreApplication>
#include <QDateTime>
#include <QDesktopServices>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QPointer>
#include <QUrl>

namespace qel {

namespace {
std::function<void(const QString&)>& urlOpener()
{
    static std::function<void(const QString&)> o;
    return o;
}

QString versionAddress()
{
    return configValue(QStringLiteral("Updates"), QStringLiteral("VersionAddress"),
                       QStringLiteral("http://updates.qelrefdesk.example/Updates/QELVerInf.Txt"));
}
QString siteName() { return configValue(QStringLiteral("Updates"), QStringLiteral("SiteName"), QStringLiteral("updates.qelrefdesk.example")); }

// Fields as a sequential reader of such a file sees them.
QStringList fields(const QByteArray& file)
{
    const QString text = QString::fromLatin1(file);
    QStringList out;
    int i = 0;
    const int n = text.size();
    while (i < n) {
        while (i < n && (text[i] == u' ' || text[i] == u'\t'))
            ++i;
        if (i < n && (text[i] == u'\r' || text[i] == u'\n')) {   // a blank line holds no field
            ++i;
            continue;
        }
        QString f;
        if (i < n && text[i] == u'"') {
            const int close = text.indexOf(u'"', i + 1);
            f = text.mid(i + 1, (close < 0 ? n : close) - i - 1);
            i = close < 0 ? n : close + 1;
            while (i < n && text[i] != u',' && text[i] != u'\r' && text[i] != u'\n')
                ++i;
        } else {
            const int from = i;
            while (i < n && text[i] != u',' && text[i] != u'\r' && text[i] != u'\n')
                ++i;
            f = text.mid(from, i - from).trimmed();
        }
        out << f;
        if (i < n && text[i] == u',') {
            ++i;
            // A comma at the very end of a line leaves one more, empty field.
            int j = i;
            while (j < n && (text[j] == u' ' || text[j] == u'\t'))
                ++j;
            if (j >= n || text[j] == u'\r' || text[j] == u'\n')
                out << QString();
        }
        if (i < n && text[i] == u'\r')
            ++i;
        if (i < n && text[i] == u'\n')
            ++i;
    }
    return out;
}

int part(const QString& s, int from, int len) { return s.mid(from, len).toInt(); }
} // namespace

QStringList versionRecord(const QByteArray& file)
{
    const QStringList all = fields(file);
    for (int at = 0; at + 9 <= all.size(); at += 9)
        if (all[at].toUpper() == u"KMX")
            return all.mid(at, 9);
    return QStringList(9, QString());
}

void frmmain::setUrlOpener(std::function<void(const QString&)> opener) { urlOpener() = std::move(opener); }

void frmmain::DOWNLOAD(const QString& address, const QString& path)
{
    HttpRequest request;
    request.setUserAgent(QStringLiteral("QEL Check Updates"));
    request.setNoCache(true);
    request.SetProxy(HttpRequest::PreconfiguredProxy);
    const int seconds = configValue(QStringLiteral("Updates"), QStringLiteral("TimeoutSeconds"), QStringLiteral("30")).toInt();
    request.setTransferTimeout((seconds > 0 ? seconds : 30) * 1000);   // a site that never answers fails too
    request.Open(QStringLiteral("GET"), address, true);
    if (!request.Send())
        return;
    request.waitForCompletion();
    if (request.failed())
        return;
    // Whatever the server sent is the file; the caller judges by its existence.
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return;
    f.write(request.ResponseBody());
}

void frmmain::CHECKFORUPDATE()
{
    const QString sys = systemFolder();
    const bool automatic = lblchkup->property("Tag").toString() == u"Y";
    if (automatic && configValue(QStringLiteral("Settings"), QStringLiteral("QELUPDCHK"), QStringLiteral("1")).left(255).toInt() != 1)
        return;

    const QString docPath = ClsObj ? ClsObj->DocPath() : QString();
    const QString local = docPath + QStringLiteral("/QELVerInf.Txt");
    bool read = false;
    auto noUpdate = [&] {
        if (automatic)
            return;
        if (read)
            MessageService::inform(this, QStringLiteral("No Update Available."));
        else
            MessageService::inform(this, QStringLiteral("Either you are not connected to Internet or Could not connect to ") + siteName());
    };

    if (!removeFile(local))
        return noUpdate();
    // The download waits in a local event loop, in which the window may be closed and deleted.
    const QPointer<frmmain> self(this);
    DOWNLOAD(versionAddress(), local);
    if (!self) {
        QFile::remove(local);
        return;
    }
    if (!QFile::exists(local))
        return noUpdate();
    QStringList rec;
    {
        QFile f(local);
        rec = versionRecord(f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray());
    }
    QFile::remove(local);
    read = true;

    const QString date = rec[2], link = rec[7];
    QString installed = rec[8];
    if (installed.isEmpty() || date.size() < 10)
        return noUpdate();
    installed.replace(QStringLiteral("%APPPATH%"), docPath);
    installed.replace(QStringLiteral("%SYSPATH%"), sys);
    const QFileInfo file(installed);
    if (!file.exists())
        return noUpdate();
    const QDate releaseDay(part(date, 6, 4), part(date, 3, 2), part(date, 0, 2));
    const QDateTime modified = file.lastModified();
    const bool newer = date.size() == 10
                           ? releaseDay > modified.date()
                           : QDateTime(releaseDay, QTime(part(date, 11, 2), part(date, 14, 2), part(date, 17, 2))) > modified;
    if (!newer)
        return noUpdate();

    const QString offer = QStringLiteral("New Update Available\r\n\r\nDate : ") + date + QStringLiteral("\r\nLink : ") + link
                          + QStringLiteral("\r\n\r\nDo you want to Download it Now ?");
    if (!MessageService::ask(this, offer))
        return;
    MessageService::inform(this, QStringLiteral("Instructions for Updating the Software:\r\n\r\n"
                                                "  1) Download and Save the Update File on your Computer.\r\n"
                                                "  2) After Completion of Download, Run and Extract the Downloaded File.\r\n"
                                                "  3) Make sure software is Close.\r\n"
                                                "  4) Run \"UpdateVox.exe\" File from the Extracted Folder."));
    if (urlOpener())
        urlOpener()(link);
    else
        QDesktopServices::openUrl(QUrl::fromUserInput(link));
    QCoreApplication::processEvents();
}

} // namespace qel
