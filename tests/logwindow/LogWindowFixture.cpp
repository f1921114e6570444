#include "LogWindowFixture.h"

#include <unistd.h>

#include <QApplication>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "kernel/TDbKernel.h"
#include "records/TDbSystemSettings.h"
#include "records/TQSOMemos.h"
#include "records/TQSOs.h"
#include "records/TSchemaScript.h"
#include "schema/TDatabase.h"

namespace fs = std::filesystem;

namespace {

std::string gTemplate;  // a database file with the log's tables, made once

QApplication& App() {
    static int argc = 1;
    static char name[] = "logwindow_tests";
    static char* argv[] = {name, nullptr};
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    static QApplication app(argc, argv);
    return app;
}

std::string DbPath() {
    return fs::current_path().string() + "/db_default.sib";
}

void OpenDatabase() {
    delete Database;
    Database = new TDatabase();
    ASSERT_EQ(0, Database->StartDatabase(DbPath()));
}

void CloseDatabase() {
    if (Database == nullptr)
        return;
    if (TDbKernel::Base() != nullptr)
        Database->ShutdownDatabase(DbPath());
    delete Database;
    Database = nullptr;
}

}  // namespace

void LogWindowTest::SetUpTestSuite() {
    App();
    if (!gTemplate.empty())
        return;
    const std::string dir = "/dev/shm/tramb-lw-template-" + std::to_string(getpid());
    fs::create_directories(dir);
    const fs::path old = fs::current_path();
    fs::current_path(dir);
    std::ifstream in(std::string(TRAMB_TEST_DATA) + "/../../data/schema.sql");
    std::stringstream script;
    script << in.rdbuf();
    OpenDatabase();
    int carried = 0, failed = 0;
    std::string error;
    ASSERT_EQ(0, TSchemaScript::Run(script.str(), carried, failed, error)) << error;
    CloseDatabase();
    fs::current_path(old);
    gTemplate = dir + "/db_default.sib";
}

void LogWindowTest::TearDownTestSuite() {
    if (gTemplate.empty()) return;
    std::error_code ec;
    fs::remove_all(fs::path(gTemplate).parent_path(), ec);
    gTemplate.clear();
}

void LogWindowTest::SetUp() {
    ASSERT_FALSE(gTemplate.empty());
    oldDir_ = fs::current_path().string();
    char pattern[] = "/dev/shm/tramb-lw-XXXXXX";
    ASSERT_NE(nullptr, mkdtemp(pattern));
    dir_ = pattern;
    fs::copy_file(gTemplate, dir_ + "/db_default.sib");
    fs::current_path(dir_);
    clock_.Set(2024, 5, 17, 12, 0);
    SetClock(&clock_);
    SetMemoryStatus(&memory_);
    SetOSVersion(&os_);
    SetAppMutex(&mutex_);
    dialogs_ = std::make_unique<TScriptedDialogs>();
}

void LogWindowTest::TearDown() {
    window_.reset();
    alert_.reset();
    CloseDatabase();
    dialogs_.reset();
    SetAppMutex(nullptr);
    SetOSVersion(nullptr);
    SetMemoryStatus(nullptr);
    SetClock(nullptr);
    fs::current_path(oldDir_);
    std::error_code ec;
    fs::remove_all(dir_, ec);
}

void LogWindowTest::Seed(const std::vector<TSeedQSO>& contacts) {
    OpenDatabase();
    TQSOs list;
    for (const TSeedQSO& c : contacts) {
        TQSO* q = list.AddQSO(c.Date, c.Call, c.Start, c.Start, "14.070", 100, "CW", 599, 579, 0, 1,
                              0, "05", "", "", "", "", 0, "", "", "", "");
        ASSERT_NE(nullptr, q);
        if (!c.Text.empty()) {
            TQSOMemos memos;
            ASSERT_EQ(0, memos.SaveText(q->QSOID, c.Text));
        }
    }
    CloseDatabase();
}

TfrmLogGUI_1& LogWindowTest::Start() {
    alert_ = std::make_unique<TForm3>();
    window_ = std::make_unique<TfrmLogGUI_1>();
    w = window_.get();
    w->HaltProcess = [this] { halted_ = true; };
    w->RunModal = [this](QDialog&) {
        ++modalRuns_;
        return 0;
    };
    w->show();
    return *w;
}

void LogWindowTest::Close() {
    w->FormCloseQuery();
    w->FormClose();
}

void LogWindowTest::Reopen() {
    OpenDatabase();
}

std::vector<TQSO> LogWindowTest::StoredOn(const std::string& date) {
    TQSOs list;
    list.LoadDay(date, date);
    std::vector<TQSO> out;
    for (const auto& q : list.QSOs) out.push_back(*q);
    return out;
}

std::vector<TQSO> LogWindowTest::StoredByCall(const std::string& call) {
    // The contacts of the test's day and the two days around it.
    std::vector<TQSO> out;
    for (const char* date : {"05/16/2024", "05/17/2024", "05/18/2024"})
        for (const TQSO& q : StoredOn(date))
            if (q.Call == call)
                out.push_back(q);
    return out;
}

std::string LogWindowTest::StoredText(int32_t id) {
    TQSOMemos memos;
    memos.LoadForQSO(id);
    std::string text;
    for (const auto& m : memos.Memos) text += m->Text;
    return text;
}

std::string LogWindowTest::Setting(const std::string& key) {
    TDbSystemSettings settings;
    settings.Load(key, key);
    return settings.Settings.empty() ? "<none>" : settings.Settings.front()->Value;
}

void LogWindowTest::SaveSetting(const std::string& key, const std::string& value) {
    TDbSystemSettings settings;
    settings.Save(key, value);
}

void LogWindowTest::Type(const std::string& text, bool append) {
    if (!append)
        w->SetCells(w->Col(), w->Row(), "");
    for (char c : text) {
        const std::string value = w->Cells(w->Col(), w->Row()) + c;
        w->SetCells(w->Col(), w->Row(), value);
        w->strGridQSOSSetEditText(w->Col(), w->Row(), value);
    }
}

void LogWindowTest::Edit(const std::string& text) {
    w->SetCells(w->Col(), w->Row(), text);
    w->strGridQSOSSetEditText(w->Col(), w->Row(), text);
}
