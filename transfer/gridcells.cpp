#include "transfer/gridcells.h"

#include <QHeaderView>
#include <QPainter>
#include <QTableWidget>

void PointsGridDrawCell(QPainter *painter, const QRect &rect, const QString &text, bool selected, bool fixed,
                        const QFont &font)
{
    QColor brush(Qt::white), pen(Qt::black);
    if (selected) {
        brush = QColor(0x00, 0x00, 0x80);
        pen = Qt::white;
    }
    if (fixed)
        brush = QColor(0xC0, 0xC0, 0xC0);
    painter->save();
    painter->fillRect(rect, brush);
    painter->setPen(pen);
    painter->setFont(font);
    const QFontMetrics fm(font);
    const int x = rect.left() + (rect.width() - fm.horizontalAdvance(text)) / 2;
    const int y = rect.top() + (rect.height() - fm.height()) / 2 + fm.ascent();
    painter->drawText(x, y, text);
    painter->restore();
}

void FixedRowDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    PointsGridDrawCell(painter, option.rect, index.data(Qt::DisplayRole).toString(),
                       option.state & QStyle::State_Selected, index.row() == 0, option.font);
}

void SetUpGrid(QTableWidget *grid, int columns, int columnWidth)
{
    grid->setColumnCount(columns);
    grid->horizontalHeader()->hide();
    grid->verticalHeader()->hide();
    grid->verticalHeader()->setDefaultSectionSize(20);
    grid->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    for (int c = 0; c < columns; ++c)
        grid->setColumnWidth(c, columnWidth);
    grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid->setSelectionMode(QAbstractItemView::SingleSelection);
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // Whole rows are selected with the arrows; Tab goes on to the next control
    // (the dialog's buttons) instead of wrapping round the cells for ever.
    grid->setTabKeyNavigation(false);
    grid->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    grid->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    grid->setItemDelegate(new FixedRowDelegate(grid));
}

void SetCell(QTableWidget *grid, int row, int column, const QString &text)
{
    QTableWidgetItem *item = grid->item(row, column);
    if (!item) {
        item = new QTableWidgetItem;
        if (row == 0) // the fixed row takes no selection
            item->setFlags(Qt::ItemIsEnabled);
        grid->setItem(row, column, item);
    }
    item->setText(text);
}

QString CellAt(const QTableWidget *grid, int row, int column)
{
    const QTableWidgetItem *item = grid->item(row, column);
    return item ? item->text() : QString();
}
