#include "admin/TfrmMain.h"

#include <QCoreApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLinearGradient>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <exception>
#include <filesystem>
#include <fstream>

#include "kernel/DbFormat.h"
#include "kernel/TDBFields.h"
#include "kernel/TDbKernel.h"
#include "kernel/TProfiler.h"
#include "platform/TDbOpenProblem.h"
#include "platform/TDialogs.h"
#include "records/THolderImport.h"
#include "schema/TDBResultSet.h"
#include "schema/TDatabase.h"
#include "schema/TSQLStatement.h"
#include "schema/TSQLStatements.h"

namespace {

constexpr const char* kInputNeeded = "Input needed";
constexpr const char* kQsoTable = "QSOLOG";

QString ToQt(const std::string& s) {
    return QString::fromLatin1(s.data(), static_cast<qsizetype>(s.size()));
}

std::string FromQt(const QString& s) {
    QByteArray bytes = s.toLatin1();
    return std::string(bytes.constData(), static_cast<size_t>(bytes.size()));
}

std::string Trimmed(const std::string& s) {
    size_t b = 0;
    size_t e = s.size();
    while (b < e && static_cast<unsigned char>(s[b]) <= ' ') ++b;
    while (e > b && static_cast<unsigned char>(s[e - 1]) <= ' ') --e;
    return s.substr(b, e - b);
}

bool IsBlank(const std::string& s) {
    return Trimmed(s).empty();
}

bool IsYes(const std::string& answer) {
    std::string a = Trimmed(answer);
    return a.size() == 1 && (a[0] == 'Y' || a[0] == 'y');
}

// A decimal byte offset; false for anything else (signs, letters, overflow).
bool ParseOffset(const std::string& text, uint32_t& offset) {
    std::string t = Trimmed(text);
    if (t.empty() || t.size() > 10)
        return false;
    uint64_t v = 0;
    for (char c : t) {
        if (c < '0' || c > '9')
            return false;
        v = v * 10 + static_cast<uint64_t>(c - '0');
    }
    if (v > UINT32_MAX)
        return false;
    offset = static_cast<uint32_t>(v);
    return true;
}

// Sets the value of the column at pos; free column slots are never set (the
// first one carries a read row's RowID).
bool SetValue(TDBFields& fields, int pos, const std::string& value) {
    TDBFieldParent* f = fields.GetField(pos);
    if (f == nullptr || f->DataType == static_cast<int32_t>(DbFormat::kTypeFree))
        return false;
    f->Value = value;
    return true;
}

std::string CouldNotOpen(const std::string& table) {
    return "Table " + table + " could not be opened.";
}

}  // namespace

