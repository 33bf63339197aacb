#include "mainwin/frmmain.h"
#include "core/named.h"
#include <algorithm>
#include "core/session.h"
#include "core/msgservice.h"
#include "core/scaling.h"
#include "core/settings.h"
#include "lookups/find/frmfind.h"
#include "lookups/lookupwindow.h"
#include "refdata/codes.h"
#include "verify/pantandialog.h"
#include <QCheckBox>
#include <QCoreApplication>
#include <QDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QMouseEvent>
#include <QRadioButton>
#include <QShortcut>
#include <QTimer>

namespace qel {

namespace {

// What a menu button does.
enum class Action { OpenLookup, CheckFrame, Exit };

struct MenuEntry {
    int index;           // the button's identity (its Index)
    const char* caption;
    Action action;
    Lookup lookup = {};
    bool pan = true;     // the PAN/TAN window's flag
};

// In their order on screen; Exit stands a little apart.
const MenuEntry kMenu[] = {
    {0, "&Pin Codes", Action::OpenLookup, Lookup::Pin},
    {1, "&STD Codes", Action::OpenLookup, Lookup::Std},
    {2, "&ISD Codes", Action::OpenLookup, Lookup::Isd},
    {3, "&Distance Search", Action::OpenLookup, Lookup::Distance},
    {4, "PA&N - AO", Action::OpenLookup, Lookup::PanTanAo, true},
    {5, "&TAN - AO", Action::OpenLookup, Lookup::PanTanAo, false},
    {6, "&Bank BSR Codes", Action::OpenLookup, Lookup::BankBsr},
    {7, "Service Tax &Ranges", Action::OpenLookup, Lookup::SvtRanges},
    {8, "Ban&k BSR && Nodal Banks", Action::OpenLookup, Lookup::NodalBank},
    {9, "&MICR Codes", Action::OpenLookup, Lookup::Micr},
    {10, "&IFSC Codes", Action::OpenLookup, Lookup::Ifsc},
    {12, "TIN &Facilitation Centers", Action::OpenLookup, Lookup::TinFc},
    {13, "&Validate PAN/TAN", Action::CheckFrame},
    {11, "E&xit", Action::Exit},
};

const MenuEntry* entry(int index)
{
    for (const MenuEntry& e : kMenu)
        if (e.index == index)
            return &e;
    return nullptr;
}

const MenuEntry& entryFor(Action a)
{
    return *std::find_if(std::begin(kMenu), std::end(kMenu), [a](const MenuEntry& e) { return e.action == a; });
}

} // namespace

bool frmmain::IsValidPAN(const QString& t) { return Codes::isValidPan(t); }
bool frmmain::IsValidTAN(const QString& t) { return Codes::isValidTan(t); }

frmmain::frmmain(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("frmmain"));
    setWindowTitle(QStringLiteral("QELRefDesk"));
    resize(520, 640);
    setFocusPolicy(Qt::StrongFocus);
    buildMenu();
    buildPanTanFrame();
    lblchkup = named(new QLabel(QStringLiteral("Check For Update"), this), "lblchkup");
    lblchkup->setCursor(Qt::PointingHandCursor);
    lblchkup->setStyleSheet(QStringLiteral("color: blue; text-decoration: underline;"));
    lblchkup->setMargin(2);
    lblchkup->adjustSize();
    lblchkup->installEventFilter(this);
    layoutFrames();
    m_designed = size();
    // Find, beside the menu: a shortcut, so that the window's own controls stay as they are.
    auto* find = new QShortcut(QKeySequence::Find, this, this, &frmmain::openFind, Qt::WidgetWithChildrenShortcut);
    find->setObjectName(QStringLiteral("shortcutFind"));
}

void frmmain::openFind()
{
    if (!ClsObj)
        return;
    frmFind w(this);
    w.InitData(ClsObj);
    ClsObj->resetSlots(frmFind::kUpperBound);
    w.exec();
}

