#include "hostwindow.h"
#include <QELRefDesk/clsmain.h>
#include <QELRefDesk/connection.h>
#include <QELRefDesk/privateserver.h>
#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QDockWidget>
#include <QInputDialog>
#include <QMdiArea>
#include <QMenuBar>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QScreen>
#include <QStandardPaths>
#include <QStatusBar>
#include <QThread>
#include <QTimer>
#include <memory>

using namespace qel;

HostWindow::HostWindow(const QString& connectionString) : m_db(std::make_unique<Connection>()), m_cls(std::make_unique<ClsMain>())
{
    setWindowTitle(QStringLiteral("QELRefDesk demo host"));
    resize(1100, 760);
    m_area = new QMdiArea(this);
    setCentralWidget(m_area);
    m_out = new QPlainTextEdit(this);
    m_out->setReadOnly(true);
    auto* dock = new QDockWidget(QStringLiteral("What came back"), this);
    dock->setWidget(m_out);
    addDockWidget(Qt::BottomDockWidgetArea, dock);
    buildMenu();
    // The window comes up at once; the database (the private server may take seconds to start
    // the first time) is opened after it shows, and the menu waits for it.
    m_reference->setEnabled(false);
    QTimer::singleShot(0, this, [this, connectionString] { startSession(connectionString); });
}

HostWindow::~HostWindow()
{
    if (m_starting)
        m_starting->wait();
    m_cls->setMdiObj(nullptr);
}

void HostWindow::buildMenu()
{
    // Alt+E: the menu window's buttons hold Alt+R and most other letters.
    QMenu* ref = m_reference = menuBar()->addMenu(QStringLiteral("R&eference"));
    ref->addAction(QStringLiteral("&Menu window (ObjMain)"), this, [this] { m_cls->ObjMain(); });
    ref->addAction(QStringLiteral("&Find a code or name (FindAny)..."), this, [this] {
        qel::StrArray arr(0, qel::ClsMain::kFindUpperBound);
        m_cls->FindAny(&arr, QString());
        report(QStringLiteral("FindAny"), arr, 0, qel::ClsMain::kFindUpperBound);
    });
    ref->addSeparator();
    ref->addAction(QStringLiteral("MICR code (GetMICR)..."), this, [this] {
        qel::StrArray arr(0, 4);
        const QString bank = ask(QStringLiteral("Bank (may be empty)")), city = ask(QStringLiteral("City (may be empty)"));
        m_cls->GetMICR(&arr, bank, city);
        report(QStringLiteral("GetMICR"), arr, 0, 4);
    });
    ref->addAction(QStringLiteral("IFSC code (GetIFSCCode)..."), this, [this] {
        qel::StrArray arr(0, 0);
        const QString district = ask(QStringLiteral("District (may be empty)")), bank = ask(QStringLiteral("Bank (may be empty)"));
        m_cls->GetIFSCCode(&arr, district, bank);
        report(QStringLiteral("GetIFSCCode"), arr, 0, 0);
    });
    ref->addAction(QStringLiteral("BSR code (GetBSRCode)..."), this, [this] {
        qel::StrArray arr(0, 2);
        m_cls->GetBSRCode(&arr, ask(QStringLiteral("Bank (may be empty)")));
        report(QStringLiteral("GetBSRCode"), arr, 0, 2);
    });
    ref->addAction(QStringLiteral("Service-tax range (GetRanges)..."), this, [this] {
        qel::StrArray arr(0, 3);
        const QString state = ask(QStringLiteral("State")), city = ask(QStringLiteral("City")), area = ask(QStringLiteral("Area"));
        m_cls->GetRanges(&arr, state, city, area);
        report(QStringLiteral("GetRanges"), arr, 0, 3);
    });
    for (const bool pan : {true, false})
        ref->addAction(pan ? QStringLiteral("PAN AO code (GetPANTANAOCode)...") : QStringLiteral("TAN AO code (GetPANTANAOCode)..."), this, [this, pan] {
            qel::StrArray arr(0, 4);
            m_cls->GetPANTANAOCode(pan, &arr, ask(QStringLiteral("City (may be empty)")));
            report(pan ? QStringLiteral("GetPANTANAOCode (PAN)") : QStringLiteral("GetPANTANAOCode (TAN)"), arr, 0, 4);
        });
    ref->addSeparator();
    ref->addAction(QStringLiteral("Verify PAN/TAN online (GetPanTanName)..."), this, [this] {
        const QString request = ask(QStringLiteral("Request (PAN:ABCDE1234F or TAN:ABCD12345E)"));
        m_out->appendPlainText(QStringLiteral("GetPanTanName: %1").arg(m_cls->GetPanTanName(request)));
    });
    ref->addAction(QStringLiteral("Proxy settings (GetProxyForWHR)..."), this, [this] {
        m_out->appendPlainText(QStringLiteral("GetProxyForWHR: %1").arg(m_cls->GetProxyForWHR(this) ? QStringLiteral("confirmed") : QStringLiteral("cancelled")));
    });
    ref->addSeparator();
    ref->addAction(QStringLiteral("E&xit"), this, &QWidget::close);
}

