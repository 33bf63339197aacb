#include "core/desktop.h"
#include "verify/frmpantan_n.h"
#include "core/named.h"
#include "core/session.h"
#include "core/files.h"
#include "core/msgservice.h"
#include "netcfg/frmproxy.h"
#include "netcfg/httprequest.h"
#include "verify/pantancommon.h"
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QHBoxLayout>
#include <QImageReader>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTime>
#include <QVBoxLayout>

namespace qel {

using namespace pantan;

namespace {
// A form action: the search key's text after its first eight characters (`action="`), to the
// next double quote.
QString formAction(const QString& page, const QString& key) { return valueAfter(page, key, 8); }

// What the pages are searched for; the requests read their answers for these.
const char* const kPaymentForm = "action=\"PopServlet?rKey=";
const char* const kSubmitForm = "action=\"SubmitTdsn?rKey=";
const char* const kCaptchaSource = "src=\"Captcha1Servlet?";
const char* const kWrongCode = "Text does not match";
const char* const kPageError = "Error Found while Accessing this Page";
const char* const kInvalidPan = "ERROR -PAN is invalid";
const char* const kNameField = "<input type=\"hidden\" name=\"Name\" value=\"";
} // namespace

frmPANTAN_N::frmPANTAN_N(QWidget* parent) : PanTanDialog(parent)
{
    setObjectName(QStringLiteral("frmPANTAN_N"));
    setWindowTitle(QStringLiteral("PAN/TAN Verification"));
    auto* v = new QVBoxLayout(this);
    ImgCap = named(new QLabel(this), "ImgCap");
    ImgCap->setMinimumSize(180, 50);
    ImgCap->setAlignment(Qt::AlignCenter);
    Label1 = named(new QLabel(QStringLiteral("Enter Image Code"), this), "Label1");
    txtcode = named(new QLineEdit(this), "txtcode");
    lblpg = named(new QLabel(QStringLiteral("Please Wait ..."), this), "lblpg");
    lblpg->setAlignment(Qt::AlignCenter);
    cmdrefresh = named(new QPushButton(QStringLiteral("&Refresh"), this), "cmdrefresh");
    cmdok = named(new QPushButton(QStringLiteral("&Ok"), this), "cmdok");
    cmdcancel = named(new QPushButton(QStringLiteral("&Cancel"), this), "cmdcancel");
    for (auto* b : {cmdrefresh, cmdok, cmdcancel})
        b->setAutoDefault(false);
    v->addWidget(ImgCap);
    auto* row = new QHBoxLayout;
    row->addWidget(Label1);
    row->addWidget(txtcode);
    v->addLayout(row);
    v->addWidget(lblpg);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdrefresh);
    buttons->addWidget(cmdok);
    buttons->addWidget(cmdcancel);
    v->addLayout(buttons);
    connect(cmdrefresh, &QPushButton::clicked, this, &frmPANTAN_N::STEP1);
    connect(cmdok, &QPushButton::clicked, this, &frmPANTAN_N::cmdok_Click);
    connect(cmdcancel, &QPushButton::clicked, this, &frmPANTAN_N::cancel);
    ShowState(0);
}

frmPANTAN_N::~frmPANTAN_N() = default;

void frmPANTAN_N::ShowState(int state)
{
    m_state = state;
    const bool code = state == 2, wait = state == 1 || state == 3;
    for (QWidget* w : {static_cast<QWidget*>(ImgCap), static_cast<QWidget*>(Label1), static_cast<QWidget*>(txtcode),
                       static_cast<QWidget*>(cmdrefresh), static_cast<QWidget*>(cmdok)})
        w->setVisible(code);
    lblpg->setVisible(wait);
    cmdcancel->setVisible(code || wait);
}

bool frmPANTAN_N::waitReply(const QString& cancelResult)
{
    for (;;) {
        QCoreApplication::processEvents();
        if (WHR->WaitForResponse(1.0))
            return true;
        if (cancelRequested()) {
            m_result = cancelResult;
            return false;
        }
    }
}

