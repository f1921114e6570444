#include "LogWindowFixture.h"

#include <algorithm>
#include <filesystem>

#include "kernel/TDbKernel.h"
#include "records/TDbSystemSettings.h"
#include "records/TQSOMemos.h"
#include "records/TQSOs.h"

namespace fs = std::filesystem;

static std::string gTemplate;  // a database file with the log's tables, made once

void EnsureApp() {
    static int argc = 1;
    static char name[] = "logwindow_tests";
    static char* argv[] = {name, nullptr};
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // Never deleted: at exit Qt's own statics are gone before a static one would go.
    if (QApplication::instance() == nullptr)
        new QApplication(argc, argv);
}

void LogWindowTest::SetUp() {
    EnsureApp();
    oldDir_ = fs::current_path().string();
    dir_ = MakeTempDir("lw");
    fs::current_path(dir_);
    if (gTemplate.empty()) {
        Reopen();
        Script(SchemaScript());
        Shut();
        gTemplate = ReadFile(dir_ + "/db_default.sib");
    }
    WriteFile(dir_ + "/db_default.sib", gTemplate);
    SetClock(&machine_);
    SetMemoryStatus(&machine_);
    SetOSVersion(&machine_);
    SetAppMutex(&machine_);
    dialogs_ = std::make_unique<TScriptedDialogs>();
}

void LogWindowTest::TearDown() {
    window_.reset();
    // A quit the window queued (a start that stopped) ends with its test,
    // not the next test's event loop.
    QCoreApplication::removePostedEvents(qApp);
    Shut();
    SetAppMutex(nullptr);
    SetOSVersion(nullptr);
    SetMemoryStatus(nullptr);
    SetClock(nullptr);
    fs::current_path(oldDir_);
    std::error_code ec;
    fs::remove_all(dir_, ec);
}

void LogWindowTest::Seed(const std::vector<TSeedQSO>& contacts) {
    Reopen();
    TQSOs list;
    for (const TSeedQSO& c : contacts) {
        TQSO* q = list.AddQSO(c.Date, c.Call, c.Start, c.Start, "14.070", 100, "CW", 599, 579, 0, 1,
                              0, "05", "", "", "", "", 0, "", "", "", "");
        ASSERT_NE(nullptr, q);
        ASSERT_TRUE(c.Text.empty() || TQSOMemos().SaveText(q->QSOID, c.Text) == 0);
    }
    Shut();
}

void LogWindowTest::Start() {
    alert_ = std::make_unique<TForm3>();
    window_ = std::make_unique<TfrmLogGUI_1>();
    w = window_.get();
    w->HaltProcess = [] {};
    w->RunModal = [this](QDialog&) { return ++modalRuns_, 0; };
    w->show();
}

void LogWindowTest::Reopen() {
    delete Database;
    Database = new TDatabase();
    ASSERT_EQ(0, Database->StartDatabase(dir_ + "/db_default.sib"));
}

void LogWindowTest::Shut() {
    if (Database != nullptr && TDbKernel::Base() != nullptr)
        Database->ShutdownDatabase(dir_ + "/db_default.sib");
    delete Database;
    Database = nullptr;
}

std::vector<TQSO> LogWindowTest::Stored(const std::string& call, const std::string& date) {
    TQSOs list;
    list.LoadDay(date, date);
    std::vector<TQSO> out;
    for (const auto& q : list.QSOs)
        if (call.empty() || q->Call == call)
            out.push_back(*q);
    return out;
}

std::string LogWindowTest::Log(const std::string& date) {
    std::vector<std::string> items;
    for (const TQSO& q : Stored("", date))
        items.push_back(q.Call + " " + q.StartTime + " " + q.Frequency + " " +
                        std::to_string(q.Power) + " #" + std::to_string(q.QSOID) +
                        (StoredText(q.QSOID).empty() ? "" : " '" + StoredText(q.QSOID) + "'"));
    std::sort(items.begin(), items.end());
    std::string out;
    for (const std::string& item : items) out += (out.empty() ? "" : "; ") + item;
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

void LogWindowTest::SaveSettings(const std::vector<std::pair<const char*, const char*>>& settings) {
    Reopen();
    for (const auto& [key, value] : settings) TDbSystemSettings().Save(key, value);
    Shut();
}

void LogWindowTest::Script(const std::string& sql) {
    int carried = 0, failed = 0;
    std::string error;
    ASSERT_EQ(0, TSchemaScript::Run(sql, carried, failed, error)) << error;
}

void LogWindowTest::Type(const std::string& text) {
    w->SetCells(w->Col(), w->Row(), "");
    for (char c : text) Edit(Cell(w->Col(), w->Row()) + c);
}

void LogWindowTest::Set(int col, int row, const std::string& text, bool edited) {
    w->SetCells(col, row, text);
    if (edited)
        w->strGridQSOSSetEditText(col, row, text);
}

std::string LogWindowTest::Span(int col0, int row0, int col1, int row1) const {
    std::string out;
    for (int row = row0; row <= row1; ++row)
        for (int col = col0; col <= col1; ++col)
            out += (row > row0 || col > col0 ? " " : "") + Cell(col, row);
    return out;
}

std::string LogWindowTest::Panel() const {
    std::string out;
    for (const QLineEdit* e :
         {w->edtFrequency, w->edtPower, w->edtSRST, w->edtRRst, w->edtUTCShift})
        out += e->text().toStdString() + " ";
    return out + w->cboMode->currentText().toStdString();
}
