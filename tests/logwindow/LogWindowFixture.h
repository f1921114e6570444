// The log window under test: a fresh database with the log's tables in a
// temporary directory under /dev/shm (the current directory while a test
// runs), scripted dialogs and a stand-in for the machine (clock, memory, OS
// version, instance lock). The window is shown offscreen, so its show handler
// runs the real start-up.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>

#include "logwindow/TForm3.h"
#include "logwindow/TQsoGrid.h"
#include "logwindow/TfrmLogGUI_1.h"
#include "platform/TClock.h"
#include "platform/TInstanceMutex.h"
#include "platform/TMemoryStatus.h"
#include "platform/TOSVersion.h"
#include "platform/TScriptedDialogs.h"
#include "records/RecordsFixture.h"

// The offscreen application every window test needs.
void EnsureApp();

class TTestMachine : public TClock, public TMemoryStatus, public TOSVersion, public TInstanceMutex {
public:
    TLocalDateTime Time{2024, 5, 17, 12, 0, 0, 0};
    uint32_t TickStep = 1;  // per reading of the tick counter
    TMemoryStatusInfo Memory{4000000000ULL, 8000000000ULL, 4000000000ULL};
    int OSMajor = 5;
    int Releases = 0;  // of a held instance lock
    bool Holding = true;

    TLocalDateTime Now() const override { return Time; }
    uint32_t TickCount() const override { return ticks_ += TickStep; }
    TMemoryStatusInfo Query() const override { return Memory; }
    int Major() const override { return OSMajor; }
    bool Wait(uint32_t) override { return Holding = true; }
    void Release() override { Releases += Holding ? 1 : 0, Holding = false; }
    bool Held() const override { return Holding; }
    void Set(int hour, int minute, int day = 17) { Time = {2024, 5, day, hour, minute, 0, 0}; }

private:
    mutable uint32_t ticks_ = 1000;
};

struct TSeedQSO {
    std::string Date, Call, Start;
    std::string Text = "";  // stored as the contact's text when not empty
};

// Rows after the start-up (oldest first): 1 W1AW, 2 DL1ABC, 3 W1AW, 4 K1ABC; 5 the entry row.
inline const std::vector<TSeedQSO> kFourContacts = {{"05/10/2024", "W1AW", "10:00", "first chat"},
                                                    {"05/11/2024", "DL1ABC", "11:00", ""},
                                                    {"05/12/2024", "W1AW", "12:00", "second chat"},
                                                    {"05/16/2024", "K1ABC", "09:00", ""}};

class LogWindowTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Stores contacts into the closed database file (before Start()).
    void Seed(const std::vector<TSeedQSO>& contacts);
    // Creates the window and shows it: the start-up runs.
    void Start();
    // Closes the window as the operator does (close query, close).
    void Close() { w->FormCloseQuery(), w->FormClose(); }
    // Opens the database the window closed, and closes it again.
    void Reopen();
    void Shut();
    // The contacts of a day in the open database, all or those with a call.
    std::vector<TQSO> Stored(const std::string& call = "", const std::string& date = "05/17/2024");
    // The stored contacts of a day as "call start frequency power #id 'text'", sorted, "; "
    // between them.
    std::string Log(const std::string& date = "05/17/2024");
    std::string StoredText(int32_t id);
    std::string Setting(const std::string& key);
    void SaveSettings(const std::vector<std::pair<const char*, const char*>>& settings);
    static void Script(const std::string& sql);
    // Types text into the cell under the cursor, keystroke by keystroke, as
    // the cell editor reports it. The editor opens with its text selected, so
    // the first keystroke replaces it unless appending.
    void Type(const std::string& text);
    // Replaces the text of the cell under the cursor as one edit.
    void Edit(const std::string& text) { Set(w->Col(), w->Row(), text, true); }
    void Set(int col, int row, const std::string& text, bool edited = false);
    void Key(int key) { w->strGridQSOSKeyDown(key); }
    void Move(int col, int row) { w->SetCurrentCell(col, row); }
    int EntryRow() const { return w->GridRowCount - 1; }
    std::string Cell(int col, int row) const { return w->Cells(col, row); }
    // Cells joined by blanks: a block, a column below the header, part of a row.
    std::string Span(int col0, int row0, int col1, int row1) const;
    std::string Column(int col) const { return Span(col, 1, col, EntryRow()); }
    std::string RowText(int row, int col0 = 0, int col1 = 22) const {
        return Span(col0, row, col1, row);
    }
    // The station panel: frequency, power, S-RST, R-RST, UTC shift, mode.
    std::string Panel() const;

    std::string dir_;
    std::string oldDir_;
    TTestMachine machine_;
    std::unique_ptr<TScriptedDialogs> dialogs_;
    std::unique_ptr<TfrmLogGUI_1> window_;
    std::unique_ptr<TForm3> alert_;
    TfrmLogGUI_1* w = nullptr;
    int modalRuns_ = 0;
};
