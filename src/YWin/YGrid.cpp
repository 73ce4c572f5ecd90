#include "YWin/YGrid.h"

#include <algorithm>

namespace sonbex::ywin {

YGrid::YGrid(std::vector<Column> columns, IGridOwner* owner) : columns_(std::move(columns)), owner_(owner) {}

template <class F>
void YGrid::Reset(F change) {
    if (observer_) observer_->BeginReset();
    change();
    currentRow_ = std::clamp(currentRow_, 0, std::max(0, RowCount() - 1));
    if (observer_) observer_->EndReset();
}

void YGrid::SetColumnWidth(int column, int width) {
    if (column >= 0 && column < ColumnCount()) Reset([&] { columns_[column].width = std::max(0, width); });
}

const std::string& YGrid::Cell(int row, int column) const {
    static const std::string kEmpty;
    return IsCell(row, column) ? cells_[row][column] : kEmpty;
}

bool YGrid::EditCell(int row, int column, std::string text) {
    if (!IsCell(row, column)) return false;
    if (owner_ && !owner_->ValidateCell(row, column, text)) return false;
    cells_[row][column] = std::move(text);
    if (observer_) observer_->CellChanged(row, column);
    if (owner_) owner_->CellChanged(row, column);
    return true;
}

bool YGrid::SetCell(int row, int column, std::string text) {
    if (!IsCell(row, column)) return false;
    cells_[row][column] = std::move(text);
    if (observer_) observer_->CellChanged(row, column);
    return true;
}

void YGrid::SetRowCount(int rows) {
    Reset([&] { cells_.resize(std::max(0, rows), std::vector<std::string>(columns_.size())); });
}

bool YGrid::InsertRow(int row) {
    if (row < 0 || row > RowCount()) return false;
    Reset([&] { cells_.insert(cells_.begin() + row, std::vector<std::string>(columns_.size())); });
    if (owner_) owner_->RowsChanged();
    return true;
}

bool YGrid::DeleteRow(int row) {
    if (row < 0 || row >= RowCount()) return false;
    Reset([&] { cells_.erase(cells_.begin() + row); });
    if (owner_) owner_->RowsChanged();
    return true;
}

bool YGrid::SetCurrent(int row, int column) {
    if (!IsCell(row, column)) return false;
    currentRow_ = row;
    currentColumn_ = column;
    return true;
}

}  // namespace sonbex::ywin
