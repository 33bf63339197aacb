#include "core/desktop.h"
#include "verify/frmpantan.h"
#include "core/named.h"
#include "core/session.h"
#include "core/msgservice.h"
#include "core/settings.h"
#include "verify/pantancommon.h"
#include "verify/webdriver.h"
#include <QCoreApplication>
#include <QEventLoop>
#include <QFrame>
#include <QHBoxLayout>
#include <QJsonArray>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace qel {

using namespace pantan;

namespace {
const QString kCouldNotOpen = QStringLiteral("Could not open Internet Explorer Application.");

// What one pass of a wait reads off the page, in one round trip. Arguments: the service code
// and the field name of the identifier ("PAN" or "TAN").
const char* kPageScript = R"JS(
var code = arguments[0], field = arguments[1];
var form = document.querySelector('form[name="tax' + code + '"]');
var back = form ? form.querySelector('[name="back"]') : null;
var hasCode = Array.prototype.some.call(document.querySelectorAll('[id]'), function (e) { return e.id.trim() === code; });
var captcha = document.getElementById('Captcha');
var id = document.querySelector('[name="' + field + '"]'), name = document.querySelector('[name="Name"]');
return { ready: document.readyState, url: location.href, title: document.title,
         noServer: !!(document.body && document.body.classList.contains('neterror')),
         hasCode: hasCode, captchaComplete: !!(captcha && captcha.complete),
         body: document.body ? document.body.innerHTML : '', back: back ? back.name : '',
         id: id ? id.value : '', name: name ? name.value : '' };
)JS";

// Fills the payment form. Arguments: code, identifier, major head, first year of the
// assessment year, e-mail, captcha text. Returns an empty string, or what was missing.
const char* kFillScript = R"JS(
var code = arguments[0], ident = arguments[1], major = arguments[2], year = arguments[3];
var form = document.querySelector('form[name="tax' + code + '"]');
if (!form) return 'form';
function field(n) { return form.querySelector('[name="' + n + '"]'); }
function set(n, v) { var f = field(n); if (f) f.value = v; }
function click(n, v) {
  var inputs = form.getElementsByTagName('input');
  for (var i = 0; i < inputs.length; i++)
    if (inputs[i].name.toUpperCase() === n && inputs[i].value === v) { inputs[i].click(); return; }
}
function pick(n, test) {
  var s = field(n); if (!s || !s.options) return;
  for (var i = 0; i < s.options.length; i++)
    if (test(s.options[i].text)) { s.selectedIndex = i; s.dispatchEvent(new Event('change', {bubbles: true})); return; }
}
set(code === '280' ? 'PAN' : 'TAN', ident);
click('MAJORHEAD', major);
pick('AssessYear', function (t) { return t.indexOf(year) === 0; });
for (var i = 1; i <= 5; i++) set('Add_Line' + i, 'Test Add' + i);
pick('Add_State', function (t) { return t.toUpperCase() === 'RAJASTHAN'; });
set('Add_PIN', '302001');
set('Add_EMAIL', arguments[4]);
set('Add_MOBILE', '9999999999');
click('MINORHEAD', code === '280' ? '300' : '200');
if (code === '281') pick('NaturePayment', function (t) { return t.indexOf(' - ') >= 0; });
pick('BankName_C', function (t) { t = t.trim(); return t !== '' && t.toUpperCase() !== 'BANK NAME'; });
set('captchaText', arguments[5]);
return '';
)JS";
} // namespace

frmPANTAN::frmPANTAN(QWidget* parent) : PanTanDialog(parent)
{
    setObjectName(QStringLiteral("frmPANTAN"));
    setWindowTitle(QStringLiteral("PAN/TAN Verification"));
    auto* v = new QVBoxLayout(this);

    Frame1 = named(new QFrame(this), "Frame1");
    auto* f1 = new QHBoxLayout(Frame1);
    lblpg = named(new QLabel(QStringLiteral("Please Wait ..."), Frame1), "lblpg");
    cmdcancel = named(new QPushButton(QStringLiteral("&Cancel"), Frame1), "cmdcancel");
    f1->addWidget(lblpg, 1);
    f1->addWidget(cmdcancel);

    Frame2 = named(new QFrame(this), "Frame2");
    auto* f2 = new QVBoxLayout(Frame2);
    PicImg = named(new QLabel(Frame2), "PicImg");
    PicImg->setMinimumSize(180, 50);
    PicImg->setAlignment(Qt::AlignCenter);
    Label1 = named(new QLabel(QStringLiteral("Enter Image Code"), Frame2), "Label1");
    txtcode = named(new QLineEdit(Frame2), "txtcode");
    cmdok = named(new QPushButton(QStringLiteral("&Ok"), Frame2), "cmdok");
    cmdcan = named(new QPushButton(QStringLiteral("&Cancel"), Frame2), "cmdcan");
    f2->addWidget(PicImg);
    auto* row = new QHBoxLayout;
    row->addWidget(Label1);
    row->addWidget(txtcode);
    f2->addLayout(row);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdok);
    buttons->addWidget(cmdcan);
    f2->addLayout(buttons);
    for (auto* b : {cmdcancel, cmdok, cmdcan})
        b->setAutoDefault(false);

    v->addWidget(Frame1);
    v->addWidget(Frame2);
    // Both cancel buttons: the wait frame's stops a wait, the captcha frame's asks first.
    connect(cmdcancel, &QPushButton::clicked, this, &frmPANTAN::cancel);
    connect(cmdok, &QPushButton::clicked, this, &frmPANTAN::cmdok_Click);
    connect(cmdcan, &QPushButton::clicked, this, &frmPANTAN::cancel);
    showFrame(1);
}

