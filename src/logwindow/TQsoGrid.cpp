#include "logwindow/TQsoGrid.h"

#include <QCoreApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QScrollBar>
#include <QTableView>
#include <algorithm>

#include "logwindow/TQsoGridDelegate.h"
#include "logwindow/TQsoGridModel.h"

TQsoGrid::TQsoGrid(QWidget* parent)
    : QTableView(parent), model_(new TQsoGridModel(this)), delegate_(new TQsoGridDelegate(this)) {
    setModel(model_);
    setItemDelegate(delegate_);
    connect(this, &QAbstractItemView::doubleClicked, this, [this](const QModelIndex& index) {
        emit cellDoubleClicked(index.row(), index.column());
    });
    horizontalHeader()->hide();
    verticalHeader()->hide();
    horizontalHeader()->setSectionsClickable(false);
    verticalHeader()->setSectionsClickable(false);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setEditTriggers(QAbstractItemView::CurrentChanged | QAbstractItemView::AnyKeyPressed |
                    QAbstractItemView::DoubleClicked | QAbstractItemView::SelectedClicked |
                    QAbstractItemView::EditKeyPressed);
    setTabKeyNavigation(true);
    setWordWrap(false);
    setCornerButtonEnabled(false);
    left_ = MakeOverlay();
    top_ = MakeOverlay();
    corner_ = MakeOverlay();
    setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    connect(verticalScrollBar(), &QScrollBar::valueChanged, left_->verticalScrollBar(),
            &QScrollBar::setValue);
    // An overlay lays out its new rows later than the table: follow again then.
    connect(left_->verticalScrollBar(), &QScrollBar::rangeChanged, this,
            [this] { left_->verticalScrollBar()->setValue(verticalScrollBar()->value()); });
    connect(top_->horizontalScrollBar(), &QScrollBar::rangeChanged, this,
            [this] { top_->horizontalScrollBar()->setValue(horizontalScrollBar()->value()); });
    connect(horizontalScrollBar(), &QScrollBar::valueChanged, top_->horizontalScrollBar(),
            &QScrollBar::setValue);
    SetDefaultRowHeight(24);
}

TQsoGrid::~TQsoGrid() = default;

QTableView* TQsoGrid::MakeOverlay() {
    auto* view = new QTableView(this);
    view->setModel(model());
    // A delegate of its own: the editor signals of the main view's delegate
    // reach every view that uses it.
    view->setItemDelegate(new TQsoGridDelegate(this));
    view->horizontalHeader()->hide();
    view->verticalHeader()->hide();
    view->setFocusPolicy(Qt::NoFocus);
    view->setSelectionMode(QAbstractItemView::NoSelection);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    view->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    view->setFrameShape(QFrame::NoFrame);
    view->setWordWrap(false);
    view->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    view->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    view->show();
    return view;
}

void TQsoGrid::SetColCount(int cols) {
    model_->SetColumnCount(cols);
    ApplyFixed();
}

int TQsoGrid::rowCount() const {
    return model_->rowCount();
}

int TQsoGrid::columnCount() const {
    return model_->columnCount();
}

void TQsoGrid::setCurrentCell(int row, int col) {
    setCurrentIndex(model_->index(row, col));
}

void TQsoGrid::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
    QTableView::currentChanged(current, previous);
    emit currentCellChanged(current.row(), current.column(), previous.row(), previous.column());
}

void TQsoGrid::SetRowCount(int rows) {
    // The fixed layout depends on the rows only through row 0, which keeps
    // its state while rows come and go behind it: it is laid out again only
    // when the grid had no row 0 before or has none after.
    const int before = rowCount();
    if (rows == before)
        return;
    model_->SetRowCount(rows);
    if (before == 0 || rows == 0)
        ApplyFixed();
}

void TQsoGrid::SetFixedCols(int cols) {
    fixedCols_ = cols;
    ApplyFixed();
}

void TQsoGrid::SetFixedRows(int rows) {
    fixedRows_ = rows;
    ApplyFixed();
}

void TQsoGrid::SetColWidth(int col, int width) {
    if (width <= 0) {
        zeroCols_.insert(col);
    } else {
        zeroCols_.remove(col);
        for (QTableView* view : {static_cast<QTableView*>(this), left_, top_, corner_})
            view->setColumnWidth(col, width);
    }
    ApplyFixed();
}

void TQsoGrid::SetDefaultRowHeight(int height) {
    for (QTableView* view : {static_cast<QTableView*>(this), left_, top_, corner_}) {
        view->verticalHeader()->setMinimumSectionSize(1);
        view->verticalHeader()->setDefaultSectionSize(height);
        view->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    }
    ApplyFixed();
}

void TQsoGrid::ApplyFixed() {
    const int cols = columnCount();
    for (int c = 0; c < cols; ++c) {
        const bool fixed = c < fixedCols_;
        const bool zero = zeroCols_.contains(c);
        setColumnHidden(c, fixed || zero);
        top_->setColumnHidden(c, fixed || zero);
        left_->setColumnHidden(c, !fixed || zero);
        corner_->setColumnHidden(c, !fixed || zero);
    }
    if (rowCount() > 0) {
        setRowHidden(0, fixedRows_ > 0);
        left_->setRowHidden(0, fixedRows_ > 0);
    }
    // The table keeps room for its headers beside the viewport; sized to the
    // fixed cells, that room is where the overlays show them. The header
    // sections themselves stay covered.
    verticalHeader()->setFixedWidth(FixedWidth());
    horizontalHeader()->setFixedHeight(FixedHeight());
    verticalHeader()->setVisible(FixedWidth() > 0);
    horizontalHeader()->setVisible(FixedHeight() > 0);
    updateGeometries();
}

