#include "logwindow/TQsoGridDelegate.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>

#include "logwindow/TQsoGrid.h"

TQsoGridDelegate::TQsoGridDelegate(TQsoGrid* grid) : QStyledItemDelegate(grid), grid_(grid) {}

void TQsoGridDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                             const QModelIndex& index) const {
    const int row = index.row();
    const int col = index.column();
    const int entryRow = grid_->EntryRow ? grid_->EntryRow() : -1;
    QColor background;
    QColor text;
    QFont font = option.font;
    if (row == 0 || col < 3) {
        background = QColor(kSilver);
        text = Qt::black;
        if (row == 0)
            font.setBold(true);
    } else if (row == entryRow && col == 3) {
        background = Qt::white;
        text = Qt::blue;
    } else if (row != entryRow) {
        background = QColor(kGreen);
        text = Qt::white;
    } else {
        // The entry row's other cells keep the grid's own colours.
        QStyledItemDelegate::paint(painter, option, index);
        return;
    }
    painter->save();
    painter->fillRect(option.rect, background);
    painter->setPen(text);
    painter->setFont(font);
    painter->setClipRect(option.rect);
    const QRect textRect = option.rect.adjusted(2, 2, 0, 0);
    painter->drawText(textRect, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine,
                      index.data(Qt::DisplayRole).toString());
    painter->restore();
}

QWidget* TQsoGridDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                                        const QModelIndex& index) const {
    auto* editor = new QLineEdit(parent);
    editor->setFrame(false);
    editor->setFont(option.font);
    if (index.column() == 3 && grid_->EntryRow && index.row() == grid_->EntryRow()) {
        // The entry row's call cell is blue on white, editor and all.
        QPalette palette = editor->palette();
        palette.setColor(QPalette::Text, Qt::blue);
        palette.setColor(QPalette::Base, Qt::white);
        editor->setPalette(palette);
    }
    const QPersistentModelIndex cell(index);
    TQsoGrid* grid = grid_;
    connect(editor, &QLineEdit::textEdited, grid, [grid, cell](const QString& text) {
        if (cell.isValid())
            emit grid->EditTextChanged(cell.column(), cell.row(), text);
    });
    return editor;
}

void TQsoGridDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const {
    // The model follows the editor keystroke by keystroke; rewriting an equal
    // text would only move the caret to the end.
    auto* line = qobject_cast<QLineEdit*>(editor);
    if (line == nullptr)
        return;
    const QString value = index.data(Qt::EditRole).toString();
    if (!line->property("trambOpened").toBool()) {
        // A freshly opened editor shows its cell's text selected: typing replaces it.
        line->setProperty("trambOpened", true);
        line->setText(value);
        line->selectAll();
        return;
    }
    if (line->text() == value)
        return;
    // Text set by the program into an untouched editor stays selected too.
    const bool untouched = line->text().isEmpty() || line->selectedText() == line->text();
    line->setText(value);
    if (untouched)
        line->selectAll();
}

bool TQsoGridDelegate::eventFilter(QObject* editor, QEvent* event) {
    if (event->type() == QEvent::FocusOut) {
        // A message box or menu taking the focus does not end the edit: the
        // editor stays open (closing it would delete it under a running
        // keystroke).
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason)
            return false;
    }
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Escape)
            return true;  // the editor stays open
        if (grid_->KeyHook && grid_->KeyHook(key->key()))
            return true;
    }
    return QStyledItemDelegate::eventFilter(editor, event);
}
