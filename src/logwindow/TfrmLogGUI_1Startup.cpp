// The log window's start and end: the machine checks, the database and its
// integrity check, the backup and the log's tables, loading the last days,
// and the closing that stores the row under the cursor and the defaults.
// The log window: controls, start-up and shutdown, layout and resizing.
#include <unistd.h>

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDate>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QTimer>
#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <filesystem>

#include "kernel/TDbKernel.h"
#include "logfile/TLogStartup.h"
#include "logwindow/Latin1.h"
#include "logwindow/TForm3.h"
#include "logwindow/TQsoGrid.h"
#include "logwindow/TfrmDatabaseCheck.h"
#include "logwindow/TfrmLogGUI_1.h"
#include "platform/TBusyCursor.h"
#include "platform/TClock.h"
#include "platform/TDbOpenProblem.h"
#include "platform/TDialogs.h"
#include "platform/TEventPump.h"
#include "platform/TInstanceMutex.h"
#include "platform/TMemoryStatus.h"
#include "platform/TMessageFloodGuard.h"
#include "platform/TOSVersion.h"
#include "records/TLogCheck.h"
#include "records/TLogTables.h"
#include "schema/TDatabase.h"

namespace {

const char* const kNoDatabaseFile =
    "Database file could not be located. Please check to be sure the database file is "
    "available.";

}  // namespace

void TfrmLogGUI_1::FormCreate() {
    Memo1->hide();
    Label2->hide();
    lblGoCallCOl->hide();
    lblGotoQSOText->hide();
    memPreviousQsos->hide();
    AppFailed = 0;
    Loading = -1;
    BlockProc = 0;
    InGridClick = 0;
    InGridKeyDown = 0;
}

void TfrmLogGUI_1::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (shown_)
        return;  // restoring a minimised window is no new start
    shown_ = true;
    FormShow();
}

void TfrmLogGUI_1::TerminateApplication() {
    TerminateRequested = true;
    // The loop may not run yet while the window is first shown: queue the quit.
    QMetaObject::invokeMethod(
        qApp, [status = ExitStatus] { QCoreApplication::exit(status); }, Qt::QueuedConnection);
}

void TfrmLogGUI_1::FormShow() {
    try {
        TMessageFloodGuard once;  // a damaged chain shows its message once
        CurrentQSO = std::make_unique<TQSO>();
        CompareQSO = std::make_unique<TQSO>();
        bool failed = false;

        const int32_t code = ResourceCheck();
        if (code >= 2) {
            AppFailed = -1;
            if (code == 4)
                Dialogs().ShowMessage(
                    "Sorry: This application requires a processing speed of at least 450 Mhz. "
                    "It appears that your computer is not capable of this speed.");
            else if (code == 3)
                Dialogs().ShowMessage(
                    "Problem: This application requires at least 64 Megabytes of physical "
                    "memory.  It appears that your machine does not have the minimum amount of "
                    "memory.");
            else
                Dialogs().ShowMessage(
                    "You do not have a large enough paging file for this application.  Please "
                    "increase the size of your paging file (In your virtual memory system "
                    "setup)  before using this program. ");
            ReleaseAppMutex();
            TerminateApplication();
            failed = true;
        } else if (code == 1) {
            Dialogs().ShowMessage(
                "Your virtual memory is very marginal for this application.  Please increase "
                "the size of your system paging file.");
        }

        if (!failed) {
            const int32_t env = SetupEnvironment();
            if (AppFailed != 0)
                return;
            failed = env != 0;
        }
        std::string path;
        if (!failed) {
            delete Database;
            Database = new TDatabase();
            path = LocateDatabaseFile();
            std::error_code error;
            if (!std::filesystem::is_regular_file(path, error)) {
                AppFailed = -1;
                NoDatabaseStop();
                failed = true;
            }
        }
        if (!failed)
            failed = OpenProblemStop(path);
        if (!failed) {
            if (Form3 != nullptr) {
                Form3->Showit("Please wait while the database integrity is checked ... ");
                Form3->show();
                Form3->repaint();
            }
            std::string report;
            const int32_t check =
                DbKernel != nullptr ? TLogCheck::Run(*DbKernel, report, false) : int32_t{999};
            if (Form3 != nullptr)
                Form3->hide();
            if (check != 0) {
                Dialogs().ShowMessage(
                    "The database file shows signs of corruption. You should perform an export "
                    "to a new text file [tools menu] as soon as possible, and copy a previous "
                    "backup of the database into the application directory.");
                Dialogs().ShowMessage(TLogStartup::RestoreHint(path));
            } else if (const std::string m = TLogStartup::KeepBackup(path, std::time(nullptr));
                       !m.empty()) {
                Dialogs().ShowMessage(m);
            }
            // Logging without one of the log's tables loses contacts.
            failed = LogTablesStop();
        }
        if (!failed) {
            if (const std::string m = TLogStartup::LowRoomWarning(); !m.empty())
                Dialogs().ShowMessage(m);
            rebuilding_ = true;
            failed = SetUPQSoGridHeader() != 0;
        }
        if (!failed) {
            failed = SetupDefaults("", "", "", "", "", "") != 0;
            if (!failed) {
                TDefaults stored;
                failed = GetExistingDefaults(stored) != 0;
                CurrentDefaults = stored;
                if (!failed && !stored.Frequency.empty())
                    failed = SetupDefaults(stored.Frequency, stored.Power, stored.Mode, stored.RRst,
                                           stored.SRst, stored.UTCShift) != 0;
            }
        }
        if (!failed) {
            LoadGridRows();
            strGridQSOS->setFocus();
        }
        rebuilding_ = false;
        if (!failed)
            ArriveOnEntryRow();
        Loading = 0;
        if (!failed)
            StartStationLinks();
    } catch (...) {
        Dialogs().ShowMessage(kNoDatabaseFile);
        HaltProcess();
    }
}