TfrmMain::TfrmMain(QWidget* parent) : QWidget(parent) {
    setObjectName("frmMain");
    setWindowTitle("Tramb - database administration");
    TerminateApplication = [] { QCoreApplication::exit(1); };

    btnCreateInitialKernel = MakeButton("btnCreateInitialKernel", "Create Initial Kernel",
                                        &TfrmMain::btnCreateInitialKernelClick);
    btnStartExisting =
        MakeButton("btnStartExisting", "Start Existing Database", &TfrmMain::btnStartExistingClick);
    btnReadCurrentKernel = MakeButton("btnReadCurrentKernel", "Read Current Kernel",
                                      &TfrmMain::btnReadCurrentKernelClick);
    btnClose = MakeButton("btnClose", "Close DB", &TfrmMain::btnCloseClick);
    btnExecuteSQL = MakeButton("btnExecuteSQL", "Execute SQL", &TfrmMain::btnExecuteSQLClick);
    Button1 = MakeButton("Button1", "Add canned data to table", &TfrmMain::Button1Click);
    Button2 = MakeButton("Button2", "ShowData", &TfrmMain::Button2Click);
    Button3 = MakeButton("Button3", "Import Ham", &TfrmMain::Button3Click);
    Button4 = MakeButton("Button4", "Brute Force Get", &TfrmMain::Button4Click);
    Button5 = MakeButton("Button5", "Retrieve hash distribution", &TfrmMain::Button5Click);
    Button6 = MakeButton("Button6", "Calc Hash Offset", &TfrmMain::Button6Click);
    Button7 = MakeButton("Button7", "Retrieve data by address", &TfrmMain::Button7Click);
    Button8 = MakeButton("Button8", "Get Address By Key", &TfrmMain::Button8Click);
    Button9 = MakeButton("Button9", "Get hash bucket", &TfrmMain::Button9Click);
    Button10 = MakeButton("Button10", "Insert a QSO", &TfrmMain::Button10Click);
    Button11 = MakeButton("Button11", "Retrieve QSO", &TfrmMain::Button11Click);
    Button12 = MakeButton("Button12", "Save Sequence", &TfrmMain::Button12Click);
    Button13 = MakeButton("Button13", "Truncate Table", &TfrmMain::Button13Click);

    edtSQL = new QPlainTextEdit(this);
    edtSQL->setObjectName("edtSQL");
    edtSQL->setMinimumHeight(90);
    Memo1 = new QPlainTextEdit(this);
    Memo1->setObjectName("Memo1");
    Memo1->setReadOnly(true);
    Memo1->setLineWrapMode(QPlainTextEdit::NoWrap);
    Memo1->setMinimumSize(420, 300);
    Edit1 = new QLineEdit(this);
    Edit1->setObjectName("Edit1");
    Label2 = new QLabel("______", this);
    Label2->setObjectName("Label2");

    auto* lblTitle = new QLabel("Tramb kernel test jig", this);
    lblTitle->setObjectName("lblTitle");
    QFont titleFont = lblTitle->font();
    titleFont.setPointSize(titleFont.pointSize() + 6);
    titleFont.setBold(true);
    lblTitle->setFont(titleFont);
    auto* lblJig = new QLabel(
        "A debugging test jig of the database kernel. Nothing here is needed for logging.", this);
    lblJig->setObjectName("lblJig");
    auto* lblSQL = new QLabel("SQL to Execute:", this);
    lblSQL->setObjectName("lblSQL");
    auto* lblAddress = new QLabel("Last address", this);
    lblAddress->setObjectName("lblLastAddress");

    auto* database = new QGridLayout;
    database->addWidget(btnCreateInitialKernel, 0, 0);
    database->addWidget(btnStartExisting, 0, 1);
    database->addWidget(btnReadCurrentKernel, 1, 0);
    database->addWidget(btnClose, 1, 1);

    auto* rows = new QGridLayout;
    QPushButton* rowButtons[] = {Button1, Button2, Button3, Button10, Button11, Button12, Button13};
    int i = 0;
    for (QPushButton* b : rowButtons) {
        rows->addWidget(b, i / 2, i % 2);
        ++i;
    }

    auto* dumps = new QGridLayout;
    QPushButton* dumpButtons[] = {Button4, Button5, Button6, Button7, Button8, Button9};
    i = 0;
    for (QPushButton* b : dumpButtons) {
        dumps->addWidget(b, i / 2, i % 2);
        ++i;
    }

    auto* left = new QVBoxLayout;
    // The picture is painted into this empty widget's place (see paintEvent).
    picture_ = new QWidget(this);
    picture_->setObjectName("imgKernel");
    picture_->setFixedSize(56, 64);
    auto* titles = new QVBoxLayout;
    titles->addWidget(lblTitle);
    titles->addWidget(lblJig);
    auto* banner = new QHBoxLayout;
    banner->addWidget(picture_);
    banner->addLayout(titles, 1);
    left->addLayout(banner);
    left->addSpacing(8);
    left->addLayout(database);
    left->addSpacing(8);
    left->addWidget(lblSQL);
    left->addWidget(edtSQL);
    left->addWidget(btnExecuteSQL);
    left->addSpacing(8);
    left->addLayout(rows);
    left->addSpacing(8);
    left->addLayout(dumps);
    left->addStretch(1);

    auto* address = new QHBoxLayout;
    address->addWidget(lblAddress);
    address->addWidget(Edit1, 1);
    address->addWidget(Label2);

    auto* right = new QVBoxLayout;
    right->addWidget(Memo1, 1);
    right->addLayout(address);

    auto* top = new QHBoxLayout(this);
    top->addLayout(left);
    top->addLayout(right, 1);
    resize(980, 620);
}

