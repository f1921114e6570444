// A grid of cell texts for the find and print commands' tests: rows of 23
// cells, the header row first; making a row current is recorded (the real
// grid's click handling would run then).
#pragma once

#include <string>
#include <vector>

#include "logwindow/TGridCells.h"

class FakeGrid : public TGridCells {
  public:
    static constexpr int kColumns = 23;

    FakeGrid() {
        rows_.push_back({"Date",   "Start",    "End",      "Call",     "Frequency", "S-RST",
                         "R-RST",  "Power",    "Mode",     "LogID",    "RQSL",      "SQSL",
                         "Qso_ID", "Country",  "Zone",     "County",   "Grid",      "QSL Manager",
                         "Layout", "Contest1", "Contest2", "Contest3", "Contest4"});
    }
    // A contact row; unset cells stay empty.
    int AddRow(const std::string& date, const std::string& call) {
        std::vector<std::string> row(kColumns);
        row[0] = date;
        row[1] = "12:00";
        row[2] = "12:05";
        row[3] = call;
        rows_.push_back(row);
        return static_cast<int>(rows_.size()) - 1;
    }
    void Set(int column, int row, const std::string& text) { rows_[row][column] = text; }
    void Truncate(int rows) { rows_.resize(static_cast<size_t>(rows)); }

    int32_t RowsInUse() const override { return static_cast<int32_t>(rows_.size()); }
    int32_t RowCount() const override { return static_cast<int32_t>(rows_.size()); }
    int32_t ColumnCount() const override { return kColumns; }
    std::string Cell(int32_t column, int32_t row) const override {
        return rows_.at(static_cast<size_t>(row)).at(static_cast<size_t>(column));
    }
    int32_t CurrentRow() const override { return current_; }
    void MakeCurrentRow(int32_t row) override {
        current_ = row;
        Visited.push_back(row);
    }
    void FocusGrid() override { ++Focused; }

    std::vector<int32_t> Visited;
    int Focused = 0;

  private:
    std::vector<std::vector<std::string>> rows_;
    int32_t current_ = 0;
};