void HostWindow::startSession(const QString& connectionString)
{
    if (!connectionString.isEmpty()) {
        const bool ok = m_db->open(connectionString);
        sessionReady(ok, m_db->lastError().description);
        return;
    }
    const QString starting = QStringLiteral("Starting the database server; the first start takes a few seconds...");
    statusBar()->showMessage(starting);
    m_out->appendPlainText(starting);
    // The server starts on a thread of its own, so that the window stays alive meanwhile.
    auto error = std::make_shared<QString>();
    m_starting = QThread::create([error] { PrivateServer().ensureRunning(error.get()); });
    connect(m_starting, &QThread::finished, this, [this, error] {
        m_starting->deleteLater();
        m_starting = nullptr;
        QString why = *error;
        const bool ok = why.isEmpty() && PrivateServer().connect(*m_db, QStringLiteral("qelrefdesk"), QStringLiteral("utf8mb4"), &why);
        statusBar()->clearMessage();
        sessionReady(ok, why);
    });
    m_starting->start();
}

void HostWindow::sessionReady(bool connected, const QString& error)
{
    if (!connected)
        QMessageBox::warning(this, windowTitle(), QStringLiteral("Could not open the database:\n%1").arg(error));
    // The session the host hands over: its documents folder (log and temporary files), its open
    // connection, its log file name and its screen's scale against the 1024 x 768 design.
    const QString docs = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) + QStringLiteral("/documents");
    QDir().mkpath(docs);
    const QSize screen = QApplication::primaryScreen() ? QApplication::primaryScreen()->size() : QSize(1024, 768);
    const float sx = screen.width() >= 1024 ? 1.f : screen.width() / 1024.f;
    const float sy = screen.height() >= 768 ? 1.f : screen.height() / 768.f;
    m_cls->InitMe(docs, connected ? m_db.get() : nullptr, QStringLiteral("QELHost.log"), sx, sy, std::min(sx, sy));
    m_cls->setMdiObj(this);
    m_reference->setEnabled(true);
    m_out->appendPlainText(connected ? QStringLiteral("Connected to database %1.").arg(m_db->databaseName())
                                     : QStringLiteral("No database connection: the lookups that need one will do nothing."));
    m_out->appendPlainText(QStringLiteral("Documents and log: %1").arg(docs));
}

QString HostWindow::ask(const QString& label)
{
    return QInputDialog::getText(this, windowTitle(), label);
}

void HostWindow::report(const QString& operation, const qel::StrArray& arr, int lower, int upper)
{
    QStringList parts;
    for (int i = lower; i <= upper; ++i)
        parts << QStringLiteral("[%1] \"%2\"").arg(i).arg(arr.at(i));
    m_out->appendPlainText(QStringLiteral("%1 %2: %3").arg(QTime::currentTime().toString(), operation, parts.join(QStringLiteral("  "))));
}

void HostWindow::ReloadMenu()
{
    m_out->appendPlainText(QStringLiteral("%1 ReloadMenu called by the menu window.").arg(QTime::currentTime().toString()));
    m_cls->setMdiObj(this);   // the menu window let go of it; hand it over again for the next one
}
