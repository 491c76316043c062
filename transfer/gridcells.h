#pragma once
// The instrument dialogs' grids: row 0 is fixed (silver), a selected row
// navy with white text, every other cell white; text centred in the cell.
#include <QStyledItemDelegate>

class QTableWidget;

// One cell: white, navy with white text when selected, silver when fixed;
// the text centred (halves truncated toward zero).
void PointsGridDrawCell(QPainter *painter, const QRect &rect, const QString &text, bool selected, bool fixed,
                        const QFont &font);

// Draws every cell of a grid with PointsGridDrawCell, row 0 as the fixed row.
class FixedRowDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
};

// A grid of columns × width, rows 20 pixels, whole-row selection, no
// headers (row 0 is the grid's own fixed row).
void SetUpGrid(QTableWidget *grid, int columns, int columnWidth);
// Sets a cell's text, creating its item.
void SetCell(QTableWidget *grid, int row, int column, const QString &text);
QString CellAt(const QTableWidget *grid, int row, int column);
