// The contact grid as the find and print commands see it: cell texts by
// column and row, the rows in use, and moving the cursor to a row (which
// fires the grid's click handling, as a click on that row would).
#pragma once

#include <cstdint>
#include <string>

class TGridCells {
  public:
    virtual ~TGridCells();
    // GridRowCount: header row 0, the contact rows, the entry row last.
    virtual int32_t RowsInUse() const = 0;
    // The grid control's own row and column counts.
    virtual int32_t RowCount() const = 0;
    virtual int32_t ColumnCount() const = 0;
    virtual std::string Cell(int32_t column, int32_t row) const = 0;
    virtual int32_t CurrentRow() const = 0;
    // Makes row current, keeping the column.
    virtual void MakeCurrentRow(int32_t row) = 0;
    virtual void FocusGrid() {}
};
