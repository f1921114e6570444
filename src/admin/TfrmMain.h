// The administration window: a debugging test jig of the database kernel. It
// creates, opens, lists and closes the database, runs one SQL statement,
// imports the call-sign holder list into HAMCLS, inserts, shows, edits and
// deletes test rows, empties a table and writes the kernel's diagnostic dumps
// to fixed files in the current directory.
//
// Every handler is a public method so that tests drive the window without
// clicks. The constructor only builds controls: nothing touches the database
// until a button is pressed.
#pragma once

#include <QWidget>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class QLabel;
class QLineEdit;
class QPaintEvent;
class QPlainTextEdit;
class QPushButton;
class TDatabase;
class TDBFieldParent;
class TDBFields;

class TfrmMain : public QWidget {
    Q_OBJECT

  public:
    // Files in the current directory.
    static constexpr const char* kDbFileName = "db_default.sib";
    static constexpr const char* kImportFileName = "FCC/HamCsig2";
    static constexpr const char* kImportTableName = "HAMCLS";
    static constexpr const char* kBruteFileName = "AUDIT_BRUTE.log";
    static constexpr const char* kHashDistribFileName = "AUDIT_HASH_DISTRIB.log";
    static constexpr const char* kByAddrFileName = "AUDIT_BRUTE_BY_ADDR.log";
    static constexpr const char* kAddrByKeyFileName = "AUDIT_BRUTE_ADDRBY_KEY.log";
    static constexpr const char* kHashBucketFileName = "AUDIT_DUMPHASHBUCKET.log";
    // The dumps look at this table only.
    static constexpr uint32_t kDumpTableID = 5;
    // A dump writes at least this many lines ("Blank" for an empty entry).
    static constexpr size_t kDumpEntries = 70001;

    static constexpr const char* kCouldNotStart = "Could not start database";
    static constexpr const char* kNotStarted = "The database is not started.";
    static constexpr const char* kNoDataFound = " No data found ...  ";
    static constexpr const char* kInvalidTable = "Invalid table";
    static constexpr const char* kRowsDeleted = "rows deleted!";

    explicit TfrmMain(QWidget* parent = nullptr);
    ~TfrmMain() override;

    // ---- Controls ----
    QPushButton* btnCreateInitialKernel;
    QPushButton* btnStartExisting;
    QPushButton* btnReadCurrentKernel;
    QPushButton* btnClose;
    QPlainTextEdit* edtSQL;
    QPushButton* btnExecuteSQL;
    QPushButton* Button1;
    QPushButton* Button2;
    QPushButton* Button3;
    QPushButton* Button4;
    QPushButton* Button5;
    QPushButton* Button6;
    QPushButton* Button7;
    QPushButton* Button8;
    QPushButton* Button9;
    QPushButton* Button10;
    QPushButton* Button11;
    QPushButton* Button12;
    QPushButton* Button13;
    QPlainTextEdit* Memo1;
    QLineEdit* Edit1;
    QLabel* Label2;

    // ---- Handlers ----
    void btnCreateInitialKernelClick();
    void btnStartExistingClick();
    void btnReadCurrentKernelClick();
    void btnCloseClick();
    void btnExecuteSQLClick();
    void Button1Click();   // insert a canned row
    void Button2Click();   // show a HAMCLS row
    void Button3Click();   // import the holder list
    void Button4Click();   // raw rows of the dump table
    void Button5Click();   // bucket hit counters
    void Button6Click();   // hash of a key
    void Button7Click();   // the row at an address
    void Button8Click();   // the address of a key
    void Button9Click();   // the chain of one bucket
    void Button10Click();  // insert a test contact
    void Button11Click();  // show, edit or delete contacts
    void Button12Click();  // draw a QSOLOG sequence number
    void Button13Click();  // empty a table

    // Memo1's text exactly as the handlers wrote it (CR LF line ends; the
    // widget shows it with plain line feeds).
    const std::string& Memo1Text() const { return memo_; }

    // Ends the application where the window gives up ("Could not start
    // database"); tests replace it.
    std::function<void()> TerminateApplication;

  protected:
    // The background: a gradient and the database file drawn as a cylinder of
    // slot, bucket and page bands.
    void paintEvent(QPaintEvent* event) override;

  private:
    QPushButton* MakeButton(const char* name, const char* caption, void (TfrmMain::*handler)());
    // Runs a handler body, turning an escaping exception into a message.
    void Guarded(const std::function<void()>& body);
    // True when a database is open; otherwise says so.
    bool RequireDatabase();
    void StartDatabaseHere();

    void MemoSet(const std::string& text);
    void MemoAppend(const std::string& text);

    // Writes one line per entry (at least kDumpEntries), CR LF ended;
    // non-blank entries also go to Memo1 when toMemo. False when the file
    // could not be written (already reported).
    bool WriteDump(const std::string& fileName, std::vector<std::string> entries, bool toMemo);

    // One field as the listings show it: "Column", name, "Value: ", value, CR LF,
    // " Type:", data type, " TableID:", table ID, CR LF.
    static std::string FieldLine(const TDBFieldParent& field);
    static std::string FieldsListing(const TDBFields& fields);

    QWidget* picture_ = nullptr;           // where the background picture is drawn
    std::unique_ptr<TDatabase> database_;  // the database object this window created
    std::string memo_;
};