TfrmMain::~TfrmMain() {
    // Only a database this window started is closed here; the log program's
    // own database object is not this window's to end.
    if (database_ && Database == database_.get()) {
        if (TDbKernel::Base() != nullptr)
            database_->ShutdownDatabase(kDbFileName);
        Database = nullptr;
    }
}

QPushButton* TfrmMain::MakeButton(const char* name, const char* caption,
                                  void (TfrmMain::*handler)()) {
    auto* b = new QPushButton(caption, this);
    b->setObjectName(name);
    connect(b, &QPushButton::clicked, this, [this, handler] { (this->*handler)(); });
    return b;
}

void TfrmMain::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient g(0, 0, width(), height());
    g.setColorAt(0, QColor(214, 224, 236));
    g.setColorAt(1, QColor(150, 170, 196));
    p.fillRect(rect(), g);

    const QRect r = picture_->geometry();
    const int bandH = (r.height() - 10) / 3;
    const QColor bands[] = {QColor(70, 90, 140), QColor(90, 130, 90), QColor(150, 110, 60)};
    p.setPen(QPen(QColor(40, 40, 60), 1.2));
    for (int b = 2; b >= 0; --b) {
        const int by = r.top() + b * bandH;
        p.setBrush(bands[b]);
        p.drawRect(r.left(), by + 5, r.width() - 1, bandH);
        p.drawEllipse(r.left(), by + bandH, r.width() - 1, 10);
        p.drawEllipse(r.left(), by, r.width() - 1, 10);
    }
}

void TfrmMain::Guarded(const std::function<void()>& body) {
    try {
        body();
    } catch (const std::exception& e) {
        Dialogs().ShowMessage(std::string("The operation failed: ") + e.what());
    } catch (...) {
        Dialogs().ShowMessage("The operation failed.");
    }
}

bool TfrmMain::RequireDatabase() {
    if (Database != nullptr && DbKernel != nullptr && TDbKernel::Base() != nullptr)
        return true;
    Dialogs().ShowMessage(kNotStarted);
    return false;
}

void TfrmMain::MemoSet(const std::string& text) {
    memo_ = text;
    std::string shown;
    shown.reserve(memo_.size());
    for (char c : memo_)
        if (c != '\r')
            shown.push_back(c);
    Memo1->setPlainText(ToQt(shown));
}

void TfrmMain::MemoAppend(const std::string& text) {
    MemoSet(memo_ + text);
}

// ---------------------------------------------------------------------------
// The database object.

void TfrmMain::StartDatabaseHere() {
    // The process has one open database: an open one is closed before the
    // next start, so the file lock and the mapping are not taken twice.
    if (DbKernel != nullptr && TDbKernel::Base() != nullptr)
        DbKernel->CloseDB();
    if (database_ && Database == database_.get())
        Database = nullptr;
    database_.reset();
    database_ = std::make_unique<TDatabase>();
    Database = database_.get();
    // The bare name: the file in the current directory.
    if (database_->StartDatabase(kDbFileName) == 0)
        return;
    // No room on the disk, a read-only file or one held by another program: say which.
    if (!TDbKernel::StartError().empty())
        Dialogs().ShowMessage(TDbKernel::StartError());
    else
        Dialogs().ShowMessage(TDbOpenProblem::LastKind() == TDbOpenProblem::TKind::kOther
                                  ? std::string(kCouldNotStart)
                                  : TDbOpenProblem::Text(kDbFileName));
}

void TfrmMain::btnCreateInitialKernelClick() {
    Guarded([&] { StartDatabaseHere(); });
}

void TfrmMain::btnStartExistingClick() {
    Guarded([&] {
        // The current folder, a separator unless it already ends in one (the root).
        std::string path = std::filesystem::current_path().string();
        if (path.empty() || path.back() != '/')
            path += "/";
        path += kDbFileName;
        std::error_code ec;
        if (!std::filesystem::is_regular_file(path, ec)) {
            Dialogs().ShowMessage(kCouldNotStart);
            if (TerminateApplication)
                TerminateApplication();
            return;
        }
        StartDatabaseHere();
    });
}

