#pragma once
#include <QByteArray>
#include <QString>

class QWidget;

namespace qel {

class FlexGrid;

// What leaves the result grid: text for the clipboard and CSV files.
class GridExport {
public:
    // The selected cells' values, tab-separated along a row and one line per row; a single cell
    // gives just its text (the current cell when nothing is selected).
    static QString selectedCells(const FlexGrid& grid);
    // The visible cells of one grid row, tab-separated.
    static QString rowText(const FlexGrid& grid, int gridRow);
    // Every row with every column, also those hidden while a list holds their value, as UTF-8
    // CSV with a byte-order mark (so that spreadsheets read the text right).
    static QByteArray csv(const FlexGrid& grid);
    static bool writeCsv(const FlexGrid& grid, const QString& path, QString* error);
    // Asks where to export (the grid's session's desktop asks), proposing proposedName in the
    // user's documents folder, and writes there (".csv" added when the name has no extension).
    static void exportAsked(FlexGrid& grid, const QString& proposedName);
};

} // namespace qel