frmPANTAN::~frmPANTAN()
{
    if (browser)
        browser->quit();
}

void frmPANTAN::stopWaiting()
{
    // A WebDriver command waits for the page load; the browser is given up rather than waited for.
    if (browser)
        browser->abort();
}

bool frmPANTAN::waitingForCode() const { return Frame2->isVisible() && !running(); }

void frmPANTAN::showFrame(int which)
{
    Frame1->setVisible(which == 1);
    Frame2->setVisible(which == 2);
}

QJsonObject frmPANTAN::page(bool* ok)
{
    return browser->execute(QString::fromLatin1(kPageScript), QJsonArray{m_code, kind(m_code)}, ok).toObject();
}

frmPANTAN::Wait frmPANTAN::waitFor(const std::function<int(const QJsonObject&)>& check, bool closeRegistration)
{
    for (;;) {
        // A short pause per pass keeps the dialog responsive without spinning.
        QEventLoop pause;
        QTimer::singleShot(50, &pause, &QEventLoop::quit);
        pause.exec();
        if (cancelRequested() || !browser || !browser->running()) {
            setStatus(QStringLiteral("Cancelled by User."));
            return Wait::Cancelled;
        }
        if (closeRegistration)
            CloseRegWindows();
        bool ok = false;
        const QJsonObject p = page(&ok);
        if (!ok || p.value(QStringLiteral("ready")).toString() != u"complete")
            continue;
        if (p.value(QStringLiteral("noServer")).toBool()
            || p.value(QStringLiteral("title")).toString().startsWith(QStringLiteral("cannot find server"), Qt::CaseInsensitive))
            return Wait::EndRun;
        switch (check(p)) {
        case 1:
            return Wait::Met;
        case 2:
            return Wait::EndRun;
        default:
            break;
        }
    }
}

void frmPANTAN::DOCUMENTCOMPLETE1()
{
    begin();
    showFrame(1);
    // The browser is headless, so an earlier one is never left on screen: it simply goes.
    browser = std::make_unique<WebDriver>();
    lblpg->setText(QStringLiteral("Please Wait ..."));
    QCoreApplication::processEvents();
    if (!browser->start(Config::value(Config::ChromeDriver), Config::value(Config::Chromium))) {
        browser.reset();
        setStatus(cancelRequested() ? QStringLiteral("Cancelled by User.") : kCouldNotOpen);
        return endRun();
    }
    const QString first = baseAddress() + QStringLiteral("tdsnontds.jsp");
    browser->navigate(first);
    Wait w = waitFor([&](const QJsonObject& p) {
        return p.value(QStringLiteral("url")).toString().toUpper() == first.toUpper()
                       && p.value(QStringLiteral("title")).toString().startsWith(QStringLiteral("e-Tax Payment System"), Qt::CaseInsensitive)
                       && p.value(QStringLiteral("hasCode")).toBool()
                   ? 1
                   : 0;
    });
    if (w != Wait::Met)
        return endRun();
    // The challan choice; its id is the service code.
    QString choice = browser->findElement(QStringLiteral("[id=\"%1\"]").arg(m_code));
    if (choice.isEmpty())
        browser->execute(QStringLiteral("var code = arguments[0]; var c = Array.prototype.find.call(document.querySelectorAll('[id]'), "
                                        "function (e) { return e.id.trim() === code; }); if (c) c.click();"),
                         QJsonArray{m_code});
    else
        browser->click(choice);
    lblpg->setText(QStringLiteral("Please Wait ......"));
    const QString challan = baseAddress() + QStringLiteral("PopServlet?rKey=");
    w = waitFor([&](const QJsonObject& p) {
        return p.value(QStringLiteral("url")).toString().startsWith(challan, Qt::CaseInsensitive)
                       && p.value(QStringLiteral("title")).toString().contains(QStringLiteral("lan No/ITNO ") + m_code, Qt::CaseInsensitive)
                       && p.value(QStringLiteral("captchaComplete")).toBool()
                   ? 1
                   : 0;
    });
    if (w != Wait::Met)
        return endRun();
    busy(false);
    SETPIC();
}

