#pragma once
// The model of a spreadsheet-like grid of text cells: a header row, numbered
// rows, column widths, a current cell, row insertion and deletion. Edits by
// the user go through the owner's per-cell validation hook (a column of
// frequencies, a column of levels ...); the owner fills cells directly.
// Qt-free; GridWnd shows it. Threads: the GUI thread (one thread in tests).

#include <functional>
#include <string>
#include <vector>

namespace sonbex::ywin {

class IGridOwner {
public:
    virtual ~IGridOwner() = default;
    // Decides on a cell the user typed; may rewrite the text (normalise
    // "12,5" to "12.5"). False refuses it: the cell keeps its old text.
    virtual bool ValidateCell(int row, int column, std::string& text) = 0;
    virtual void CellChanged(int /*row*/, int /*column*/) {}
    // Rows were inserted or deleted by the user.
    virtual void RowsChanged() {}
};

// Told about every change, so a view can follow (GridWnd).
class IGridObserver {
public:
    virtual ~IGridObserver() = default;
    virtual void BeginReset() = 0;
    virtual void EndReset() = 0;
    virtual void CellChanged(int row, int column) = 0;
};

class YGrid {
public:
    struct Column {
        std::string header;
        int width = 80;  // pixels
    };

    explicit YGrid(std::vector<Column> columns = {}, IGridOwner* owner = nullptr);

    void SetOwner(IGridOwner* owner) { owner_ = owner; }
    void SetObserver(IGridObserver* observer) { observer_ = observer; }

    int RowCount() const { return static_cast<int>(cells_.size()); }
    int ColumnCount() const { return static_cast<int>(columns_.size()); }
    const Column& ColumnAt(int column) const { return columns_.at(column); }
    void SetColumnWidth(int column, int width);
    // Rows are numbered from 1.
    std::string RowLabel(int row) const { return std::to_string(row + 1); }
    bool IsCell(int row, int column) const {
        return row >= 0 && row < RowCount() && column >= 0 && column < ColumnCount();
    }

    // Empty text for a cell outside the grid.
    const std::string& Cell(int row, int column) const;
    // A user's edit: through the owner's validation; false when refused or
    // outside the grid.
    bool EditCell(int row, int column, std::string text);
    // The owner's own filling: no validation.
    bool SetCell(int row, int column, std::string text);
    void SetRowCount(int rows);
    void Clear() { SetRowCount(0); }

    // An empty row before `row` (RowCount() appends); false outside 0..RowCount().
    bool InsertRow(int row);
    bool DeleteRow(int row);

    int CurrentRow() const { return currentRow_; }
    int CurrentColumn() const { return currentColumn_; }
    bool SetCurrent(int row, int column);

private:
    template <class F>
    void Reset(F change);

    std::vector<Column> columns_;
    std::vector<std::vector<std::string>> cells_;
    IGridOwner* owner_;
    IGridObserver* observer_ = nullptr;
    int currentRow_ = 0;
    int currentColumn_ = 0;
};

}  // namespace sonbex::ywin
