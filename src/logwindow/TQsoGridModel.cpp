#include "logwindow/TQsoGridModel.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace {

constexpr size_t kEndSize = sizeof(uint32_t);

uint32_t EndOf(const std::string& row, int col) {
    uint32_t end = 0;
    std::memcpy(&end, row.data() + static_cast<size_t>(col) * kEndSize, kEndSize);
    return end;
}

}  // namespace

int TQsoGridModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int TQsoGridModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : cols_;
}

QVariant TQsoGridModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::EditRole))
        return QVariant();
    const std::string_view text = Cell(index.row(), index.column());
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

bool TQsoGridModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::EditRole))
        return false;
    const QByteArray text = value.toString().toLatin1();
    SetCell(index.row(), index.column(),
            std::string_view(text.constData(), static_cast<size_t>(text.size())));
    return true;
}

Qt::ItemFlags TQsoGridModel::flags(const QModelIndex& index) const {
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsSelectable | Qt::ItemIsEditable | Qt::ItemIsEnabled;
}

void TQsoGridModel::SetRowCount(int rows) {
    const int before = static_cast<int>(rows_.size());
    if (rows < 0 || rows == before)
        return;
    if (rows > before) {
        beginInsertRows(QModelIndex(), before, rows - 1);
        rows_.resize(static_cast<size_t>(rows));
        endInsertRows();
    } else {
        beginRemoveRows(QModelIndex(), rows, before - 1);
        rows_.resize(static_cast<size_t>(rows));
        rows_.shrink_to_fit();
        endRemoveRows();
    }
}

void TQsoGridModel::SetColumnCount(int cols) {
    if (cols < 0 || cols == cols_)
        return;
    // Every row is packed anew for its new number of cells.
    std::vector<std::vector<std::string_view>> cells(rows_.size());
    for (size_t r = 0; r < rows_.size(); ++r) cells[r] = Unpacked(static_cast<int>(r));
    auto repack = [&] {
        std::vector<std::string> rows(rows_.size());
        for (size_t r = 0; r < rows.size(); ++r) rows[r] = Pack(cells[r], cols_);
        rows_.swap(rows);
    };
    if (cols > cols_) {
        beginInsertColumns(QModelIndex(), cols_, cols - 1);
        cols_ = cols;
        repack();
        endInsertColumns();
    } else {
        beginRemoveColumns(QModelIndex(), cols, cols_ - 1);
        cols_ = cols;
        repack();
        endRemoveColumns();
    }
}

std::string_view TQsoGridModel::Cell(int row, int col) const {
    if (row < 0 || col < 0 || col >= cols_ || static_cast<size_t>(row) >= rows_.size())
        return {};
    const std::string& packed = rows_[static_cast<size_t>(row)];
    if (packed.empty())
        return {};
    const uint32_t begin = col == 0 ? 0 : EndOf(packed, col - 1);
    const size_t base = static_cast<size_t>(cols_) * kEndSize;
    return std::string_view(packed.data() + base + begin, EndOf(packed, col) - begin);
}

void TQsoGridModel::SetCell(int row, int col, std::string_view text) {
    if (row < 0 || col < 0 || col >= cols_ || static_cast<size_t>(row) >= rows_.size())
        return;
    if (Cell(row, col) == text)
        return;
    std::vector<std::string_view> cells = Unpacked(row);
    cells[static_cast<size_t>(col)] = text;
    // Packed before it replaces the row: the views still point into it.
    std::string packed = Pack(cells, cols_);
    rows_[static_cast<size_t>(row)].swap(packed);
    const QModelIndex cell = index(row, col);
    emit dataChanged(cell, cell, {Qt::DisplayRole, Qt::EditRole});
}

void TQsoGridModel::SetPackedRows(int first, const std::vector<const std::string*>& rows) {
    if (first < 0 || rows.empty() || cols_ == 0)
        return;
    int row = first;
    for (const std::string* packed : rows) {
        if (static_cast<size_t>(row) >= rows_.size())
            break;
        rows_[static_cast<size_t>(row++)] = *packed;
    }
    if (row > first)
        emit dataChanged(index(first, 0), index(row - 1, cols_ - 1),
                         {Qt::DisplayRole, Qt::EditRole});
}

std::string TQsoGridModel::Pack(const std::vector<std::string_view>& texts, int cols) {
    const size_t n = static_cast<size_t>(std::max(cols, 0));
    size_t total = 0;
    for (size_t c = 0; c < n && c < texts.size(); ++c) total += texts[c].size();
    if (total == 0)
        return std::string();
    std::string packed(n * kEndSize + total, '\0');
    uint32_t end = 0;
    char* out = packed.data() + n * kEndSize;
    for (size_t c = 0; c < n; ++c) {
        if (c < texts.size() && !texts[c].empty()) {
            std::memcpy(out + end, texts[c].data(), texts[c].size());
            end += static_cast<uint32_t>(texts[c].size());
        }
        std::memcpy(packed.data() + c * kEndSize, &end, kEndSize);
    }
    return packed;
}

std::vector<std::string_view> TQsoGridModel::Unpacked(int row) const {
    std::vector<std::string_view> cells(static_cast<size_t>(cols_));
    for (int c = 0; c < cols_; ++c) cells[static_cast<size_t>(c)] = Cell(row, c);
    return cells;
}
