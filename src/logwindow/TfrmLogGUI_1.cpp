// The log window: its controls, menus and panels, and their signals.
#include "logwindow/TfrmLogGUI_1.h"

#include <unistd.h>

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDate>
#include <QDialog>
#include <QFrame>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QSplitter>
#include <QStyle>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <filesystem>

#include "adif/TAdifModes.h"
#include "kernel/TDbKernel.h"
#include "logfile/TLogStartup.h"
#include "logwindow/Latin1.h"
#include "logwindow/TForm3.h"
#include "logwindow/TQsoGrid.h"
#include "logwindow/TRigFollower.h"
#include "logwindow/TWsjtxContactStore.h"
#include "logwindow/TfrmDatabaseCheck.h"
#include "platform/TBusyCursor.h"
#include "platform/TClock.h"
#include "platform/TDialogs.h"
#include "platform/TEventPump.h"
#include "platform/TInstanceMutex.h"
#include "platform/TMemoryStatus.h"
#include "platform/TMessageFloodGuard.h"
#include "platform/TOSVersion.h"
#include "records/TLogTables.h"
#include "schema/TDatabase.h"
#include "wsjtx/TWsjtxListener.h"

TfrmLogGUI_1* frmLogGUI_1 = nullptr;

namespace {

// Windows fonts and their metric-compatible Linux counterparts.
QFont SansFont(int pixelHeight, bool bold = false) {
    QFont font(QStringLiteral("Liberation Sans"));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(pixelHeight);
    font.setBold(bold);
    return font;
}

QColor InfoBk() {
    return QColor(0xFF, 0xFF, 0xE1);
}

void Colour(QWidget* widget, const QColor& colour) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, colour);
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

void BaseColour(QWidget* widget, const QColor& colour) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Base, colour);
    widget->setPalette(palette);
}

QLabel* BlueLabel(QWidget* parent, const QString& text) {
    auto* label = new QLabel(text, parent);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, Qt::blue);
    label->setPalette(palette);
    return label;
}

QPixmap Ellipse(int width, int height) {
    QPixmap pixmap(width, height);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::black);
    painter.setBrush(Qt::blue);
    painter.drawEllipse(0, 0, width - 1, height - 1);
    return pixmap;
}

}  // namespace

TfrmLogGUI_1::TfrmLogGUI_1(QWidget* parent) : QMainWindow(parent) {
    frmLogGUI_1 = this;
    HaltProcess = [] { std::_Exit(1); };
    RunModal = [](QDialog& dialog) { return dialog.exec(); };
    BuildWindow();
    FormCreate();
}

TfrmLogGUI_1::~TfrmLogGUI_1() {
    StopStationLinks();
    if (frmLogGUI_1 == this)
        frmLogGUI_1 = nullptr;
}

// ---------------------------------------------------------------- building

void TfrmLogGUI_1::BuildWindow() {
    setWindowTitle(QStringLiteral("QSO Log Version 1.0 Beta (test)"));
    setFont(SansFont(11));
    BuildMenus();
    BuildStationControls();
    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    BuildDefaultsPanel();
    layout->addWidget(pnl_QSODefaults);
    Splitter1 = new QSplitter(Qt::Vertical, central);
    Splitter1->setChildrenCollapsible(false);
    BuildGridPanel();
    BuildTextPanel();
    Splitter1->addWidget(pnlContainsQSOGrid);
    Splitter1->addWidget(pnlQSOText);
    Splitter1->setStretchFactor(0, 1);
    Splitter1->setStretchFactor(1, 0);
    Splitter1->setSizes({300, 149});
    layout->addWidget(Splitter1, 1);
    setCentralWidget(central);
    ConnectControls();
    setMinimumSize(618, 437);
    resize(618, 437);
}

