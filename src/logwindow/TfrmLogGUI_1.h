// The main log window: the contact grid with its entry row, the station
// defaults panel, the contact text memo, menus and tool bar. Start-up (the
// show handler) checks resources, opens and checks db_default.sib and loads
// the contacts of today and DaysToShow days before it, oldest first.
//
// Grid addressing: Cells(col, row) with row 0 = the grid's header row, rows
// 1 .. GridRowCount - 2 = contacts, row GridRowCount - 1 = the entry row.
// Columns 0-2 (Date, Start, End) are fixed; 9, 12 and 18 are hidden.
#pragma once

#include <QMainWindow>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "logwindow/TDefaults.h"
#include "logwindow/TFindCommands.h"
#include "logwindow/TGridDays.h"
#include "records/TQSO.h"
#include "records/TQSOs.h"

class QAction;
class QComboBox;
class QDialog;
class QFrame;
class QLabel;
class QLineEdit;
class QListWidget;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QSplitter;
class QToolBar;
class QToolButton;
class TQsoGrid;
class TRigFollower;
class TRigSettings;
class TWsjtxContactStore;
class TWsjtxListener;

class TfrmLogGUI_1 : public QMainWindow {
    Q_OBJECT

public:
    // Grid columns.
    enum : int {
        colDate = 0,
        colStart = 1,
        colEnd = 2,
        colCall = 3,
        colFrequency = 4,
        colSRST = 5,
        colRRST = 6,
        colPower = 7,
        colMode = 8,
        colLogID = 9,
        colRQSL = 10,
        colSQSL = 11,
        colQsoID = 12,
        colCountry = 13,
        colZone = 14,
        colCounty = 15,
        colGrid = 16,
        colQSLManager = 17,
        colLayout = 18,
        colContest1 = 19,
        colContest2 = 20,
        colContest3 = 21,
        colContest4 = 22,
        kColumnCount = 23,
        kFixedCols = 3
    };
    static constexpr int kMaxMemoLength = 10000;
    static constexpr const char* kTypeCall = "TYPECALL";

    explicit TfrmLogGUI_1(QWidget* parent = nullptr);
    ~TfrmLogGUI_1() override;

    // ---- Controls ----
    QWidget* pnl_QSODefaults = nullptr;
    QToolBar* tlbMain = nullptr;
    QToolButton* tlbtnExpFile = nullptr;
    QToolButton* tlbbtnPrint = nullptr;
    QToolButton* ToolButton1 = nullptr;
    QToolButton* tlbbtnFindCall = nullptr;
    QToolButton* ToolButton3 = nullptr;
    QLabel* lblUTCShift = nullptr;
    QLineEdit* edtUTCShift = nullptr;
    QFrame* Shape1 = nullptr;
    QFrame* Shape2 = nullptr;
    QLabel* lblForNewQsos = nullptr;
    QLabel* lblFrequencyCaption = nullptr;
    QLabel* lblModeCaption = nullptr;
    QLabel* lblPowerCaption = nullptr;
    QLabel* lblSRSTCaption = nullptr;
    QLabel* lblRRSTCaption = nullptr;
    QLineEdit* edtFrequency = nullptr;
    QComboBox* cboMode = nullptr;
    QLineEdit* edtPower = nullptr;
    QLineEdit* edtSRST = nullptr;
    QLineEdit* edtRRst = nullptr;
    QPlainTextEdit* memFromFcc = nullptr;
    QPushButton* btnCallData = nullptr;

    QSplitter* Splitter1 = nullptr;
    QWidget* pnlContainsQSOGrid = nullptr;
    QLabel* lblQsos = nullptr;
    QPushButton* btnBeginQso = nullptr;
    QPushButton* Button1 = nullptr;
    QPushButton* btnCountry = nullptr;
    QLabel* shpCursor = nullptr;
    TQsoGrid* strGridQSOS = nullptr;

    QWidget* pnlQSOText = nullptr;
    QLabel* Label2 = nullptr;
    QPlainTextEdit* Memo1 = nullptr;
    QPlainTextEdit* memPreviousQsos = nullptr;
    QLabel* lblStatus = nullptr;
    QLabel* lblGotoQSOText = nullptr;
    QLabel* lblGoCallCOl = nullptr;
    QLabel* lblSave = nullptr;
    QPushButton* btnSave = nullptr;
    QListWidget* lstboxCountry = nullptr;

    QMenu* File1 = nullptr;
    QMenu* Find1 = nullptr;
    QMenu* Tools1 = nullptr;
    QMenu* Help1 = nullptr;
    QAction* OpenSpecificLog1 = nullptr;
    QAction* CloseLog1 = nullptr;
    QAction* Exit1 = nullptr;
    QAction* FindQSObyDate1 = nullptr;
    QAction* FindCallincurrentselection1 = nullptr;
    QAction* SearchNext1 = nullptr;
    QAction* ExporttoTextFile1 = nullptr;
    QAction* ExportADIF1 = nullptr;
    QAction* ImportADIF1 = nullptr;
    QAction* CheckDatabase1 = nullptr;
    QAction* RadioandWSJTX1 = nullptr;
    QLabel* lblRig = nullptr;  // "Rig: 14.074 MHz USB"
    QAction* AbouttheTrambleQSOlogprogram1 = nullptr;
    QAction* AFewHints1 = nullptr;