void TfrmMain::btnReadCurrentKernelClick() {
    Guarded([&] {
        if (!RequireDatabase())
            return;
        std::string listing;
        Database->ReadTableRecords(listing);
        MemoSet(listing);
    });
}

void TfrmMain::btnCloseClick() {
    Guarded([&] {
        if (!RequireDatabase())
            return;
        if (Database->ShutdownDatabase(kDbFileName) != 0)
            Dialogs().ShowMessage("Drat");
    });
}

void TfrmMain::btnExecuteSQLClick() {
    Guarded([&] {
        if (!RequireDatabase())
            return;
        // The outcome is not shown: the SQL layer keeps its errors to itself.
        std::unique_ptr<TSQLStatement> statement =
            TSQLStatements::NewStatement(FromQt(edtSQL->toPlainText()));
        statement->Execute();
    });
}

// ---------------------------------------------------------------------------
// Test rows.

std::string TfrmMain::FieldLine(const TDBFieldParent& f) {
    return "Column" + f.Name + "Value: " + f.Value + "\r\n Type:" + std::to_string(f.DataType) +
           " TableID:" + std::to_string(f.TableID) + "\r\n";
}

std::string TfrmMain::FieldsListing(const TDBFields& fields) {
    std::string text;
    for (int i = 0; i < fields.Count(); ++i) {
        const TDBFieldParent* f = fields.GetField(i);
        if (f->DataType != static_cast<int32_t>(DbFormat::kTypeFree))
            text += FieldLine(*f);
    }
    return text;
}

void TfrmMain::Button1Click() {
    Guarded([&] {
        if (!RequireDatabase())
            return;
        TDialogs& d = Dialogs();
        std::string call = d.InputBox(kInputNeeded, "Enter Call", "W4ABC/4");
        std::string first = d.InputBox("Enter name: ", "Enter first name: ", "Harry");
        std::string last = d.InputBox("Enter name: ", "Enter last name: ", "Jones");
        std::string city = d.InputBox("Enter name: ", "Enter city: ", "Cary");
        d.InputBox("Enter name: ", "Enter state: ", "NC");  // asked, not stored
        std::string table = d.InputBox("Enter table name: ", "Enter table name: ", "HAMCLS");

        TDBResultSet rs;
        if (rs.Open(table, "", "") >= 999 || rs.AppendRow() >= 999 || !rs.CurrentFields) {
            d.ShowMessage(CouldNotOpen(table));
            return;
        }
        SetValue(*rs.CurrentFields, 0, call);
        SetValue(*rs.CurrentFields, 1, first);
        SetValue(*rs.CurrentFields, 2, last);
        SetValue(*rs.CurrentFields, 3, city);
        rs.Post();
    });
}

void TfrmMain::Button2Click() {
    Guarded([&] {
        if (!RequireDatabase())
            return;
        std::string key = Dialogs().InputBox(kInputNeeded, "Enter key value to get: ", "1");
        TDBResultSet rs;
        if (rs.Open(kImportTableName, key, key) == 0 && !rs.Rows.empty() && rs.CurrentFields)
            MemoSet(FieldsListing(*rs.CurrentFields));
        else
            MemoAppend(std::string(kNoDataFound) + "\r\n");
        if (Profiler != nullptr) {
            std::string report;
            Profiler->GetReport(report);
            MemoAppend(report);
            if (Profiler->LineIndex > 1)
                Profiler->Clear();
        }
    });
}

