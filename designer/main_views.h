#pragma once
// The views of the designer window that draw from the scale document instead
// of holding texts: the points grid and the table memo, and the radio group
// whose click follows its item index as the window's handlers expect.
#include <QAbstractListModel>
#include <QAbstractTableModel>
#include <QFrame>
#include <QGroupBox>
#include <QListView>
#include <QStyledItemDelegate>
#include <QTableView>
#include <functional>

class QButtonGroup;
class QRadioButton;
class ScaleDocument;

// A panel of the window (TopPanel, MainPanel): a control of its own, so the
// mouse over it, its labels and its controls never reaches the handlers of
// the client area it lies on (Qt would pass on what a label ignores). Its
// context menu still comes at once.
class TPanel : public QFrame {
public:
    explicit TPanel(QWidget *parent = nullptr);
};

// Two columns (x, y) of the points; one empty row without points.
class TPointsModel : public QAbstractTableModel {
public:
    explicit TPointsModel(const ScaleDocument &doc, QObject *parent = nullptr);
    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    // The points changed (count or values).
    void Refresh();

private:
    const ScaleDocument &doc_;
};

// Draws each cell through the window's cell painter.
class TCellDelegate : public QStyledItemDelegate {
public:
    using Painter = std::function<void(QPainter &, int col, int row, const QRect &, bool selected)>;
    TCellDelegate(Painter paint, QObject *parent) : QStyledItemDelegate(parent), paint_(std::move(paint)) {}
    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;

private:
    Painter paint_;
};

// The points grid: fixed rows and columns, row selection, no scroll bars of
// its own (the window's RowScrollBar stands beside it).
class TPointsGrid : public QTableView {
    Q_OBJECT
public:
    explicit TPointsGrid(QWidget *parent = nullptr);
    int Row() const;          // current row, -1 without one
    void SetRow(int row);     // current and selected row
    int RowCount() const;

signals:
    // A left double click anywhere on the grid, below the last row too.
    void DblClick();

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
};

// The table rows of the last recalculation, formatted when a view asks.
class TTableMemoModel : public QAbstractListModel {
public:
    explicit TTableMemoModel(const ScaleDocument &doc, QObject *parent = nullptr);
    int rowCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    // Around a recalculation: the table is about to change / has changed
    // (decimals: those the rows are shown with).
    void BeginRecalculation();
    void EndRecalculation(int decimals);
    QString RowText(int row) const;

private:
    const ScaleDocument &doc_;
    int decimals_ = 0;
    bool resetting_ = false;
};

// The read-only table memo: uniform rows, selectable, copied as text.
class TTableMemo : public QListView {
public:
    explicit TTableMemo(QWidget *parent = nullptr);
    // The selected rows as text, one line each, in table order.
    QString SelectedText() const;
    void CopySelection() const;

protected:
    void keyPressEvent(QKeyEvent *event) override;
};

// A group of radio items whose click comes whenever the item index changes,
// also when code sets it.
class TRadioGroup : public QGroupBox {
    Q_OBJECT
public:
    explicit TRadioGroup(QWidget *parent = nullptr);
    void SetItems(const QStringList &items); // re-captions items in place when the count matches
    int ItemIndex() const { return index_; }
    void SetItemIndex(int index);            // outside the items: none selected
    QRadioButton *Item(int i) const;
    int ItemCount() const;

signals:
    void Click();

private:
    QButtonGroup *group_;
    QList<QRadioButton *> items_;
    int index_ = -1;
};