    // ---- Window state ----
    int32_t AppFailed = 0;
    int32_t BlockProc = 0;
    int32_t Loading = -1;
    int32_t InGridClick = 0;
    int32_t InGridKeyDown = 0;
    int32_t SavingRow = 0;
    int32_t GridRowCount = 1;
    int32_t DaysToShow = 0;
    int32_t UTCShiftHours = 0;
    std::unique_ptr<TQSO> CurrentQSO;
    std::unique_ptr<TQSO> CompareQSO;
    std::unique_ptr<TQSOs> QSOList;
    TDefaults CurrentDefaults;
    int32_t LastRow = 0;
    int32_t LastCol = 0;
    std::string SavedCall;
    std::string SavedDate;
    std::string SavedFrequency;
    std::string MemoTextOnEnter;
    std::string SavedText;

    // Set when the application was told to terminate (the quit is queued to
    // the event loop).
    bool TerminateRequested = false;
    // The process's exit status once the loop ends: 1 when the log file
    // could not be opened.
    int ExitStatus = 0;
    // Ends the process at once (an exception during start-up); tests replace it.
    std::function<void()> HaltProcess;
    // Runs a modal window; tests replace it so nothing blocks.
    std::function<int(QDialog&)> RunModal;

    // ---- Grid access (row 0 = header row) ----
    std::string Cells(int col, int row) const;
    void SetCells(int col, int row, const std::string& text);
    int Row() const;
    int Col() const;
    // Moves the grid's cursor; the click handler runs as for a cursor move.
    void SetCurrentCell(int col, int row);
    int RowCount() const;
    void SetRowCount(int rows);
    std::string MemoText() const;  // Memo1's text, lines joined by CR LF
    void SetMemoText(const std::string& text);

    // ---- Start-up and shutdown ----
    void FormCreate();
    void FormShow();
    void FormCloseQuery();
    void FormClose();
    void Exit1Click();
    int32_t SetupEnvironment();
    int32_t ResourceCheck();
    static int32_t MeasureSpeed();
    static std::string LocateDatabaseFile();
    void ShutdownLog();
    void ReloadGrid();
    void LoadGridRows();  // steps 11-13 of the start-up: load, sort, entry row
    void TerminateApplication();

    // ---- Layout and drawing ----
    int32_t SetUPQSoGridHeader();
    int32_t DimensionHeader();
    int32_t FillQSORow(int row, int mode);
    void FormResize();
    void pnlContainsQSOGridResize();
    void pnlQSOTextResize();
    void UpdateCursorMark();

    // ---- Editing, navigation and saving ----
    int32_t PopQSOFromGrid(TQSO& record, int row);
    void PopGridFromQSOObject(const TQSO& record, int row);
    // The cells of one contact row; the row must exist.
    void FillGridRow(const TQSO& record, int row);
    // The cells of a contact row packed as the grid keeps them.
    std::string PackedGridRow(const TQSO& record) const;
    static void FillQsoDataRow(const TQSO& source, TQSO& target);
    static int32_t QsosAreDifferent(const TQSO& a, const TQSO& b);
    int32_t MarkInvalidEntries(int row);
    int32_t SaveQSORow(int row);
    void AdvanceAfterSave(int row);
    void HiddenColumnSkip();
    void strGridQSOSClick();
    void strGridQSOSKeyDown(int key);
    void strGridQSOSSetEditText(int col, int row, const std::string& value);
    void strGridQSOSEnter();
    void strGridQSOSExit();
    void strGridQSOSDblClick() {}
    void ForceEnterKey(int key);
    void CheckSave();
    void btnBeginQsoClick();
    void Button1Click();
    void CheckDatabase1Click();
    void ToolButton3Click();

    // ---- Validation (grid and panel) ----
    static int32_t IsValidData(int col, const std::string& value);
    static int32_t IsValidZone(const std::string& value);
    int32_t IsValidRST(const std::string& value, int row) const;
    int32_t IsValidDefaultRST(const std::string& value) const;
    static int32_t IsValidPower(const std::string& value);
    static int32_t IsValidLogID(const std::string& value);
    int32_t IsValidMode(const std::string& value) const;
    static int32_t IsValidQSL(const std::string& value);
    static int32_t IsInBand(const std::string& value);
    static int32_t IsNumeric(const std::string& value);
    static int32_t IsNumericEx(const std::string& value);
    static int32_t IsNumericEx2(const std::string& value);
    void DisplayInvalidDataMessage(int col);

