#include "lookups/grid/gridexport.h"
#include "core/desktop.h"
#include "core/msgservice.h"
#include "lookups/grid/flexgrid.h"
#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QItemSelectionModel>
#include <QMap>
#include <QSaveFile>
#include <QStandardPaths>

namespace qel {

namespace {
// A cell as a spreadsheet should read it: quoted when it holds the separator, a quote or a line
// break; and a text that a spreadsheet would take for a formula ("=HYPERLINK(...)" in a data
// file) kept as text.
QString exportCell(QString v, QChar separator)
{
    static const QString formulaStart = QStringLiteral("=+-@");
    bool number = false;
    v.toDouble(&number);
    if (!v.isEmpty() && formulaStart.contains(v[0]) && !number)
        v.prepend(u'\'');
    if (v.contains(separator) || v.contains(u'"') || v.contains(u'\n') || v.contains(u'\r'))
        v = u'"' + v.replace(u'"', QStringLiteral("\"\"")) + u'"';
    return v;
}

} // namespace

QString GridExport::selectedCells(const FlexGrid& grid)
{
    // Rows in order, each with its selected cells in column order.
    QMap<int, QMap<int, QString>> cells;
    for (const QModelIndex& i : grid.selectionModel()->selectedIndexes())
        if (!grid.colHidden(i.column()))
            cells[i.row()][i.column()] = grid.textMatrix(i.row() + 1, i.column());
    if (cells.isEmpty() && grid.currentIndex().isValid())
        cells[grid.currentIndex().row()][grid.currentIndex().column()] = grid.textMatrix(grid.row(), grid.currentIndex().column());
    if (cells.size() == 1 && cells.first().size() == 1)
        return cells.first().first();
    QStringList lines;
    for (const auto& row : cells)
        lines << QStringList(row.values()).join(u'\t');
    return lines.join(QStringLiteral("\r\n"));
}

QString GridExport::rowText(const FlexGrid& grid, int gridRow)
{
    QStringList cells;
    for (int c = 0; c < grid.cols(); ++c)
        if (!grid.colHidden(c))
            cells << grid.textMatrix(gridRow, c);
    return cells.join(u'\t');
}

QByteArray GridExport::csv(const FlexGrid& grid)
{
    QString out;
    for (int r = 0; r < grid.rows(); ++r) {
        QStringList cells;
        for (int c = 0; c < grid.cols(); ++c)
            cells << exportCell(grid.textMatrix(r, c), u',');
        out += cells.join(u',') + QStringLiteral("\r\n");
    }
    return "\xEF\xBB\xBF" + out.toUtf8();
}

bool GridExport::writeCsv(const FlexGrid& grid, const QString& path, QString* error)
{
    QSaveFile f(path);
    const QByteArray bytes = csv(grid);
    if (f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size() && f.commit())
        return true;
    if (error)
        *error = f.errorString();
    return false;
}

void GridExport::exportAsked(FlexGrid& grid, const QString& proposedName)
{
    const QString proposed = QDir(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation)).filePath(proposedName);
    QString path = desktopOf(grid.session()).chooseSaveFile(&grid, proposed);
    if (path.isEmpty())
        return;
    if (QFileInfo(path).suffix().isEmpty())
        path += QStringLiteral(".csv");
    QString error;
    if (!writeCsv(grid, path, &error))
        MessageService::inform(grid.session(), &grid, QStringLiteral("Could not write %1: %2").arg(path, error));
}

} // namespace qel
