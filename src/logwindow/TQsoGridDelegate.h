// Draws the contact grid's cells in the log's colours and provides the cell
// editor, whose keys go to the grid's key hook first.
#pragma once

#include <QStyledItemDelegate>

class TQsoGrid;

class TQsoGridDelegate : public QStyledItemDelegate {
    Q_OBJECT

public:
    static constexpr QRgb kInfoBk = 0xFFFFE1;  // clInfoBk
    static constexpr QRgb kSilver = 0xC0C0C0;  // clSilver
    static constexpr QRgb kGreen = 0x008000;   // clGreen

    explicit TQsoGridDelegate(TQsoGrid* grid);

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override;
    void setEditorData(QWidget* editor, const QModelIndex& index) const override;

protected:
    bool eventFilter(QObject* editor, QEvent* event) override;

private:
    TQsoGrid* grid_;
};
