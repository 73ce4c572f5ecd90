#include "YWin/GridWnd.h"

#include <QAbstractTableModel>
#include <QContextMenuEvent>
#include <QHeaderView>
#include <QStyledItemDelegate>

namespace sonbex::ywin {

class GridWnd::Model : public QAbstractTableModel, public IGridObserver {
public:
    explicit Model(YGrid& grid) : grid_(grid) { grid_.SetObserver(this); }
    ~Model() override { grid_.SetObserver(nullptr); }

    int rowCount(const QModelIndex& parent) const override { return parent.isValid() ? 0 : grid_.RowCount(); }
    int columnCount(const QModelIndex& parent) const override {
        return parent.isValid() ? 0 : grid_.ColumnCount();
    }
    QVariant data(const QModelIndex& index, int role) const override {
        if (role != Qt::DisplayRole && role != Qt::EditRole) return {};
        return QString::fromStdString(grid_.Cell(index.row(), index.column()));
    }
    bool setData(const QModelIndex& index, const QVariant& value, int role) override {
        return role == Qt::EditRole &&
               grid_.EditCell(index.row(), index.column(), value.toString().toStdString());
    }
    Qt::ItemFlags flags(const QModelIndex& index) const override {
        return QAbstractTableModel::flags(index) | Qt::ItemIsEditable;
    }
    QVariant headerData(int section, Qt::Orientation o, int role) const override {
        if (role != Qt::DisplayRole) return {};
        if (o == Qt::Horizontal)
            return section < grid_.ColumnCount() ? QString::fromStdString(grid_.ColumnAt(section).header)
                                                 : QString();
        return QString::fromStdString(grid_.RowLabel(section));
    }

    void BeginReset() override { beginResetModel(); }
    void EndReset() override { endResetModel(); }
    void CellChanged(int row, int column) override {
        QModelIndex i = index(row, column);
        emit dataChanged(i, i);
    }

private:
    YGrid& grid_;
};

class GridWnd::Delegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex&) const override {
        auto* edit = new YCellEdit(parent);
        edit->setFont(option.font);
        return edit;
    }
};

YCellEdit::YCellEdit(QWidget* parent) : QLineEdit(parent) {
    setObjectName(QStringLiteral("cellEdit"));
    setFrame(false);
}

GridWnd::GridWnd(YGrid& grid, QWidget* parent)
    : QTableView(parent), grid_(grid), model_(std::make_unique<Model>(grid)) {
    setModel(model_.get());
    setItemDelegate(new Delegate(this));
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                    QAbstractItemView::AnyKeyPressed);
    auto applyWidths = [this] {
        for (int c = 0; c < grid_.ColumnCount(); ++c) setColumnWidth(c, grid_.ColumnAt(c).width);
    };
    applyWidths();
    connect(model_.get(), &QAbstractItemModel::modelReset, this, applyWidths);
}

GridWnd::~GridWnd() { setModel(nullptr); }

YPopupMenu GridWnd::PopupFor(int row) const {
    YPopupMenu menu;
    menu.Add(kGridInsertRow, tr("&Insert Row"));
    menu.Add(kGridDeleteRow, tr("&Delete Row"), row >= 0 && row < grid_.RowCount());
    return menu;
}

bool GridWnd::RunPopupCommand(int commandId, int row) {
    switch (commandId) {
        case kGridInsertRow:
            return grid_.InsertRow(row < 0 || row > grid_.RowCount() ? grid_.RowCount() : row);
        case kGridDeleteRow:
            return grid_.DeleteRow(row);
        default:
            return false;
    }
}

void GridWnd::contextMenuEvent(QContextMenuEvent* event) {
    int row = rowAt(viewport()->mapFromGlobal(event->globalPos()).y());
    int id = PopupFor(row).Track(this, event->globalPos());
    RunPopupCommand(id, row);
}

void GridWnd::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
    QTableView::currentChanged(current, previous);
    if (current.isValid()) grid_.SetCurrent(current.row(), current.column());
}

}  // namespace sonbex::ywin