void frmPANTAN_N::post(const QString& action, const QList<QByteArray>& searchKeys)
{
    const int q = action.indexOf(u'?');
    WHR->Open(QStringLiteral("POST"), baseAddress() + (q < 0 ? action : action.left(q)), true);
    WHR->SetRequestHeader(QStringLiteral("Content-Type"), QStringLiteral("application/x-www-form-urlencoded"));
    WHR->setSearchKeys(searchKeys);
    WHR->Send(q < 0 ? QByteArray() : action.mid(q + 1).toLatin1());
}

void frmPANTAN_N::STEP1()
{
    m_result.clear();
    begin();
    lblpg->setText(QStringLiteral("Please Wait ..."));
    ShowState(1);
    QCoreApplication::processEvents();

    WHR = std::make_unique<HttpRequest>();
    WHR->setTransferTimeout(timeoutMs());
    const QString base = baseAddress();
    if (!openFirstPage(base) || !requestCaptcha(base) || !showCaptcha())
        return;
    busy(false);
    pause();
    txtcode->clear();
    ShowState(2);
    txtcode->setFocus();
}

void frmPANTAN_N::endWith(const QString& result)
{
    m_result = result;
    endRun();
}

bool frmPANTAN_N::openFirstPage(const QString& base)
{
    // A failed connection offers the proxy settings once.
    for (bool proxyOffered = false;; proxyOffered = true) {
        setProxyForRequest(ClsObj, WHR.get());
        WHR->Open(QStringLiteral("GET"), base + QStringLiteral("tdsnontds.jsp"), true);
        WHR->setSearchKeys({kPaymentForm});
        const bool sent = WHR->Send();
        if (!waitReply(QStringLiteral("ERROR:Cancelled by User.")))
            return endRun(), false;
        if (sent && !WHR->failed())
            break;
        busy(false);
        if (proxyOffered || !askForProxy(ClsObj, this))
            return endWith(QStringLiteral("Failed to Connect.")), false;
        busy(true);
        QCoreApplication::processEvents();
    }
    if (cancelRequested())
        return endWith(QStringLiteral("Cancelled by User.")), false;
    return true;
}

bool frmPANTAN_N::requestCaptcha(const QString& base)
{
    // The challan page, with the submission's form action and the captcha.
    QString action = formAction(WHR->ResponseText(), QString::fromLatin1(kPaymentForm));
    if (!action.startsWith(QStringLiteral("PopServlet?rKey="), Qt::CaseInsensitive))
        return endWith(QStringLiteral("Failed [Error Code : 0002].")), false;
    post(action + QStringLiteral("&browser_type=IE&from_tdsnontds=Y&R2=") + m_code, {kSubmitForm, kCaptchaSource});
    if (!waitReply(QStringLiteral("Cancelled by User.")))
        return endRun(), false;
    const QString page = WHR->ResponseText();
    action = formAction(page, QString::fromLatin1(kSubmitForm));
    if (!action.startsWith(QStringLiteral("SubmitTdsn?rkey="), Qt::CaseInsensitive))
        return endWith(QStringLiteral("Failed [Error Code : 0003].")), false;
    m_submitAction = action;
    const QString captcha = valueAfter(page, QString::fromLatin1(kCaptchaSource));
    if (captcha.isEmpty())
        return endWith(QStringLiteral("Failed [Error Code : 0004].")), false;
    WHR->Open(QStringLiteral("GET"), base + QStringLiteral("Captcha1Servlet?") + captcha, true);
    WHR->Send();
    if (!waitReply(QStringLiteral("Cancelled by User.")))
        return endRun(), false;
    return true;
}

bool frmPANTAN_N::showCaptcha()
{
    // The captcha goes through a temporary file, as the picture loader reads files: in a folder
    // of the user's own with a name nobody can guess, so nothing planted in the shared temporary
    // folder is written through.
    ImgCap->clear();
    const QTemporaryDir dir(QDir::tempPath() + QStringLiteral("/qelrd-captcha-XXXXXX"));
    if (dir.isValid()) {
        const QString path = dir.filePath(QString::number(qRound(QTime(0, 0).msecsTo(QTime::currentTime()) / 1000.0)) + QStringLiteral(".bmp"));
        if (const QString err = SaveCaptchaFile(path); !err.isEmpty())
            return endWith(err), false;
        QImageReader reader(path);
        reader.setDecideFormatFromContent(true);
        const QImage img = reader.read();
        if (!img.isNull())
            ImgCap->setPixmap(QPixmap::fromImage(img));
    }
    if (ImgCap->pixmap().isNull())
        return endWith(QStringLiteral("Failed [Error Code : 0005].")), false;
    return true;
}