void TfrmLogGUI_1::BuildMenus() {
    File1 = menuBar()->addMenu(QStringLiteral("&File"));
    OpenSpecificLog1 = File1->addAction(QStringLiteral("&Open Specific Log"));
    OpenSpecificLog1->setEnabled(false);
    CloseLog1 = File1->addAction(QStringLiteral("&Close Log"));
    CloseLog1->setEnabled(false);
    Exit1 = File1->addAction(QStringLiteral("&Exit"));
    Find1 = menuBar()->addMenu(QStringLiteral("&Find"));
    FindQSObyDate1 = Find1->addAction(QStringLiteral("Select QSOs by &Number of Days"));
    FindCallincurrentselection1 =
        Find1->addAction(QStringLiteral("&Find First Call in Current Selection"));
    SearchNext1 = Find1->addAction(QStringLiteral("Find &Next Call"));
    Tools1 = menuBar()->addMenu(QStringLiteral("&Tools"));
    ExporttoTextFile1 = Tools1->addAction(QStringLiteral("&Export to Text File"));
    ExportADIF1 = Tools1->addAction(QStringLiteral("Export &ADIF…"));
    ImportADIF1 = Tools1->addAction(QStringLiteral("&Import ADIF…"));
    CheckDatabase1 = Tools1->addAction(QStringLiteral("&Check Database"));
    RadioandWSJTX1 = Tools1->addAction(QStringLiteral("&Radio and WSJT-X\u2026"));
    Help1 = menuBar()->addMenu(QStringLiteral("&Help"));
    AbouttheTrambleQSOlogprogram1 =
        Help1->addAction(QStringLiteral("&About the QSO logging program"));
    AFewHints1 = Help1->addAction(QStringLiteral("A &Few Hints"));
}

void TfrmLogGUI_1::BuildDefaultsPanel() {
    pnl_QSODefaults = new QWidget(this);
    pnl_QSODefaults->setFixedHeight(87);
    Colour(pnl_QSODefaults, InfoBk());

    tlbMain = new QToolBar(pnl_QSODefaults);
    tlbMain->setGeometry(0, 0, 618, 29);
    tlbMain->setIconSize(QSize(20, 20));
    auto tool = [this](QStyle::StandardPixmap icon, const char* hint) {
        auto* button = new QToolButton(tlbMain);
        button->setIcon(style()->standardIcon(icon));
        button->setToolTip(QString::fromLatin1(hint));
        button->setAutoRaise(true);
        tlbMain->addWidget(button);
        return button;
    };
    tlbtnExpFile = tool(QStyle::SP_DialogSaveButton, "Export to text file");
    tlbbtnPrint = tool(QStyle::SP_FileDialogDetailedView, "Print logbook");
    ToolButton1 = tool(QStyle::SP_FileDialogContentsView, "Print QSOs with QSO text");
    tlbbtnFindCall = tool(QStyle::SP_FileDialogStart, "Find first call in current selection");
    ToolButton3 = tool(QStyle::SP_DialogApplyButton, "Check database integrity");
    tlbMain->addSeparator();
    lblUTCShift = new QLabel(QStringLiteral("GMT Shift Hours"), tlbMain);
    tlbMain->addWidget(lblUTCShift);
    edtUTCShift = new QLineEdit(QStringLiteral("0"), tlbMain);
    edtUTCShift->setMaxLength(3);
    edtUTCShift->setFixedWidth(33);
    edtUTCShift->setToolTip(QStringLiteral("Number of hours difference from local to GMT time"));
    tlbMain->addWidget(edtUTCShift);

    Shape1 = new QFrame(pnl_QSODefaults);
    Shape1->setGeometry(8, 31, 400, 6);
    Colour(Shape1, Qt::black);
    lblForNewQsos = BlueLabel(pnl_QSODefaults, QStringLiteral("FOR NEW QSOs"));
    lblForNewQsos->setToolTip(QStringLiteral("Default QSO values for new QSOs"));
    lblForNewQsos->setFont(SansFont(9, true));
    lblForNewQsos->setGeometry(8, 58, 78, 14);

    const QFont arial = SansFont(12);
    auto caption = [&](const char* text, int left) {
        auto* label = new QLabel(QString::fromLatin1(text), pnl_QSODefaults);
        label->setFont(arial);
        label->setGeometry(left, 38, 70, 15);
        return label;
    };
    auto edit = [&](const char* text, int left, int width, int maxLength) {
        auto* editor = new QLineEdit(QString::fromLatin1(text), pnl_QSODefaults);
        editor->setFont(arial);
        editor->setGeometry(left, 54, width, 22);
        if (maxLength > 0)
            editor->setMaxLength(maxLength);
        return editor;
    };
    lblFrequencyCaption = caption("Frequency", 90);
    edtFrequency = edit("0", 90, 80, 12);
    lblModeCaption = caption("Mode", 176);
    cboMode = new QComboBox(pnl_QSODefaults);
    cboMode->setFont(arial);
    cboMode->setGeometry(176, 54, 72, 22);
    for (const std::string& mode : TAdifModes::LogModes()) cboMode->addItem(ToQt(mode));
    lblPowerCaption = caption("Power", 254);
    edtPower = edit("", 254, 50, 6);
    lblSRSTCaption = caption("S-RST", 310);
    edtSRST = edit("599", 310, 46, 6);
    lblRRSTCaption = caption("R-RST", 362);
    edtRRst = edit("599", 362, 46, 6);
    Shape2 = new QFrame(pnl_QSODefaults);
    Shape2->setGeometry(8, 79, 400, 4);
    Colour(Shape2, Qt::black);

    memFromFcc = new QPlainTextEdit(pnl_QSODefaults);
    memFromFcc->setReadOnly(true);
    memFromFcc->setGeometry(423, 31, 180, 28);
    btnCallData = new QPushButton(QStringLiteral("Get info from CD"), pnl_QSODefaults);
    btnCallData->setGeometry(428, 61, 110, 22);
}

