#include "lookups/frminstalllist.h"
#include "core/session.h"
#include "core/msgservice.h"
#include "core/named.h"
#include "lookups/grid/flexgrid.h"
#include "refdata/csvimport.h"
#include <QFile>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QVBoxLayout>

namespace qel {

namespace {
// "BSR Code", "bsr_code" and "BSRCode" name one column.
QString folded(QString s)
{
    s = s.toLower();
    s.remove(QRegularExpression(QStringLiteral("[^a-z0-9]")));
    return s;
}

constexpr int kPreviewRows = 5;
constexpr int kErrorsShown = 12;
} // namespace

frmInstallList::frmInstallList(Session* session, const QString& type, const QString& caption, QWidget* parent)
    : QDialog(parent), m_session(session), m_type(type)
{
    named(this, "frmInstallList");
    setWindowTitle(QStringLiteral("Install the %1 list").arg(caption));
    resize(760, 420);
    auto* v = new QVBoxLayout(this);
    auto* intro = new QLabel(QStringLiteral("Choose the official list as a CSV file with a header line. Its first rows are shown "
                                            "under this list's fields; columns are matched to fields by their names."),
                             this);
    intro->setWordWrap(true);
    v->addWidget(intro);
    lblFile = named(new QLabel(this), "lblFile");
    lblFile->setTextFormat(Qt::PlainText);
    v->addWidget(lblFile);
    vsfPreview = named(new FlexGrid(this), "vsfPreview");
    vsfPreview->setSession(session);
    const QStringList fields = CsvImport::fields(type);
    vsfPreview->setCols(int(fields.size()));
    for (int c = 0; c < fields.size(); ++c)
        vsfPreview->setTextMatrix(0, c, fields[c]);
    v->addWidget(vsfPreview, 1);
    lblMapping = named(new QLabel(this), "lblMapping");
    lblMapping->setTextFormat(Qt::PlainText);
    lblMapping->setWordWrap(true);
    v->addWidget(lblMapping);
    auto* buttons = new QHBoxLayout;
    cmdChoose = named(new QPushButton(QStringLiteral("C&hoose file..."), this), "cmdChoose");
    cmdInstall = named(new QPushButton(QStringLiteral("&Install"), this), "cmdInstall");
    cmdInstall->setEnabled(false);
    cmdCancel = named(new QPushButton(QStringLiteral("&Cancel"), this), "cmdCancel");
    buttons->addWidget(cmdChoose);
    buttons->addStretch();
    buttons->addWidget(cmdInstall);
    buttons->addWidget(cmdCancel);
    v->addLayout(buttons);
    connect(cmdChoose, &QPushButton::clicked, this, &frmInstallList::chooseFile);
    connect(cmdInstall, &QPushButton::clicked, this, [this] {
        if (install())
            accept();
    });
    connect(cmdCancel, &QPushButton::clicked, this, &QDialog::reject);
}

void frmInstallList::chooseFile()
{
    QFileDialog ask(this, QStringLiteral("Choose the list"), QString(), QStringLiteral("CSV files (*.csv);;All files (*)"));
    named(&ask, "dlgOpenList");
    ask.setOption(QFileDialog::DontUseNativeDialog);
    ask.setFileMode(QFileDialog::ExistingFile);
    if (ask.exec() == QDialog::Accepted && !ask.selectedFiles().isEmpty())
        loadFile(ask.selectedFiles().first());
}

bool frmInstallList::loadFile(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        MessageService::inform(m_session, this, QStringLiteral("Could not read %1: %2").arg(path, f.errorString()));
        return false;
    }
    m_csv = f.readAll();
    lblFile->setText(path);
    // The header and the first rows only, for the preview.
    const QString head = QString::fromUtf8(m_csv.left(64 * 1024));
    const QList<QStringList> rows = CsvImport::parseCsv(head);
    const QStringList header = rows.value(0);
    const QStringList fields = CsvImport::fields(m_type);
    m_mapping.clear();
    QStringList said;
    QVector<int> columnOf;
    QStringList columns;
    for (const QString& h : header)
        columns << folded(h);
    for (const QString& field : fields) {
        const QString wanted = folded(field);
        int at = int(columns.indexOf(wanted));
        for (int i = 0; i < columns.size() && at < 0; ++i)
            if (columns[i].startsWith(wanted))
                at = i;
        columnOf << at;
        if (at >= 0)
            m_mapping.insert(field, header[at]);
        said << (at >= 0 ? QStringLiteral("%1 <- \"%2\"").arg(field, header[at]) : QStringLiteral("%1 (left empty)").arg(field));
    }
    lblMapping->setText(said.join(QStringLiteral("; ")));
    const int shown = std::min<int>(kPreviewRows, int(rows.size()) - 1);
    vsfPreview->setRows(std::max(1, shown + 1));
    for (int r = 1; r <= shown; ++r)
        for (int c = 0; c < columnOf.size(); ++c)
            vsfPreview->setTextMatrix(r, c, columnOf[c] >= 0 ? rows[r].value(columnOf[c]) : QString());
    vsfPreview->autoSizeColumns(0, vsfPreview->cols() - 1);
    cmdInstall->setEnabled(!m_mapping.isEmpty());
    return !m_mapping.isEmpty();
}

bool frmInstallList::install()
{
    const CsvImport::Result r = CsvImport::convert(m_type, m_csv, m_mapping);
    if (!r.errors.isEmpty() || r.records == 0) {
        QStringList shown = r.errors.mid(0, kErrorsShown);
        if (r.errors.size() > kErrorsShown)
            shown << QStringLiteral("... and %1 more").arg(r.errors.size() - kErrorsShown);
        MessageService::inform(m_session, this, QStringLiteral("The list was not installed, and nothing has changed: %1\n%2")
                                         .arg(r.records == 0 ? QStringLiteral("the file holds no usable records.")
                                                             : QStringLiteral("these lines have errors."),
                                              shown.join(u'\n')));
        return false;
    }
    QString error;
    if (!CsvImport::install(m_type, r.resource, &error)) {
        MessageService::inform(m_session, this, QStringLiteral("The list could not be installed: %1").arg(error));
        return false;
    }
    m_installed = r.records;
    return true;
}

} // namespace qel
