// The contact grid: an editable table whose current cell always has its
// editor open, with fixed columns on the left and a fixed header row on top
// that stay in view while the rest scrolls. The fixed cells are shown by
// overlay views of the same model placed over the table's header room, so the
// main view itself never shows (or lets the cursor rest on) a fixed cell.
#pragma once

#include <QSet>
#include <QTableWidget>
#include <functional>

class QTableView;
class TQsoGridDelegate;

class TQsoGrid : public QTableWidget {
    Q_OBJECT

public:
    explicit TQsoGrid(QWidget* parent = nullptr);
    ~TQsoGrid() override;

    void SetColCount(int cols);
    void SetRowCount(int rows);
    void SetFixedCols(int cols);
    void SetFixedRows(int rows);
    int FixedCols() const { return fixedCols_; }
    int FixedRows() const { return fixedRows_; }
    // Width 0 hides a column (the cursor then skips it).
    void SetColWidth(int col, int width);
    void SetDefaultRowHeight(int height);

    // Many cells set between BeginFill and EndFill reach the views as one
    // change of the rows firstRow..lastRow instead of one per cell.
    void BeginFill();
    void EndFill(int firstRow, int lastRow);

    QString CellText(int col, int row) const;
    void SetCellText(int col, int row, const QString& text);
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

protected:
    bool event(QEvent* e) override;
    bool focusNextPrevChild(bool next) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void updateGeometries() override;

private:
    friend class TQsoGridDelegate;
    QTableView* MakeOverlay();
    void ApplyFixed();
    void PlaceOverlays();
    int FixedWidth() const;
    int FixedHeight() const;

    TQsoGridDelegate* delegate_;
    QTableView* left_ = nullptr;
    QTableView* top_ = nullptr;
    QTableView* corner_ = nullptr;
    int fixedCols_ = 0;
    int fixedRows_ = 0;
    QSet<int> zeroCols_;
    int tabKeys_ = 0;
};