void TfrmMain::Button10Click() {
    Guarded([&] {
        if (!RequireDatabase())
            return;
        std::string call = Dialogs().InputBox(kInputNeeded, "Enter call:", "");
        std::string freq = Dialogs().InputBox(kInputNeeded, "Enter freq", "");
        // A row without its key is never written; do not spend a number on it.
        if (Trimmed(call).empty()) {
            Dialogs().ShowMessage("No call sign entered: no QSO was inserted.");
            return;
        }
        TDBResultSet rs;
        if (rs.Open(kQsoTable, "", "") >= 999 || rs.AppendRow() >= 999 || !rs.CurrentFields) {
            Dialogs().ShowMessage(CouldNotOpen(kQsoTable));
            return;
        }
        TDBFields& f = *rs.CurrentFields;
        SetValue(f, 0, std::to_string(rs.GetSequencedNumber(kQsoTable)));
        SetValue(f, 1, "01/04/2002");
        SetValue(f, 2, call);
        SetValue(f, 3, "12:30");
        SetValue(f, 4, "13:30");
        SetValue(f, 5, freq);
        SetValue(f, 6, "500");
        SetValue(f, 7, "A1");
        SetValue(f, 8, "559");
        SetValue(f, 9, "569");
        SetValue(f, 10, "1");
        SetValue(f, 11, "0");
        SetValue(f, 12, "0");
        rs.Post();
    });
}

void TfrmMain::Button11Click() {
    Guarded([&] {
        if (!RequireDatabase())
            return;
        TDialogs& d = Dialogs();
        std::string key = d.InputBox(kInputNeeded, "Enter key value to get: ", "1");
        TDBResultSet rs;
        if (rs.Open(kQsoTable, key, key) != 0 || rs.Rows.empty() || !rs.CurrentFields) {
            MemoAppend(std::string(kNoDataFound) + "\r\n");
            return;
        }
        MemoSet("");
        while (rs.Eof == 0) {
            TDBFields& fields = *rs.CurrentFields;
            for (int i = 0; i < fields.Count(); ++i) {
                const TDBFieldParent* f = fields.GetField(i);
                if (f->DataType != static_cast<int32_t>(DbFormat::kTypeFree)) {
                    MemoAppend(FieldLine(*f));
                    continue;
                }
                // The first free slot ends the row's columns (and carries its RowID).
                if (IsYes(d.InputBox(kInputNeeded, "Delete entry?", "N"))) {
                    rs.DeleteCurrent();
                } else if (IsYes(d.InputBox(kInputNeeded, "Edit entry?", "N"))) {
                    SetValue(fields, 5, "Changed");
                    rs.Update();
                }
                break;
            }
            rs.Next();
        }
    });
}

void TfrmMain::Button12Click() {
    Guarded([&] {
        if (!RequireDatabase())
            return;
        TDBResultSet rs;
        if (rs.Open(kQsoTable, "", "") >= 999 || rs.AppendRow() >= 999) {
            Dialogs().ShowMessage(CouldNotOpen(kQsoTable));
            return;
        }
        Dialogs().ShowMessage(std::to_string(rs.GetSequencedNumber(kQsoTable)));
    });
}

void TfrmMain::Button13Click() {
    Guarded([&] {
        if (!RequireDatabase())
            return;
        std::string name = Dialogs().InputBox(kInputNeeded, "Enter Table Name:", "");
        uint32_t id = DbKernel->GetTableIDFromName(name);
        // System tables and the first user table are never emptied from here;
        // a slot that is named but not in use has no rows to clear.
        if (id > DbFormat::kFirstUserTableID && id < DbFormat::kNoTableID &&
            DbKernel->CreateEmptyFieldsObject(id, 0) != nullptr) {
            int32_t count = DbKernel->BruteForceDeleteDataRows(id);
            Dialogs().InformationBox(std::to_string(count) + kRowsDeleted, "Truncate Table");
        } else {
            Dialogs().InformationBox(kInvalidTable, "Truncate Table");
        }
    });
}

// ---------------------------------------------------------------------------
// The holder-list import.

void TfrmMain::Button3Click() {
    Guarded([&] {
        if (!RequireDatabase())
            return;
        THolderImport import;
        const int32_t status =
            import.ImportDataAsking(kImportFileName, kImportTableName, [this](int32_t line) {
                Label2->setText(QString::number(line));
                Label2->repaint();
            });
        if (status != THolderImport::kOK)
            Dialogs().ShowMessage("Import failed: " + import.LastError);
    });
}

