#pragma once
// The instrument dialogs' grids: row 0 is fixed (silver), a selected row
// navy with white text, every other cell white; text centred in the cell.
#include <QStyledItemDelegate>

class QTableWidget;

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