void frmmain::buildMenu()
{
    QFont menuFont(QStringLiteral("Book Antiqua"), 11);
    menuFont.setStyleHint(QFont::Serif);
    Frame1 = named(new QFrame(this), "Frame1");
    const int bw = 280, bh = 28;
    int y = 8;
    for (const MenuEntry& e : kMenu) {
        if (e.action == Action::Exit)
            y += twips(600) - twips(480);
        auto* b = named(new QPushButton(QString::fromLatin1(e.caption), Frame1), "Command1");
        b->setProperty("Index", e.index);
        b->setFont(menuFont);
        b->setAutoDefault(false);
        b->setGeometry(8, y, bw, bh);
        connect(b, &QPushButton::clicked, this, [this, i = e.index] { Command1_Click(i); });
        Command1[e.index] = b;
        y += twips(480);
    }
    Frame1->resize(bw + 16, y - twips(480) + bh + 16);
}

void frmmain::buildPanTanFrame()
{
    famPANTAN = named(new QFrame(this), "famPANTAN");
    famPANTAN->resize(320, 190);
    const QFont sans(QStringLiteral("Sans Serif"), 10);
    for (int i = 0; i < 2; ++i) {
        optpantan[i] = named(new QRadioButton(i == 0 ? QStringLiteral("PAN") : QStringLiteral("TAN"), famPANTAN), "optpantan");
        optpantan[i]->setProperty("Index", i);
        optpantan[i]->setFont(sans);
        optpantan[i]->setGeometry(20 + i * 100, 12, 90, 24);
        optpantan[i]->installEventFilter(this);
    }
    optpantan[0]->setChecked(true);
    txtpantan = named(new QLineEdit(famPANTAN), "txtpantan");
    txtpantan->setMaxLength(10);
    txtpantan->setFont(sans);
    txtpantan->setGeometry(20, 48, 280, 28);
    txtpantan->installEventFilter(this);
    chkaltmeth = named(new QCheckBox(QStringLiteral("Use Alternate Method"), famPANTAN), "chkaltmeth");
    chkaltmeth->setFont(sans);
    chkaltmeth->setGeometry(20, 88, 280, 24);
    cmdokPT = named(new QPushButton(QStringLiteral("&Validate"), famPANTAN), "cmdokPT");
    cmdokPT->setGeometry(20, 130, 130, 32);
    cmdokPT->setAutoDefault(false);
    connect(cmdokPT, &QPushButton::clicked, this, [this] { cmdokPT_Click(); });
    cmdcancelPT = named(new QPushButton(QStringLiteral("&Cancel"), famPANTAN), "cmdcancelPT");
    cmdcancelPT->setGeometry(170, 130, 130, 32);
    cmdcancelPT->setAutoDefault(false);
    connect(cmdcancelPT, &QPushButton::clicked, this, [this] { escape(); });
    famPANTAN->hide();
}

frmmain::~frmmain() = default;

QPushButton* frmmain::menuButton(int index) const { return index >= 0 && index < kMenuButtons ? Command1[index] : nullptr; }

void frmmain::InitData(Session* session)
{
    ClsObj = session;
    if (ClsObj)
        ClsObj->Resize_For_Resolution(this, false);
    m_designed = size();
    m_autoCheckDue = true;
}

void frmmain::Command1_Click(int index)
{
    const MenuEntry* e = entry(index);
    if (!e)
        return;
    if (e->action == Action::Exit)
        return escape();
    if (e->action == Action::CheckFrame)
        return showCheckFrame();
    std::unique_ptr<LookupWindow> dlg = openForBrowsing(e->lookup, ClsObj, e->pan);
    if (!dlg)
        return;
    dlg->setParent(this, dlg->windowFlags() | Qt::Dialog);
    dlg->exec();
}

void frmmain::showCheckFrame()
{
    const QString ptv = UserSettings::verificationMethod();
    m_storedMethod = ptv;
    chkaltmeth->setChecked(ptv == u"Y");
    Frame1->hide();
    famPANTAN->show();
    optpantan[0]->setFocus();
}

void frmmain::showMenuFrame()
{
    famPANTAN->hide();
    Frame1->show();
    Command1[entryFor(Action::CheckFrame).index]->setFocus();
}

void frmmain::escape()
{
    if (famPANTAN->isVisible())
        showMenuFrame();
    else
        close();
}