QString frmPANTAN_N::SaveCaptchaFile(const QString& path)
{
    if (!removeFile(path))
        return QStringLiteral("Failed to Delete Existing Temporary File.");
    CreatedFile f;
    if (!f.create(path, WHR ? WHR->ResponseBody() : QByteArray(), nullptr, 0600))
        return QStringLiteral("Failed to Create ActiveX Component Object [AS].");
    return QString();
}

QString frmPANTAN_N::submission(const QString& code, const QDate& day) const
{
    const QString X = kind(m_code);
    QString s = m_submitAction;
    s += QStringLiteral("&inputarray=&inputrequest=Y&browser_type=IE&date=");
    s += day.toString(QStringLiteral("dd/MM/yyyy"));
    s += QStringLiteral("&flag_var=null&flag=") + m_code;
    s += u'&' + X + u'=' + m_id;
    s += QStringLiteral("&MajorHead=") + majorHead(m_id);
    s += QStringLiteral("&AssessYear=") + assessmentYear(day);
    s += QStringLiteral("&Add_Line1=Test Add1&Add_Line2=Test Add2&Add_Line3=Test Add3&Add_Line4=Test Add4&Add_Line5=Test Add5");
    s += QStringLiteral("&Add_State=DELHI&Add_PIN=110001&Add_EMAIL=") + dummyEmail() + QStringLiteral("&Add_MOBILE=9999999999");
    s += QStringLiteral("&MinorHead=") + (m_code == u"280" ? QStringLiteral("300") : QStringLiteral("200"));
    if (m_code == u"281")
        s += QStringLiteral("&NaturePayment=193 - Interest on Securities");
    s += QStringLiteral("&BankName_c=") + UrlEncode(bankOption());
    s += QStringLiteral("&captchaText=") + code;
    s += QStringLiteral("&Submit=Proceed");
    return s;
}

void frmPANTAN_N::cmdok_Click()
{
    if (haveCode(txtcode))
        STEP2();
}

void frmPANTAN_N::STEP2()
{
    if (!WHR)
        return;
    m_result.clear();
    begin();
    lblpg->setText(QStringLiteral("Please Wait ..."));
    ShowState(3);
    QCoreApplication::processEvents();

    const QString X = kind(m_code);
    const QString echo = QStringLiteral("<input type=\"hidden\" name=\"") + X + QStringLiteral("\" value=\"") + m_id + QStringLiteral("\">");
    post(submission(txtcode->text(), desktopOf(ClsObj).today()), {kWrongCode, kPageError, kInvalidPan, echo.toLatin1(), kNameField});
    if (!waitReply(QStringLiteral("Cancelled by User.")))
        return endRun();

    const QString reply = WHR->ResponseText();
    if (reply.contains(QString::fromLatin1(kWrongCode), Qt::CaseInsensitive)) {
        busy(false);
        pause();
        MessageService::inform(ClsObj, this, QStringLiteral("Invalid Image Code."));
        ShowState(2);
        txtcode->setFocus();
        return;
    }
    if (reply.contains(QString::fromLatin1(kPageError), Qt::CaseInsensitive)
        || reply.contains(QString::fromLatin1(kInvalidPan), Qt::CaseInsensitive)) {
        return endWith(QStringLiteral("Invalid ") + X + u'.');
    }
    if (reply.contains(echo, Qt::CaseInsensitive)) {
        const QString name = valueAfter(reply, QString::fromLatin1(kNameField));
        if (!name.isEmpty())
            m_result = QStringLiteral("Valid ") + X + QStringLiteral(" in Name of '") + DecodeHtml(name) + QStringLiteral("'.");
    }
    if (m_result.isEmpty())
        m_result = QStringLiteral("Failed to Validate ") + X + u'.';
    endRun();
}

void frmPANTAN_N::endRun()
{
    if (WHR) {
        WHR->Abort();
        WHR.reset();
    }
    finish(m_result.isEmpty() ? QStringLiteral("Failed [Unknown Error].") : m_result);
}

} // namespace qel