void frmPANTAN::SETPIC()
{
    // Nothing of an earlier captcha shows, and Ok waits, until the new picture is in place.
    PicImg->clear();
    cmdok->setEnabled(false);
    showFrame(2);
    txtcode->clear();
    // The captcha element's own picture, as the browser rendered it.
    const QString el = browser ? browser->findElement(QStringLiteral("#Captcha")) : QString();
    QPixmap pic;
    if (!el.isEmpty())
        pic.loadFromData(browser->elementScreenshot(el));
    if (pic.isNull())
        return endRun();   // "Failed to Validate", unless a result is already there
    PicImg->setPixmap(pic);
    PicImg->setFixedSize(pic.size());
    cmdok->setEnabled(true);
    pause();
    txtcode->setFocus();
}

void frmPANTAN::cmdok_Click()
{
    if (running())   // the captcha is still being copied
        return;
    if (haveCode(txtcode))
        DOCUMENTCOMPLETE2();
}

int frmPANTAN::judgeAnswer(const QJsonObject& p, const QString& answer, const QString& challan, Answer* out)
{
    if (!p.value(QStringLiteral("url")).toString().startsWith(answer, Qt::CaseInsensitive))
        return 0;
    const QString X = kind(m_code);
    const QString title = p.value(QStringLiteral("title")).toString();
    const QString body = p.value(QStringLiteral("body")).toString();
    if (title.startsWith(QStringLiteral("confirm"), Qt::CaseInsensitive) && title.contains(challan, Qt::CaseInsensitive)) {
        if (!body.contains(QStringLiteral("The name of the taxpayer is as per the ITD"), Qt::CaseInsensitive))
            return 0;
        out->id = p.value(QStringLiteral("id")).toString();
        out->name = p.value(QStringLiteral("name")).toString();
        return 1;
    }
    if (title.startsWith(QStringLiteral("ERROR"), Qt::CaseInsensitive)) {
        setStatus(QStringLiteral("Invalid ") + X + u'.');
        return 2;
    }
    if (title.contains(challan, Qt::CaseInsensitive)) {
        if (!p.value(QStringLiteral("back")).toString().isEmpty() && body.contains(QStringLiteral("Text does not match."))) {
            out->wrongCode = true;
            return 2;
        }
        if (body.contains(QStringLiteral("ERROR -PAN is invalid"), Qt::CaseInsensitive)) {
            setStatus(QStringLiteral("Invalid ") + X + u'.');
            return 2;
        }
    }
    return 0;
}

void frmPANTAN::DOCUMENTCOMPLETE2()
{
    if (!browser)
        return;
    begin();
    showFrame(1);
    const QString X = kind(m_code);
    browser->execute(QString::fromLatin1(kFillScript),
                     QJsonArray{m_code, m_id, majorHead(m_id), assessmentStartYear(desktopOf(ClsObj).today()), dummyEmail(), txtcode->text()});
    const QString submit = browser->findElement(QStringLiteral("form[name=\"tax%1\"] [name=\"submit\"]").arg(m_code));
    if (!submit.isEmpty())
        browser->click(submit);

    const QString answer = baseAddress() + QStringLiteral("SubmitTdsn?rKey=");
    const QString challan = QStringLiteral("lan No/ITNO ") + m_code;
    Answer got;
    const Wait w = waitFor([&](const QJsonObject& p) { return judgeAnswer(p, answer, challan, &got); }, true);
    if (got.wrongCode) {
        busy(false);
        MessageService::inform(ClsObj, this, QStringLiteral("Invalid Image Code."));
        DOCUMENTCOMPLETE1();
        return;
    }
    if (w == Wait::Met && got.id == m_id) {
        setStatus(got.name);
        if (!got.name.isEmpty())
            setStatus(QStringLiteral("Valid ") + X + QStringLiteral(" in Name of '") + DecodeHtml(got.name) + QStringLiteral("'."));
    }
    CloseRegWindows();
    endRun();
}

void frmPANTAN::CloseRegWindows()
{
    if (!browser || !browser->running())
        return;
    const QStringList handles = browser->windowHandles();
    if (handles.size() < 2)
        return;
    const QString page = Config::value(Config::RegistrationPage).toUpper();
    const QString current = browser->currentWindow();
    for (const QString& h : handles) {
        if (h == current || !browser->switchToWindow(h))
            continue;
        const QString url = browser->execute(QStringLiteral("return location.href;"), {}).toString();
        if (url.toUpper().contains(page)) {
            browser->closeWindow();
            break;
        }
    }
    browser->switchToWindow(current);
}

void frmPANTAN::endRun()
{
    finish(status().isEmpty() ? QStringLiteral("Failed to Validate ") + kind(m_code) + u'.' : status());
}

} // namespace qel