    // ---- Station defaults and UTC shift ----
    int32_t SetupDefaults(const std::string& frequency, const std::string& power,
                          const std::string& mode, const std::string& rrst, const std::string& srst,
                          const std::string& utcShift);
    int GetModeIndex(const std::string& mode) const;
    int32_t GetExistingDefaults(TDefaults& defaults);
    int32_t GetCurrentDefaults(TDefaults& defaults);
    int32_t SaveDefaults(const TDefaults& defaults);
    int32_t SaveDefaultValue(const std::string& key, const std::string& value);
    void edtFrequencyChange();
    void cboModeChange();
    void edtPowerChange();
    void edtRRstChange() {}
    void edtFrequencyExit();
    void edtPowerExit();
    void edtSRSTExit();
    void edtRRstExit();
    void edtUTCShiftExit();
    void edtUTCShiftChange();
    // Enter in a panel editor moves the focus to the next one, the last to the grid.
    void PanelEditorKeyDown(QWidget* editor, int key);

    // ---- Contact text ----
    std::string GetQSOMemo(int row);
    int32_t AddQSOMemo(int row);
    void Memo1Enter();
    void Memo1Exit();
    void Memo1KeyDown(int key);

    // The UTC date ("mm/dd/yyyy") and time ("hh:mm") of now plus the shift.
    void UtcStamp(std::string& date, std::string& time) const;
    // The date that loading counts back from (today, or a day on either side).
    std::string UtcBaseDate(int daysBack) const;

    // Feature commands (TfrmLogGUI_1Features.cpp)
    // -----------------------------------------------------------------
    // Country list from the built-in prefix table (called by SetupEnvironment).
    void FillCountryList();
    // The country of the call sign in column 3 of the current row into
    // `country`; 0 when one was found. The caller writes the cell.
    int32_t GetCountry(std::string& country);
    void btnCountryClick();
    // Text for memPreviousQsos: the earlier contacts with that station.
    std::string GetPreviousQSOs(const std::string& call);
    void btnCallDataClick();
    void FindQSObyDate1Click();
    void FindCallincurrentselection1Click();
    void tlbbtnFindCallClick();
    void SearchNext1Click();
    void ExporttoTextFile1Click();
    void tlbtnExpFileClick();
    // ADIF export and import (TAdifCommands.cpp); the import reloads the grid.
    void ExportADIF1Click();
    void ImportADIF1Click();
    void tlbbtnPrintClick();
    void ToolButton1Click();
    void AbouttheTrambleQSOlogprogram1Click();
    void AFewHints1Click();
    // SearchCall / SearchRow of the Find menu.
    TFindCommands FindCommands;

    // Radio and WSJT-X (TfrmLogGUI_1Station.cpp)
    // -----------------------------------------------------------------
    std::unique_ptr<TRigFollower> RigFollower;
    std::unique_ptr<TWsjtxContactStore> WsjtxStore;
    std::unique_ptr<TWsjtxListener> WsjtxListener;
    // Reads the stored settings and starts following the radio and
    // listening for contacts as they say.
    void StartStationLinks();
    void StopStationLinks();
    void ApplyStationSettings(const TRigSettings& settings);
    void RadioandWSJTX1Click();
    // A contact stored from WSJT-X: shown above the entry row with its
    // earlier contacts.
    void ShowReportedContact(const TQSO& qso);

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildWindow();
    void BuildMenus();
    void BuildDefaultsPanel();
    void BuildGridPanel();
    void BuildTextPanel();
    void BuildStationControls();
    void ConnectControls();
    void LowMemoryStop();
    void ArriveOnEntryRow();
    bool LowMemory() const;
    void ShowRowControls(bool contactRow);
    void RefreshSavedFromRow(int row);
    void FillEmptyCountry();
    void EnterKey(bool stampStart);
    // The key handler's guarded work; false when the guards or a fatal stop
    // ended it before any key was acted on.
    bool RunGridKey(int key, bool byOperator);
    // The database is gone: say so, free it and the working records, end.
    void NoDatabaseStop();
    // Frees the database and the working records, lets go of the instance
    // lock and ends: the common tail of the start-up's stops.
    void StopWithoutDatabase();
    // The log's tables are missing or malformed: say which and how to
    // repair them, free the database, end. False when they are all sound.
    bool LogTablesStop();
    // Starts the database; when the file cannot be opened (read-only, held
    // by another program), says why and ends with status 1. False when started.
    bool OpenProblemStop(const std::string& path);
    void RestoreEditor(QLineEdit* editor, const std::string& startValue,
                       const std::string& fallback);

    QWidget* activeControl_ = nullptr;  // the control that last had the focus
    bool shown_ = false;
    bool rebuilding_ = false;  // the grid is refilled: cursor moves are no clicks
    TGridDays gridDays_;       // the rows of the days last loaded
    bool restoringEditor_ = false;
    bool closing_ = false;
    // The last save was refused for want of room, and the operator told so.
    bool saveRefusedFull_ = false;
};

extern TfrmLogGUI_1* frmLogGUI_1;