void frmmain::cmdokPT_Click()
{
    const bool pan = optpantan[0]->isChecked();
    const QString kind = pan ? QStringLiteral("PAN") : QStringLiteral("TAN");
    const QString text = txtpantan->text();
    if (text.size() != 10) {
        MessageService::inform(ClsObj, this, QStringLiteral("Please Specify Valid ") + kind + u'.');
        txtpantan->setFocus();
        return;
    }
    if (!(pan ? IsValidPAN(text) : IsValidTAN(text))) {
        MessageService::inform(ClsObj, this, QStringLiteral("Invalid ") + kind + u'.');
        txtpantan->setFocus();
        return;
    }
    const QString pref = chkaltmeth->isChecked() ? QStringLiteral("Y") : QStringLiteral("N");
    if (pref != m_storedMethod) {
        m_storedMethod = pref;
        UserSettings::setVerificationMethod(pref);
    }
    QString result = getPanTanName(ClsObj, kind + u':' + text);
    if (result.isEmpty())
        result = QStringLiteral("Validation Failed !");
    MessageService::inform(ClsObj, this, result);
}

bool frmmain::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == lblchkup) {
        // Pressed, the label shows a single-line border; released over it, it is a click.
        if (event->type() == QEvent::MouseButtonPress) {
            lblchkup->setFrameStyle(QFrame::Box | QFrame::Plain);
            return true;
        }
        if (event->type() == QEvent::MouseButtonRelease) {
            lblchkup->setFrameStyle(QFrame::NoFrame);
            if (lblchkup->rect().contains(static_cast<QMouseEvent*>(event)->position().toPoint()))
                lblchkup_Click();
            return true;
        }
        return false;
    }
    if (event->type() == QEvent::KeyPress) {
        auto* k = static_cast<QKeyEvent*>(event);
        if (k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter) {
            focusNextChild();
            return true;
        }
        if (watched == txtpantan && k->text().size() == 1 && k->text()[0] >= u'a' && k->text()[0] <= u'z') {
            // Typed lower-case letters go in as capitals.
            QKeyEvent upper(QEvent::KeyPress, k->key(), k->modifiers(), k->text().toUpper(), k->isAutoRepeat(), ushort(k->count()));
            QCoreApplication::sendEvent(txtpantan, &upper);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void frmmain::keyPressEvent(QKeyEvent* e)
{
    if (e->key() == Qt::Key_Escape) {
        escape();
        e->accept();
        return;
    }
    QWidget::keyPressEvent(e);
}

void frmmain::layoutFrames()
{
    const float ry = ClsObj ? ClsObj->ScreenRatY() : 1.f, rx = ClsObj ? ClsObj->ScreenRatX() : 1.f;
    const int W = width(), H = height();
    Frame1->move((W - Frame1->width()) / 2, int((H - Frame1->height() - twips(480) * ry) / 2));
    famPANTAN->move((W - famPANTAN->width()) / 2, int((H - famPANTAN->height() - twips(480) * ry) / 2));
    lblchkup->move(int(W - lblchkup->width() - twips(480) * rx), int(H - lblchkup->height() - twips(480) * ry));
}

void frmmain::resizeEvent(QResizeEvent* e)
{
    QWidget::resizeEvent(e);
    layoutFrames();
}

void frmmain::activated()
{
    if (!m_autoCheckDue || m_autoCheckQueued)
        return;
    // Once, after the window is up: the automatic check runs as the label's click would.
    m_autoCheckQueued = true;
    QTimer::singleShot(0, this, [this] {
        const QPointer<frmmain> self(this);
        lblchkup_Click();
        if (self)
            m_autoCheckDue = false;
    });
}

void frmmain::lblchkup_Click()
{
    const QPointer<frmmain> self(this);
    setCursor(Qt::BusyCursor);
    CHECKFORUPDATE();
    if (self)   // the window may have been closed during the download
        unsetCursor();
}

void frmmain::changeEvent(QEvent* e)
{
    QWidget::changeEvent(e);
    if (e->type() == QEvent::ActivationChange && isActiveWindow())
        activated();
}

void frmmain::showEvent(QShowEvent* e)
{
    QWidget::showEvent(e);
    activated();
}

void frmmain::closeEvent(QCloseEvent* e)
{
    QWidget::closeEvent(e);
    if (m_closing || !ClsObj)
        return;
    m_closing = true;
    if (QObject* host = ClsObj->MdiObj()) {
        QMetaObject::invokeMethod(host, "ReloadMenu");
        ClsObj->setMdiObj(nullptr);
    }
}

} // namespace qel
