// The contact grid's cells. Each row keeps its texts in one Latin-1 string,
// as the log holds them; a view's QString is made only when it asks for a
// cell, so a grid of many thousand rows costs one string per row.
//
// Row layout: empty for a row whose cells are all empty; otherwise
// columnCount 32-bit end offsets (cell c's text runs from the end of cell
// c - 1, or 0, to its own end), then the cells' texts back to back.
#pragma once

#include <QAbstractTableModel>
#include <string>
#include <string_view>
#include <vector>

class TQsoGridModel : public QAbstractTableModel {
    Q_OBJECT

public:
    using QAbstractTableModel::QAbstractTableModel;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    // Rows and columns added at the end or taken from it; added cells are empty.
    void SetRowCount(int rows);
    void SetColumnCount(int cols);

    // Empty outside the grid.
    std::string_view Cell(int row, int col) const;
    // Outside the grid nothing happens.
    void SetCell(int row, int col, std::string_view text);
    // A row's texts packed for a grid of cols columns (see above).
    static std::string Pack(const std::vector<std::string_view>& texts, int cols);
    // Rows first, first + 1, … from rows packed for this grid's columns,
    // reported as one change; rows past the grid's end are left out.
    void SetPackedRows(int first, const std::vector<const std::string*>& rows);

private:
    std::vector<std::string_view> Unpacked(int row) const;

    std::vector<std::string> rows_;
    int cols_ = 0;
};
