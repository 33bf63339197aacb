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

    // The session the host hands over: its documents folder (log and temporary files), its open
    // connection, its log file name and its screen's scale against the 1024 x 768 design.
    const QString docs = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) + QStringLiteral("/documents");
    QDir().mkpath(docs);
    const bool connected = connectDatabase(connectionString);
    const QSize screen = QApplication::primaryScreen() ? QApplication::primaryScreen()->size() : QSize(1024, 768);
    const float sx = screen.width() >= 1024 ? 1.f : screen.width() / 1024.f;
    const float sy = screen.height() >= 768 ? 1.f : screen.height() / 768.f;
    m_cls->InitMe(docs, connected ? m_db.get() : nullptr, QStringLiteral("QELHost.log"), sx, sy, std::min(sx, sy));
    m_cls->setMdiObj(this);

    // Alt+E: the menu window's buttons hold Alt+R and most other letters.
    QMenu* ref = menuBar()->addMenu(QStringLiteral("R&eference"));
    ref->addAction(QStringLiteral("&Menu window (ObjMain)"), this, [this] { m_cls->ObjMain(); });
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
    ref->addAction(QStringLiteral("PAN AO code (GetPANTANAOCode)..."), this, [this] {
        qel::StrArray arr(0, 4);
        m_cls->GetPANTANAOCode(true, &arr, ask(QStringLiteral("City (may be empty)")));
        report(QStringLiteral("GetPANTANAOCode (PAN)"), arr, 0, 4);
    });
    ref->addAction(QStringLiteral("TAN AO code (GetPANTANAOCode)..."), this, [this] {
        qel::StrArray arr(0, 4);
        m_cls->GetPANTANAOCode(false, &arr, ask(QStringLiteral("City (may be empty)")));
        report(QStringLiteral("GetPANTANAOCode (TAN)"), arr, 0, 4);
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

    m_out->appendPlainText(connected ? QStringLiteral("Connected to database %1.").arg(m_db->databaseName())
                                     : QStringLiteral("No database connection: the lookups that need one will do nothing."));
    m_out->appendPlainText(QStringLiteral("Documents and log: %1").arg(docs));
}

HostWindow::~HostWindow()
{
    m_cls->setMdiObj(nullptr);
}

bool HostWindow::connectDatabase(const QString& connectionString)
{
    QString error;
    bool ok;
    if (!connectionString.isEmpty()) {
        ok = m_db->open(connectionString);
        error = m_db->lastError().description;
    } else {
        statusBar()->showMessage(QStringLiteral("Starting the private database server..."));
        QApplication::setOverrideCursor(Qt::WaitCursor);
        ok = PrivateServer().connect(*m_db, QStringLiteral("qelrefdesk"), QStringLiteral("utf8mb4"), &error);
        QApplication::restoreOverrideCursor();
        statusBar()->clearMessage();
    }
    if (!ok)
        QMessageBox::warning(this, windowTitle(), QStringLiteral("Could not open the database:\n%1").arg(error));
    return ok;
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
