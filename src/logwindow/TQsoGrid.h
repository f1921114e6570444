// The contact grid: an editable table whose current cell always has its
// editor open, with fixed columns on the left and a fixed header row on top
// that stay in view while the rest scrolls. The fixed cells are shown by
// overlay views of the same model placed over the table's header room, so the
// main view itself never shows (or lets the cursor rest on) a fixed cell.
#pragma once

#include <QSet>
#include <QTableView>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

class TQsoGridDelegate;
class TQsoGridModel;

class TQsoGrid : public QTableView {
    Q_OBJECT

public:
    explicit TQsoGrid(QWidget* parent = nullptr);
    ~TQsoGrid() override;

    void SetColCount(int cols);
    void SetRowCount(int rows);
    int rowCount() const;
    int columnCount() const;
    int currentRow() const { return currentIndex().row(); }
    int currentColumn() const { return currentIndex().column(); }
    void setCurrentCell(int row, int col);
    void SetFixedCols(int cols);
    void SetFixedRows(int rows);
    int FixedCols() const { return fixedCols_; }
    int FixedRows() const { return fixedRows_; }
    // Width 0 hides a column (the cursor then skips it).
    void SetColWidth(int col, int width);
    void SetDefaultRowHeight(int height);

    QString CellText(int col, int row) const;
    void SetCellText(int col, int row, const QString& text);
    // The same in the log's own Latin-1 text.
    std::string Cell(int col, int row) const;
    void SetCell(int col, int row, std::string_view text);
    // A row's texts packed as the grid keeps them, and rows first, first +
    // 1, … set from such packed rows as one change.
    std::string PackRow(const std::vector<std::string_view>& texts) const;
    void SetPackedRows(int first, const std::vector<const std::string*>& rows);
    // Opens the editor on the current cell when none is open.
    void OpenEditor();
    // The cell editor's text, when an editor is open on (col, row).
    QWidget* EditorAt(int col, int row) const;
    // A cell's rectangle in the grid's own coordinates (fixed cells included).
    QRect CellRect(int col, int row) const;

    // Called for keys pressed in the grid or its editor before the grid acts
    // on them; answering true consumes the key.
    std::function<bool(int key)> KeyHook;
    // The row whose cells are drawn as the entry row.
    std::function<int()> EntryRow;

signals:
    // The operator changed the text in the cell editor.
    void EditTextChanged(int col, int row, const QString& text);
    // The current cell moved (row and column now, then before; -1 for none).
    void currentCellChanged(int row, int col, int previousRow, int previousCol);
    void cellDoubleClicked(int row, int col);

protected:
    bool event(QEvent* e) override;
    bool focusNextPrevChild(bool next) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void updateGeometries() override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;

private:
    friend class TQsoGridDelegate;
    QTableView* MakeOverlay();
    void ApplyFixed();
    void PlaceOverlays();
    int FixedWidth() const;
    int FixedHeight() const;

    TQsoGridModel* model_;
    TQsoGridDelegate* delegate_;
    QTableView* left_ = nullptr;
    QTableView* top_ = nullptr;
    QTableView* corner_ = nullptr;
    int fixedCols_ = 0;
    int fixedRows_ = 0;
    QSet<int> zeroCols_;
    int tabKeys_ = 0;
};
