// The log window under test: a fresh database with the log's tables in a
// temporary directory under /dev/shm (the current directory while a test
// runs), scripted dialogs, a settable clock and memory/OS doubles. The window
// is shown offscreen, so its show handler runs the real start-up.
#pragma once

#include <gtest/gtest.h>

#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "logwindow/TForm3.h"
#include "logwindow/TQsoGrid.h"
#include "logwindow/TfrmLogGUI_1.h"
#include "platform/TClock.h"
#include "platform/TInstanceMutex.h"
#include "platform/TMemoryStatus.h"
#include "platform/TOSVersion.h"
#include "platform/TScriptedDialogs.h"
#include "records/TQSO.h"

class TTestClock : public TClock {
public:
    TLocalDateTime Time;
    mutable std::deque<uint32_t> Ticks;  // answered first; then a counter
    TLocalDateTime Now() const override { return Time; }
    uint32_t TickCount() const override {
        if (!Ticks.empty()) {
            const uint32_t t = Ticks.front();
            Ticks.pop_front();
            return t;
        }
        return ++counter_;
    }
    void Set(int year, int month, int day, int hour, int minute) {
        Time = TLocalDateTime{year, month, day, hour, minute, 0, 0};
    }

private:
    mutable uint32_t counter_ = 1000;
};

class TTestMemory : public TMemoryStatus {
public:
    TMemoryStatusInfo Info{4000000000ULL, 8000000000ULL, 4000000000ULL};
    TMemoryStatusInfo Query() const override { return Info; }
};

class TTestOSVersion : public TOSVersion {
public:
    int MajorVersion = 5;
    int Major() const override { return MajorVersion; }
};

class TTestMutex : public TInstanceMutex {
public:
    int Releases = 0;
    bool held = true;
    bool Wait(uint32_t) override { return held = true; }
    void Release() override {
        if (held)
            ++Releases;
        held = false;
    }
    bool Held() const override { return held; }
};

struct TSeedQSO {
    std::string Date, Call, Start;
    std::string Text;  // stored as the contact's text when not empty
};

class LogWindowTest : public ::testing::Test {
protected:
    static void SetUpTestSuite();
    static void TearDownTestSuite();
    void SetUp() override;
    void TearDown() override;

    // Stores contacts into the closed database file (before Start()).
    void Seed(const std::vector<TSeedQSO>& contacts);
    // Creates the window and shows it: the start-up runs.
    TfrmLogGUI_1& Start();
    // Closes the window as the operator does (close query, close).
    void Close();
    // Opens the database again after the window closed it.
    void Reopen();
    // What the database holds (the database must be open).
    std::vector<TQSO> StoredOn(const std::string& date);
    std::vector<TQSO> StoredByCall(const std::string& call);
    std::string StoredText(int32_t id);
    std::string Setting(const std::string& key);
    void SaveSetting(const std::string& key, const std::string& value);
    // Types text into the cell under the cursor, keystroke by keystroke, as
    // the cell editor reports it. The editor opens with its text selected, so
    // the first keystroke replaces it unless appending.
    void Type(const std::string& text, bool append = false);
    // Replaces the text of the cell under the cursor as one edit.
    void Edit(const std::string& text);
    void Key(int key) { w->strGridQSOSKeyDown(key); }
    void Move(int col, int row) { w->SetCurrentCell(col, row); }
    int EntryRow() const { return w->GridRowCount - 1; }
    std::string Cell(int col, int row) const { return w->Cells(col, row); }
    // The number of stored contacts with that call sign.
    size_t CountCall(const std::string& call) { return StoredByCall(call).size(); }

    std::string dir_;
    std::string oldDir_;
    TTestClock clock_;
    TTestMemory memory_;
    TTestOSVersion os_;
    TTestMutex mutex_;
    std::unique_ptr<TScriptedDialogs> dialogs_;
    std::unique_ptr<TfrmLogGUI_1> window_;
    std::unique_ptr<TForm3> alert_;
    TfrmLogGUI_1* w = nullptr;
    bool halted_ = false;
    int modalRuns_ = 0;
};