int TQsoGrid::FixedWidth() const {
    int width = 0;
    for (int c = 0; c < fixedCols_ && c < columnCount(); ++c) width += left_->columnWidth(c);
    return width;
}

int TQsoGrid::FixedHeight() const {
    if (fixedRows_ <= 0 || rowCount() == 0)
        return 0;
    return top_->rowHeight(0);
}

void TQsoGrid::PlaceOverlays() {
    if (left_ == nullptr || top_ == nullptr || corner_ == nullptr)
        return;  // still building
    const QRect vp = viewport()->geometry();
    const int w = FixedWidth();
    const int h = FixedHeight();
    left_->setGeometry(vp.x() - w, vp.y(), w, vp.height());
    top_->setGeometry(vp.x(), vp.y() - h, vp.width(), h);
    corner_->setGeometry(vp.x() - w, vp.y() - h, w, h);
    left_->setVisible(w > 0);
    top_->setVisible(h > 0);
    corner_->setVisible(w > 0 && h > 0);
    left_->raise();
    top_->raise();
    corner_->raise();
    left_->verticalScrollBar()->setValue(verticalScrollBar()->value());
    top_->horizontalScrollBar()->setValue(horizontalScrollBar()->value());
    top_->verticalScrollBar()->setValue(0);
    corner_->verticalScrollBar()->setValue(0);
}

void TQsoGrid::resizeEvent(QResizeEvent* event) {
    QTableView::resizeEvent(event);
    PlaceOverlays();
}

void TQsoGrid::updateGeometries() {
    QTableView::updateGeometries();
    PlaceOverlays();
}

QString TQsoGrid::CellText(int col, int row) const {
    const std::string_view text = model_->Cell(row, col);
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

void TQsoGrid::SetCellText(int col, int row, const QString& text) {
    const QByteArray latin1 = text.toLatin1();
    model_->SetCell(row, col,
                    std::string_view(latin1.constData(), static_cast<size_t>(latin1.size())));
}

std::string TQsoGrid::Cell(int col, int row) const {
    return std::string(model_->Cell(row, col));
}

void TQsoGrid::SetCell(int col, int row, std::string_view text) {
    model_->SetCell(row, col, text);
}

std::string TQsoGrid::PackRow(const std::vector<std::string_view>& texts) const {
    return TQsoGridModel::Pack(texts, model_->columnCount());
}

void TQsoGrid::SetPackedRows(int first, const std::vector<const std::string*>& rows) {
    model_->SetPackedRows(first, rows);
}

void TQsoGrid::OpenEditor() {
    const QModelIndex current = currentIndex();
    if (current.isValid() && indexWidget(current) == nullptr && state() != EditingState)
        edit(current);
}

QWidget* TQsoGrid::EditorAt(int col, int row) const {
    // The open editor is the focus proxy of the current cell.
    if (row != currentRow() || col != currentColumn())
        return nullptr;
    for (QObject* child : viewport()->children()) {
        auto* widget = qobject_cast<QWidget*>(child);
        if (widget != nullptr && widget->isVisible() && widget->inherits("QLineEdit"))
            return widget;
    }
    return nullptr;
}

QRect TQsoGrid::CellRect(int col, int row) const {
    const QTableView* view = this;
    if (row < fixedRows_ && col < fixedCols_)
        view = corner_;
    else if (row < fixedRows_)
        view = top_;
    else if (col < fixedCols_)
        view = left_;
    const QRect r = view->visualRect(view->model()->index(row, col));
    return QRect(view->viewport()->mapTo(this, r.topLeft()), r.size());
}

void TQsoGrid::keyPressEvent(QKeyEvent* event) {
    if (KeyHook && KeyHook(event->key())) {
        event->accept();
        return;
    }
    // A key that reaches the grid while its editor is open belongs to the editor.
    QWidget* editor = EditorAt(currentColumn(), currentRow());
    if (editor != nullptr && !event->text().isEmpty() && event->key() != Qt::Key_Tab &&
        event->key() != Qt::Key_Backtab) {
        editor->setFocus();
        QCoreApplication::sendEvent(editor, event);
        return;
    }
    QTableView::keyPressEvent(event);
}

bool TQsoGrid::event(QEvent* e) {
    const bool tab =
        e->type() == QEvent::KeyPress && (static_cast<QKeyEvent*>(e)->key() == Qt::Key_Tab ||
                                          static_cast<QKeyEvent*>(e)->key() == Qt::Key_Backtab);
    if (tab)
        ++tabKeys_;
    const bool result = QTableView::event(e);
    if (tab)
        --tabKeys_;
    return result;
}

bool TQsoGrid::focusNextPrevChild(bool next) {
    // Only a Tab key moves the cursor; focus handed on when a closed editor
    // disappears must leave the cursor where it is.
    if (tabKeys_ > 0)
        return QTableView::focusNextPrevChild(next);
    return true;
}

void TQsoGrid::focusInEvent(QFocusEvent* event) {
    QTableView::focusInEvent(event);
    OpenEditor();
    // Keys go to the open editor, as typing into the grid types into its cell.
    if (QWidget* editor = EditorAt(currentColumn(), currentRow()))
        editor->setFocus();
}
