#include "designer/main_views.h"
#include "common/numtext.h"
#include "scale/scaledocument.h"
#include <QApplication>
#include <QButtonGroup>
#include <QClipboard>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QRadioButton>
#include <algorithm>

TPanel::TPanel(QWidget *parent) : QFrame(parent)
{
    // What the panel and its children leave unhandled stops here.
    setAttribute(Qt::WA_NoMousePropagation);
}

TPointsModel::TPointsModel(const ScaleDocument &doc, QObject *parent) : QAbstractTableModel(parent), doc_(doc) {}

int TPointsModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : std::max(1, std::min(doc_.PointCount, MaxPoints));
}

int TPointsModel::columnCount(const QModelIndex &parent) const { return parent.isValid() ? 0 : 2; }

QVariant TPointsModel::data(const QModelIndex &index, int role) const
{
    if (role != Qt::DisplayRole || !index.isValid() || index.row() >= std::min(doc_.PointCount, MaxPoints))
        return {};
    const int r = index.row();
    return numtext::FloatToStr(index.column() == 0 ? doc_.PointX[r] : doc_.PointY[r]);
}

void TPointsModel::Refresh()
{
    beginResetModel();
    endResetModel();
}

void TCellDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    painter->save();
    paint_(*painter, index.column(), index.row(), option.rect, option.state & QStyle::State_Selected);
    painter->restore();
}

TPointsGrid::TPointsGrid(QWidget *parent) : QTableView(parent)
{
    horizontalHeader()->hide();
    verticalHeader()->hide();
    horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    horizontalHeader()->setDefaultSectionSize(102);
    horizontalHeader()->setMinimumSectionSize(1);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setMinimumSectionSize(1);
    verticalHeader()->setDefaultSectionSize(24);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setTabKeyNavigation(false);
    setWordWrap(false);
}

int TPointsGrid::Row() const { return currentIndex().isValid() ? currentIndex().row() : -1; }

void TPointsGrid::SetRow(int row)
{
    if (!model() || row < 0 || row >= model()->rowCount())
        return;
    setCurrentIndex(model()->index(row, 0));
    selectionModel()->select(model()->index(row, 0),
                             QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

int TPointsGrid::RowCount() const { return model() ? model()->rowCount() : 0; }

// A press below the last row keeps the current row, as a double click there
// changes the point of that row.
void TPointsGrid::mousePressEvent(QMouseEvent *event)
{
    if (!indexAt(event->position().toPoint()).isValid()) {
        event->accept();
        return;
    }
    QTableView::mousePressEvent(event);
}

void TPointsGrid::mouseDoubleClickEvent(QMouseEvent *event)
{
    QTableView::mouseDoubleClickEvent(event);
    if (event->button() == Qt::LeftButton)
        emit DblClick();
}

TTableMemoModel::TTableMemoModel(const ScaleDocument &doc, QObject *parent) : QAbstractListModel(parent), doc_(doc)
{
}

int TTableMemoModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() || resetting_ ? 0 : doc_.TableCount;
}

QString TTableMemoModel::RowText(int row) const
{
    if (resetting_ || row < 0 || row >= doc_.TableCount)
        return {};
    return TableRowText(doc_.TableX[row], doc_.TableY[row], decimals_);
}

QVariant TTableMemoModel::data(const QModelIndex &index, int role) const
{
    if (role != Qt::DisplayRole || !index.isValid())
        return {};
    return RowText(index.row());
}

void TTableMemoModel::BeginRecalculation()
{
    if (resetting_)
        return;
    beginResetModel();
    resetting_ = true;
}

void TTableMemoModel::EndRecalculation(int decimals)
{
    if (!resetting_)
        return;
    decimals_ = decimals;
    resetting_ = false;
    endResetModel();
}

TTableMemo::TTableMemo(QWidget *parent) : QListView(parent)
{
    setUniformItemSizes(true);
    setLayoutMode(QListView::SinglePass);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setTextElideMode(Qt::ElideNone);
    setWordWrap(false);
}

QString TTableMemo::SelectedText() const
{
    if (!selectionModel() || !model())
        return {};
    // Ranges, not single indexes: a selected million rows stays cheap.
    std::vector<std::pair<int, int>> ranges;
    for (const QItemSelectionRange &r : selectionModel()->selection())
        ranges.emplace_back(r.top(), r.bottom());
    std::sort(ranges.begin(), ranges.end());
    QString text;
    int next = 0;
    for (auto [top, bottom] : ranges) {
        for (int row = std::max(top, next); row <= bottom; ++row) {
            text += model()->index(row, 0).data().toString();
            text += u'\n';
        }
        next = std::max(next, bottom + 1);
    }
    return text;
}

void TTableMemo::CopySelection() const
{
    const QString text = SelectedText();
    if (!text.isEmpty())
        QApplication::clipboard()->setText(text);
}

void TTableMemo::keyPressEvent(QKeyEvent *event)
{
    if (event->matches(QKeySequence::Copy)) {
        CopySelection();
        event->accept();
        return;
    }
    QListView::keyPressEvent(event);
}

TRadioGroup::TRadioGroup(QWidget *parent) : QGroupBox(parent), group_(new QButtonGroup(this))
{
    connect(group_, &QButtonGroup::idToggled, this, [this](int id, bool checked) {
        if (checked && id != index_) {
            index_ = id;
            emit Click();
        }
    });
}

void TRadioGroup::SetItems(const QStringList &items)
{
    if (items.size() == items_.size()) {
        for (int i = 0; i < items.size(); ++i)
            items_[i]->setText(items[i]);
        return;
    }
    for (QRadioButton *b : items_)
        delete b;
    items_.clear();
    for (int i = 0; i < items.size(); ++i) {
        auto *b = new QRadioButton(items[i], this);
        b->setGeometry(10, 20 + 20 * i, width() - 20, 20);
        group_->addButton(b, i);
        items_ << b;
    }
    index_ = -1;
}

void TRadioGroup::SetItemIndex(int index)
{
    if (index < 0 || index >= items_.size())
        index = -1;
    if (index == index_)
        return;
    if (index >= 0) {
        items_[index]->setChecked(true); // idToggled sets index_ and clicks
        return;
    }
    group_->setExclusive(false);
    for (QRadioButton *b : items_)
        b->setChecked(false);
    group_->setExclusive(true);
    index_ = -1;
    emit Click();
}

QRadioButton *TRadioGroup::Item(int i) const { return i >= 0 && i < items_.size() ? items_[i] : nullptr; }

int TRadioGroup::ItemCount() const { return int(items_.size()); }