int32_t TfrmLogGUI_1::SetupEnvironment() {
    if (BlockProc != 0)
        return 0;
    try {
        LastCol = 0;
        if (OSVersion().Major() != 5) {
            Dialogs().InformationBox(
                "This version of the QSO logging program will run only on "
                "Windows 2000!",
                "Tramb");
            AppFailed = -1;
            ReleaseAppMutex();
            TerminateApplication();
            return 0;
        }
        GridRowCount = 1;
        FillCountryList();
        const QScreen* screen = QGuiApplication::primaryScreen();
        if (screen != nullptr && !isMaximized()) {
            const QRect desktop = screen->virtualGeometry();
            const QRect area = screen->geometry();
            if (desktop.width() <= 640)
                setGeometry(0, 0, area.width(), area.height() - 24);
            else
                setGeometry((area.width() - 618) / 2, (area.height() - 437) / 2, 618, 437);
        }
        strGridQSOS->SetColCount(kColumnCount);
        if (DaysToShow == 0 || DaysToShow > 3650)
            DaysToShow = 180;
        return 0;
    } catch (...) {
        return 2;
    }
}

int32_t TfrmLogGUI_1::ResourceCheck() {
    int32_t code = 0;
    try {
        const TMemoryStatusInfo status = MemoryStatus().Query();
        if (status.AvailPageFile < 130000000ULL)
            code = 2;
        else if (status.TotalPageFile < 150000000ULL)
            code = 1;
        if (status.TotalPhys < 63000000ULL)
            code = 3;
        if (MeasureSpeed() > 1440)
            code = 4;
    } catch (...) {
        code = 2;
    }
    return code;
}

int32_t TfrmLogGUI_1::MeasureSpeed() {
    const uint32_t start = Clock().TickCount();
    volatile uint32_t sink = 0;
    for (uint32_t i = 0; i < 100000001u; ++i) sink = start + 10;
    (void)sink;
    const int64_t elapsed = static_cast<int64_t>(Clock().TickCount()) - static_cast<int64_t>(start);
    return elapsed > 0 ? static_cast<int32_t>(elapsed) : 0;
}

std::string TfrmLogGUI_1::LocateDatabaseFile() {
    char buffer[4096];
    std::string dir = getcwd(buffer, sizeof buffer) != nullptr ? buffer : ".";
    if (dir.size() >= 4 || dir.empty() || dir.back() != '/')
        dir += "/";
    return dir + "db_default.sib";
}

// ---------------------------------------------------------------- shutdown

void TfrmLogGUI_1::closeEvent(QCloseEvent* event) {
    FormCloseQuery();
    FormClose();
    event->accept();
}

void TfrmLogGUI_1::FormCloseQuery() {
    if (AppFailed != 0)
        return;
    TMessageFloodGuard once;
    BlockProc = -1;
    const int row = Row();
    if (row > 0 && Cells(colCall, row) != kTypeCall) {
        MarkInvalidEntries(row);
        SaveQSORow(row);
    }
    ReleaseAppMutex();
}

void TfrmLogGUI_1::FormClose() {
    if (AppFailed != 0 || closing_)
        return;
    closing_ = true;
    try {
        TMessageFloodGuard once;
        BlockProc = -1;
        StopStationLinks();
        TDefaults current;
        GetCurrentDefaults(current);
        if (SaveDefaults(current) != 0)
            Dialogs().ShowMessage("Could not save defaults");
        if (Database != nullptr && Database->ShutdownDatabase(LocateDatabaseFile()) != 0)
            Dialogs().ShowMessage("Could not shut down database engine.");
        ReleaseAppMutex();
        TerminateApplication();
    } catch (...) {
        Dialogs().ShowMessage("Unexpected operation has occurred.  Beta REF = EXIT OPERATION");
    }
}

void TfrmLogGUI_1::Exit1Click() {
    close();
}

void TfrmLogGUI_1::ShutdownLog() {
    try {
        const std::string path = LocateDatabaseFile();
        BlockProc = -1;
        EventPump().ProcessMessages();
        if (Database != nullptr)
            Database->ShutdownDatabase(path);
    } catch (...) {
    }
}

void TfrmLogGUI_1::ArriveOnEntryRow() {
    // The refilled grid is taken up from scratch: no row is left behind.
    LastRow = 0;
    strGridQSOSClick();
}

void TfrmLogGUI_1::NoDatabaseStop() {
    Dialogs().ShowMessage(kNoDatabaseFile);
    StopWithoutDatabase();
}

bool TfrmLogGUI_1::OpenProblemStop(const std::string& path) {
    if (Database->StartDatabase(path) == 0)
        return false;
    // No room on the disk, read-only, or held by another program: logging
    // there would lose every contact at its first save. Say why and end
    // without touching the file.
    AppFailed = -1;
    Dialogs().ShowMessage(TDbKernel::StartError().empty() ? TDbOpenProblem::Text(path)
                                                          : TDbKernel::StartError());
    ExitStatus = 1;
    StopWithoutDatabase();
    return true;
}

void TfrmLogGUI_1::StopWithoutDatabase() {
    delete Database;
    Database = nullptr;
    CurrentQSO.reset();
    CompareQSO.reset();
    ReleaseAppMutex();
    TerminateApplication();
}

bool TfrmLogGUI_1::LogTablesStop() {
    std::vector<std::string> missing, malformed;
    if (TLogTables::CheckLogging(missing, malformed))
        return false;
    AppFailed = -1;
    Dialogs().ShowMessage(TLogTables::Problem(missing, malformed));
    Database->ShutdownDatabase(LocateDatabaseFile());
    StopWithoutDatabase();
    return true;
}