void TfrmLogGUI_1::BuildGridPanel() {
    pnlContainsQSOGrid = new QWidget(this);
    Colour(pnlContainsQSOGrid, InfoBk());
    lblQsos = BlueLabel(pnlContainsQSOGrid, QStringLiteral("QSOs"));
    lblQsos->setFont(SansFont(12, true));
    lblQsos->setGeometry(15, 3, 40, 16);
    btnBeginQso = new QPushButton(QStringLiteral("Start"), pnlContainsQSOGrid);
    btnBeginQso->setGeometry(60, 1, 50, 20);
    btnBeginQso->setFocusPolicy(Qt::NoFocus);
    Button1 = new QPushButton(QStringLiteral("End"), pnlContainsQSOGrid);
    Button1->setGeometry(115, 1, 50, 20);
    Button1->setToolTip(QStringLiteral("Click to mark end time for selected row (QSO)"));
    Button1->setFocusPolicy(Qt::NoFocus);
    btnCountry = new QPushButton(QStringLiteral("Country"), pnlContainsQSOGrid);
    btnCountry->setGeometry(170, 1, 60, 20);
    btnCountry->hide();
    strGridQSOS = new TQsoGrid(pnlContainsQSOGrid);
    strGridQSOS->setGeometry(15, 23, 588, 250);
    strGridQSOS->setFont(SansFont(11));
    BaseColour(strGridQSOS, InfoBk());
    strGridQSOS->EntryRow = [this] { return GridRowCount - 1; };
    shpCursor = new QLabel(pnlContainsQSOGrid);
    shpCursor->setPixmap(Ellipse(10, 9));
    shpCursor->setGeometry(5, 30, 10, 9);
}

void TfrmLogGUI_1::BuildTextPanel() {
    pnlQSOText = new QWidget(this);
    Colour(pnlQSOText, InfoBk());
    pnlQSOText->setMinimumHeight(90);
    Label2 = BlueLabel(pnlQSOText, QStringLiteral("QSO Text"));
    Label2->setToolTip(QStringLiteral("Here you may enter your text for each QSO"));
    Label2->setFont(SansFont(12, true));
    Label2->setGeometry(15, 12, 80, 16);
    Memo1 = new QPlainTextEdit(pnlQSOText);
    Memo1->setGeometry(15, 36, 365, 89);
    Memo1->setFont(SansFont(13, true));
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    BaseColour(Memo1, QColor(0xC0, 0xC0, 0xC0));
    memPreviousQsos = new QPlainTextEdit(pnlQSOText);
    memPreviousQsos->setReadOnly(true);
    memPreviousQsos->setFont(SansFont(12));
    memPreviousQsos->setGeometry(395, 36, 200, 89);
    BaseColour(memPreviousQsos, QColor(0xC0, 0xC0, 0xC0));
    lblStatus = new QLabel(pnlQSOText);
    lblStatus->setGeometry(15, 119, 200, 14);
    auto grey = [this](const char* text) {
        auto* label = new QLabel(QString::fromLatin1(text), pnlQSOText);
        QPalette palette = label->palette();
        palette.setColor(QPalette::WindowText, Qt::darkGray);
        label->setPalette(palette);
        label->setFont(SansFont(10));
        label->adjustSize();
        return label;
    };
    lblGotoQSOText = grey("(F7 = Go to QSO Text)");
    lblGoCallCOl = grey("(F8 = Go to Call Column)");
    lblGoCallCOl->setMinimumWidth(lblGoCallCOl->width());
    lblSave = new QLabel(pnlQSOText);
    lblSave->setGeometry(0, 0, 40, 14);
    lblSave->hide();
    btnSave = new QPushButton(QStringLiteral("&Save"), pnlQSOText);
    btnSave->setGeometry(0, 5, 60, 25);
    btnSave->hide();
    lstboxCountry = new QListWidget(pnlQSOText);
    lstboxCountry->setGeometry(0, 0, 100, 60);
    lstboxCountry->hide();
}