// ---------------------------------------------------------------------------
// Diagnostic dumps.

bool TfrmMain::WriteDump(const std::string& fileName, std::vector<std::string> entries,
                         bool toMemo) {
    if (entries.size() < kDumpEntries)
        entries.resize(kDumpEntries);
    std::string text;
    std::string memo;
    for (const std::string& e : entries) {
        const bool blank = IsBlank(e);
        text += blank ? std::string("Blank") : e;
        text += "\r\n";
        if (toMemo && !blank)
            memo += e + "\r\n";
    }
    std::ofstream out(fileName, std::ios::binary | std::ios::trunc);
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
    out.close();
    if (!out) {
        Dialogs().ShowMessage("Could not write the file " + fileName);
        return false;
    }
    if (toMemo)
        MemoSet(memo);
    return true;
}

void TfrmMain::Button4Click() {
    Guarded([&] {
        if (!RequireDatabase())
            return;
        int32_t deleted = 0;
        std::vector<std::string> tails;
        DbKernel->RawScanTable(65, kDumpTableID, deleted, tails, 0);
        WriteDump(kBruteFileName, std::move(tails), false);
    });
}

void TfrmMain::Button5Click() {
    Guarded([&] {
        if (!RequireDatabase())
            return;
        std::vector<std::string> counts;
        DbKernel->GetBucketHitCounts(counts);
        std::vector<std::string> entries;
        entries.reserve(counts.size());
        for (size_t i = 0; i < counts.size(); ++i)
            entries.push_back(std::to_string(i) + "-" + counts[i]);
        WriteDump(kHashDistribFileName, std::move(entries), false);
    });
}

void TfrmMain::Button6Click() {
    Guarded([&] {
        if (!RequireDatabase())
            return;
        std::string key = Dialogs().InputBox(kInputNeeded, "Enter Call", "W4ABC/4");
        Dialogs().ShowMessage(std::to_string(DbKernel->GetKeyHash(key)));
    });
}

void TfrmMain::Button7Click() {
    Guarded([&] {
        if (!RequireDatabase())
            return;
        std::string answer = Dialogs().InputBox("Enter address: ", "Enter address: ", "0");
        uint32_t offset = 0;
        if (!ParseOffset(answer, offset)) {
            Dialogs().ShowMessage("Not an address: " + answer);
            return;
        }
        std::string text;
        if (DbKernel->ReadRowAt(65, kDumpTableID, offset, text) != 0) {
            Dialogs().ShowMessage(
                "Address " + std::to_string(offset) + " is not the start of a row slot of table " +
                std::to_string(kDumpTableID) + " in the data region; nothing was read.");
            return;
        }
        WriteDump(kByAddrFileName, {text}, true);
    });
}

void TfrmMain::Button8Click() {
    Guarded([&] {
        if (!RequireDatabase())
            return;
        std::string key = Dialogs().InputBox("Enter key: ", "Enter key: ", "0");
        uint32_t offset = DbKernel->ScanForKey(0, key, kDumpTableID, DbFormat::kDbFileSize);
        const std::string line = "Address: " + std::to_string(offset) + "\r\n";
        std::ofstream out(kAddrByKeyFileName, std::ios::binary | std::ios::trunc);
        out.write(line.data(), static_cast<std::streamsize>(line.size()));
        out.close();
        if (!out)
            Dialogs().ShowMessage(std::string("Could not write the file ") + kAddrByKeyFileName);
        Edit1->setText(QString::number(offset));
    });
}

void TfrmMain::Button9Click() {
    Guarded([&] {
        if (!RequireDatabase())
            return;
        std::string key = Dialogs().InputBox("Enter", "Key value:", "");
        std::vector<std::string> lines;
        DbKernel->GetHashBucketContents(kDumpTableID, 0, 0, key, lines);
        std::vector<std::string> entries;
        entries.reserve(lines.size() + 1);
        entries.push_back(key + "|");
        for (std::string& l : lines) entries.push_back(std::move(l));
        WriteDump(kHashBucketFileName, std::move(entries), true);
    });
}
