#pragma once
// The grid window: a YGrid shown as a table with a header row and numbered
// rows, edited in place with YCellEdit (in the grid's own font), and the
// popup menu "&Insert Row" / "&Delete Row". A cell the owner's validation
// refuses keeps its old text.
// Threads: the GUI thread only.

#include "YWin/YGrid.h"
#include "YWin/YPopupMenu.h"

#include <QLineEdit>
#include <QTableView>

#include <memory>

namespace sonbex::ywin {

inline constexpr int kGridInsertRow = 1;
inline constexpr int kGridDeleteRow = 2;

// The in-place editor of a cell.
class YCellEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit YCellEdit(QWidget* parent = nullptr);
};

class GridWnd : public QTableView {
    Q_OBJECT
public:
    // The grid must outlive the window.
    explicit GridWnd(YGrid& grid, QWidget* parent = nullptr);
    ~GridWnd() override;

    YGrid& Grid() { return grid_; }
    // The popup for a row (-1: below the last row): insert, and delete when on a row.
    YPopupMenu PopupFor(int row) const;
    // Carries out a popup command for `row`; false when it does not apply.
    bool RunPopupCommand(int commandId, int row);

protected:
    void contextMenuEvent(QContextMenuEvent* event) override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;

private:
    class Model;
    class Delegate;
    YGrid& grid_;
    std::unique_ptr<Model> model_;
};

}  // namespace sonbex::ywin