void TfrmLogGUI_1::ConnectControls() {
    connect(Exit1, &QAction::triggered, this, [this] { Exit1Click(); });
    connect(FindQSObyDate1, &QAction::triggered, this, [this] { FindQSObyDate1Click(); });
    connect(FindCallincurrentselection1, &QAction::triggered, this,
            [this] { FindCallincurrentselection1Click(); });
    connect(SearchNext1, &QAction::triggered, this, [this] { SearchNext1Click(); });
    connect(ExporttoTextFile1, &QAction::triggered, this, [this] { ExporttoTextFile1Click(); });
    connect(ExportADIF1, &QAction::triggered, this, [this] { ExportADIF1Click(); });
    connect(ImportADIF1, &QAction::triggered, this, [this] { ImportADIF1Click(); });
    connect(CheckDatabase1, &QAction::triggered, this, [this] { CheckDatabase1Click(); });
    connect(RadioandWSJTX1, &QAction::triggered, this, [this] { RadioandWSJTX1Click(); });
    connect(AbouttheTrambleQSOlogprogram1, &QAction::triggered, this,
            [this] { AbouttheTrambleQSOlogprogram1Click(); });
    connect(AFewHints1, &QAction::triggered, this, [this] { AFewHints1Click(); });
    connect(tlbtnExpFile, &QToolButton::clicked, this, [this] { tlbtnExpFileClick(); });
    connect(tlbbtnPrint, &QToolButton::clicked, this, [this] { tlbbtnPrintClick(); });
    connect(ToolButton1, &QToolButton::clicked, this, [this] { ToolButton1Click(); });
    connect(tlbbtnFindCall, &QToolButton::clicked, this, [this] { tlbbtnFindCallClick(); });
    connect(ToolButton3, &QToolButton::clicked, this, [this] { ToolButton3Click(); });
    connect(btnCallData, &QPushButton::clicked, this, [this] { btnCallDataClick(); });
    connect(btnCountry, &QPushButton::clicked, this, [this] { btnCountryClick(); });
    connect(btnBeginQso, &QPushButton::clicked, this, [this] { btnBeginQsoClick(); });
    connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });

    connect(strGridQSOS, &TQsoGrid::currentCellChanged, this,
            [this](int, int, int, int) { strGridQSOSClick(); });
    connect(strGridQSOS, &TQsoGrid::cellDoubleClicked, this,
            [this](int, int) { strGridQSOSDblClick(); });
    connect(strGridQSOS, &TQsoGrid::EditTextChanged, this,
            [this](int col, int row, const QString& text) {
                // The cell follows its editor keystroke by keystroke. The
                // character test may show a message box: it runs once the
                // keystroke is done, not inside the editor's own signal.
                SetCells(col, row, FromQt(text));
                QMetaObject::invokeMethod(
                    this,
                    [this, col, row, text] { strGridQSOSSetEditText(col, row, FromQt(text)); },
                    Qt::QueuedConnection);
            });
    strGridQSOS->KeyHook = [this](int key) {
        switch (key) {
            case Qt::Key_Return:
            case Qt::Key_Enter:
            case Qt::Key_F7:
            case Qt::Key_F8:
            case Qt::Key_Home:
            case Qt::Key_End:
                strGridQSOSKeyDown(key == Qt::Key_Enter ? Qt::Key_Return : key);
                return true;
            case Qt::Key_Tab:
            case Qt::Key_Backtab:
                strGridQSOSKeyDown(Qt::Key_Tab);
                return false;  // the grid moves on after the value check
            default:
                return false;
        }
    };

    connect(edtFrequency, &QLineEdit::textChanged, this, [this] { edtFrequencyChange(); });
    connect(cboMode, &QComboBox::activated, this, [this](int) { cboModeChange(); });
    connect(edtPower, &QLineEdit::textChanged, this, [this] { edtPowerChange(); });
    connect(edtRRst, &QLineEdit::textChanged, this, [this] { edtRRstChange(); });
    connect(edtUTCShift, &QLineEdit::textChanged, this, [this] { edtUTCShiftChange(); });
    for (QWidget* editor :
         std::initializer_list<QWidget*>{edtFrequency, cboMode, edtPower, edtSRST, edtRRst, Memo1})
        editor->installEventFilter(this);
    connect(Memo1, &QPlainTextEdit::textChanged, this, [this] {
        // The memo holds at most kMaxMemoLength characters.
        const QString text = Memo1->toPlainText();
        if (text.size() > kMaxMemoLength) {
            QTextCursor cursor = Memo1->textCursor();
            Memo1->setPlainText(text.left(kMaxMemoLength));
            cursor.movePosition(QTextCursor::End);
            Memo1->setTextCursor(cursor);
        }
    });
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) {
        // Enter/exit follow the window's active control: focus that leaves
        // for a message box or another window changes nothing here.
        if (now == nullptr || now->window() != this)
            return;
        auto control = [this](QWidget* w) -> QWidget* {
            for (; w != nullptr; w = w->parentWidget()) {
                if (w == strGridQSOS || w == Memo1 || w == edtFrequency || w == edtPower ||
                    w == edtSRST || w == edtRRst || w == edtUTCShift || w == cboMode)
                    return w;
            }
            return nullptr;
        };
        QWidget* next = control(now);
        QWidget* previous = activeControl_;
        if (next == previous)
            return;
        activeControl_ = next;
        if (previous == strGridQSOS)
            strGridQSOSExit();
        else if (previous == Memo1)
            Memo1Exit();
        else if (previous == edtFrequency)
            edtFrequencyExit();
        else if (previous == edtPower)
            edtPowerExit();
        else if (previous == edtSRST)
            edtSRSTExit();
        else if (previous == edtRRst)
            edtRRstExit();
        else if (previous == edtUTCShift)
            edtUTCShiftExit();
        if (next == strGridQSOS)
            strGridQSOSEnter();
        else if (next == Memo1)
            Memo1Enter();
    });
    connect(strGridQSOS->verticalScrollBar(), &QScrollBar::valueChanged, this,
            [this] { UpdateCursorMark(); });
    pnlContainsQSOGrid->installEventFilter(this);
    pnlQSOText->installEventFilter(this);
    pnl_QSODefaults->installEventFilter(this);
}

bool TfrmLogGUI_1::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Resize) {
        // The panels get their sizes from the window's layout after the
        // window's own resize: every panel resize lays the controls out again.
        if (watched == pnlContainsQSOGrid || watched == pnlQSOText || watched == pnl_QSODefaults)
            FormResize();
    } else if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (watched == Memo1) {
            if (key == Qt::Key_F8) {
                Memo1KeyDown(key);
                return true;
            }
        } else if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            PanelEditorKeyDown(static_cast<QWidget*>(watched), Qt::Key_Return);
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

// ---------------------------------------------------------------- grid access

void TfrmLogGUI_1::CheckDatabase1Click() {
    if (BlockProc != 0)
        return;
    CheckSave();
    if (frmDatabaseCheck != nullptr)
        RunModal(*frmDatabaseCheck);
}

void TfrmLogGUI_1::ToolButton3Click() {
    if (BlockProc != 0)
        return;
    CheckSave();
    CheckDatabase1Click();
}
