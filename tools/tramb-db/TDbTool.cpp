#include "TDbTool.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <exception>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <set>
#include <sstream>

#include "SchemaScriptText.h"
#include "kernel/DbFormat.h"
#include "kernel/TDbKernel.h"
#include "kernel/TWriteBatch.h"
#include "platform/TMessageFloodGuard.h"
#include "records/THolderImport.h"
#include "records/TLogCheck.h"
#include "records/TLogExport.h"
#include "records/TLogTables.h"
#include "records/TQSOMemos.h"
#include "records/TQSOs.h"
#include "records/TRecordText.h"
#include "records/TSchemaScript.h"
#include "schema/TDBResultSet.h"
#include "schema/TDatabase.h"

namespace {

namespace fs = std::filesystem;

const char* const kHolderTable = THolderImport::kTable;

// Reports written by the lower layers end their lines with CR LF.
std::string UnixLines(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r') {
            if (i + 1 < text.size() && text[i + 1] == '\n')
                continue;
            out += '\n';
        } else {
            out += text[i];
        }
    }
    return out;
}

// Whether another process holds the file's lock (the kernel then cannot open it).
bool HeldByAnotherProcess(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool held = ::flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK;
    if (!held)
        ::flock(fd, LOCK_UN);
    ::close(fd);
    return held;
}

enum class TPathState { kMissing, kPresent, kError };

// Whether anything (a dangling link too) lies at the path.
TPathState PathState(const std::string& path, std::string& error) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) == 0)
        return TPathState::kPresent;
    if (errno == ENOENT)
        return TPathState::kMissing;
    error = std::strerror(errno);
    return TPathState::kError;
}

bool ReadWholeFile(const std::string& name, std::string& text) {
    std::ifstream in(name, std::ios::binary);
    if (!in)
        return false;
    std::ostringstream ss;
    ss << in.rdbuf();
    if (in.bad())
        return false;
    text = ss.str();
    return true;
}

}  // namespace

const char* TDbTool::Usage() {
    return "Usage: tramb-db [--file PATH] [--force] COMMAND [ARGUMENTS]\n"
           "\n"
           "Works on the database file PATH (default: db_default.sib in the current directory).\n"
           "Every command but create and init refuses a missing database file.\n"
           "The commands that write (init, sql, import-holders, add-qso, delete-qso, compact)\n"
           "refuse a file the integrity check calls damaged: they print the check's report\n"
           "and exit 1. --force (before the command or right after it) lets them write\n"
           "anyway; a damaged row is still never overwritten or deleted, and compact still\n"
           "refuses. restore replaces a damaged log as any other; the other commands read\n"
           "damaged files as they are.\n"
           "\n"
           "Commands:\n"
           "  create                      a new database file with the system tables only\n"
           "  init                        create the file when missing and the log's six tables\n"
           "                              (in a log lacking some of them: just those)\n"
           "  sql STATEMENT               run SQL statements (CREATE TABLE, DROP TABLE)\n"
           "  sql -f FILE                 run the statements of FILE, each ending with a \";\"\n"
           "                              at the end of a line\n"
           "  list                        list every table slot and its columns\n"
           "  check                       integrity check of all tables (exit 1 when damaged)\n"
           "  export FILE                 export the log and the contact texts to FILE\n"
           "  import-holders FILE [START [END]]\n"
           "                              import call-sign holders (call|first|last|city|state)\n"
           "                              into HAMCLS, lines START..END (default all)\n"
           "  add-qso --date MM/DD/YYYY --call CALL [options]\n"
           "                              store a contact; prints its number. Options:\n"
           "                              --start HH:MM --end HH:MM --freq F --power N --mode M\n"
           "                              --srst N --rrst N --rqsl N --sqsl N --logid N\n"
           "                              --zone Z --country C --county C --grid G --qslmgr Q\n"
           "                              --layout N --contest1 X ... --contest4 X --text TEXT\n"
           "  qsos CALL                   every contact with the station CALL\n"
           "  day MM/DD/YYYY              the contacts of one day\n"
           "  delete-qso CALL NUMBER DATE delete a contact with its index row and its text\n"
           "  export-adif FILE            every contact and its text as an ADIF (ADI) file\n"
           "  import-adif FILE            the records of an ADIF (ADI) file as new contacts;\n"
           "                              duplicates are skipped, rejected records listed in\n"
           "                              FILE.import-report.txt (exit 1 when the log is full)\n"
           "  backup [DIR]                a checked copy of the log in DIR (default: the\n"
           "                              backups folder beside the log; the newest 10 kept)\n"
           "  restore FILE                replace the log with the backup FILE once it passes\n"
           "                              the check; the replaced log is kept as a backup\n"
           "  compact                     rewrite the log with its live rows only, after a\n"
           "                              backup, to regain the room of deleted rows\n"
           "  room                        how many more contacts fit in the log\n"
           "  salvage NEWFILE             copy every readable contact, text and setting of a\n"
           "                              damaged log into the new log NEWFILE\n"
           "  setting NAME [VALUE]        print the stored setting NAME, or store VALUE under\n"
           "                              it (RIG_ENABLED, RIG_MODEL, RIG_PORT, RIG_SPEED,\n"
           "                              WSJTX_UDP_PORT, ...)\n"
           "\n"
           "Exit status: 0 success, 1 failure, 2 bad usage.\n";
}

int TDbTool::UsageError(const std::string& message) {
    std::cerr << "tramb-db: " << message << "\n"
              << "Try 'tramb-db --help' for more information.\n";
    return kExitUsage;
}

int TDbTool::Fail(const std::string& message) {
    std::cout.flush();  // what was reported before comes first
    std::cerr << "tramb-db: " << message << "\n";
    return kExitFailed;
}

int TDbTool::Run(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    path_ = DbFormat::kDefaultDbFileName;

    // Options before the command.
    size_t i = 0;
    for (; i < args.size(); ++i) {
        if (args[i] == "--help" || args[i] == "-h") {
            std::cout << Usage();
            return kExitOK;
        }
        if (args[i] == "--force") {
            force_ = true;
            continue;
        }
        if (args[i] == "--file") {
            if (i + 1 >= args.size() || args[i + 1].empty()) {
                return UsageError("--file needs a path");
            }
            path_ = args[++i];
            continue;
        }
        if (args[i].rfind("--", 0) == 0)
            return UsageError("unknown option " + args[i]);
        break;
    }
    if (i >= args.size())
        return UsageError("no command given");
    const std::string command = args[i];
    std::vector<std::string> rest(args.begin() + static_cast<long>(i) + 1, args.end());
    if (!rest.empty() && rest[0] == "--force") {
        force_ = true;
        rest.erase(rest.begin());
    }
    static const std::set<std::string> kWriting = {"init",    "sql",        "import-holders",
                                                   "add-qso", "delete-qso", "compact"};
    if (force_ && kWriting.count(command) == 0)
        return UsageError(
            "--force is for the commands that write: init, sql, import-holders, "
            "add-qso, delete-qso, compact");
    for (const std::string& a : rest) {
        if (a == "--help") {
            std::cout << Usage();
            return kExitOK;
        }
    }

    using Handler = int (TDbTool::*)(const std::vector<std::string>&);
    static const std::map<std::string, Handler> kCommands = {
        {"create", &TDbTool::Create},
        {"init", &TDbTool::Init},
        {"sql", &TDbTool::Sql},
        {"list", &TDbTool::List},
        {"check", &TDbTool::Check},
        {"export", &TDbTool::Export},
        {"import-holders", &TDbTool::ImportHolders},
        {"add-qso", &TDbTool::AddQso},
        {"qsos", &TDbTool::Qsos},
        {"day", &TDbTool::Day},
        {"delete-qso", &TDbTool::DeleteQso},
        {"export-adif", &TDbTool::ExportAdif},
        {"import-adif", &TDbTool::ImportAdif},
        {"backup", &TDbTool::Backup},
        {"restore", &TDbTool::Restore},
        {"compact", &TDbTool::Compact},
        {"room", &TDbTool::Room},
        {"salvage", &TDbTool::Salvage},
        {"setting", &TDbTool::Setting},
    };
    const auto it = kCommands.find(command);
    if (it == kCommands.end())
        return UsageError("unknown command '" + command + "'");

    TMessageFloodGuard once;  // a damaged chain reports each oddity once
    int status = kExitFailed;
    try {
        status = (this->*(it->second))(rest);
    } catch (const std::exception& e) {
        status = Fail(std::string("error: ") + e.what());
    } catch (...) {
        status = Fail("unexpected error");
    }
    if (status == kExitOK && !Written())
        status = kExitFailed;
    if (started_ && !Shutdown() && status == kExitOK)
        status = kExitFailed;
    return status;
}

bool TDbTool::Start() {
    if (!Database)
        Database = new TDatabase();
    const int32_t st = Database->StartDatabase(path_);
    if (st != 0 || !TDbKernel::Base()) {
        if (HeldByAnotherProcess(path_)) {
            Fail(path_ + " is in use by another process (close the log window first)");
        } else if (!TDbKernel::StartError().empty()) {
            Fail(TDbKernel::StartError() + " (" + path_ + ")");
        } else {
            Fail("cannot open or create the database " + path_ +
                 " (check the folder and its permissions)");
        }
        if (TDbKernel::Base())
            Database->ShutdownDatabase(path_);
        return false;
    }
    started_ = true;
    return true;
}

bool TDbTool::Written() {
    const std::string error = TWriteBatch::TakeFlushError();
    if (error.empty())
        return true;
    Fail(error + " (" + path_ + ")");
    return false;
}

bool TDbTool::OpenExisting() {
    std::error_code ec;
    const fs::file_status s = fs::status(path_, ec);
    if (ec || !fs::exists(s)) {
        Fail("no database file " + path_ + " (make one with 'tramb-db init')");
        return false;
    }
    if (!fs::is_regular_file(s)) {
        Fail(path_ + " is not a regular file");
        return false;
    }
    // Opening maps the whole size and would extend any shorter file: refuse
    // files that cannot be databases rather than grow them.
    const uintmax_t size = fs::file_size(path_, ec);
    if (ec || size != DbFormat::kDbFileSize) {
        Fail(path_ + " is not a Tramb database (" + std::to_string(size) +
             " bytes; a database file has " + std::to_string(DbFormat::kDbFileSize) + ")");
        return false;
    }
    return Start();
}

bool TDbTool::Shutdown() {
    started_ = false;
    if (!Database)
        return true;
    const bool closed = Database->ShutdownDatabase(path_) == 0;
    // The database object goes with the file: the maintenance commands start
    // a database of their own afterwards, which would orphan this one.
    delete Database;
    Database = nullptr;
    if (!closed)
        Fail("closing the database " + path_ + " failed");
    return closed;
}

bool TDbTool::RefuseDamaged() {
    std::string report;
    // Tables are not required here: init is how a missing table is added,
    // and sql works on databases that are no log.
    if (TLogCheck::Run(*DbKernel, report, false) == 0)
        return false;
    std::cerr << UnixLines(report);
    if (force_) {
        std::cerr << "tramb-db: " << path_
                  << " fails the integrity check; writing anyway (--force)\n";
        return false;
    }
    Fail(path_ + " fails the integrity check; nothing was changed (--force writes anyway)");
    return true;
}

bool TDbTool::TableInUse(const std::string& name) const {
    if (!DbKernel)
        return false;
    const uint32_t id = DbKernel->GetTableIDFromName(name);
    return id != DbFormat::kNoTableID && DbKernel->CreateEmptyFieldsObject(id, 0) != nullptr;
}

bool TDbTool::RequireTables(const std::vector<std::string>& names) {
    for (const std::string& n : names) {
        if (!TableInUse(n)) {
            Fail("the database " + path_ + " has no table " + n + " (run 'tramb-db init')");
            return false;
        }
    }
    return true;
}

int TDbTool::Create(const std::vector<std::string>& args) {
    if (!args.empty())
        return UsageError("create takes no arguments");
    std::error_code ec;
    std::string why;
    switch (PathState(path_, why)) {
        case TPathState::kPresent:
            return Fail(path_ + " already exists; create does not overwrite a file");
        case TPathState::kError:
            return Fail("cannot look at " + path_ + ": " + why);
        case TPathState::kMissing:
            break;
    }
    if (!Start()) {
        fs::remove(path_, ec);
        return kExitFailed;
    }
    std::cout << "created " << path_ << "\n";
    return kExitOK;
}

int TDbTool::Init(const std::vector<std::string>& args) {
    if (!args.empty())
        return UsageError("init takes no arguments");
    std::error_code ec;
    std::string why;
    const TPathState state = PathState(path_, why);
    if (state == TPathState::kError)
        return Fail("cannot look at " + path_ + ": " + why);
    const bool existed = state == TPathState::kPresent;
    if (existed) {
        if (!OpenExisting() || RefuseDamaged())
            return kExitFailed;
    } else if (!Start()) {
        fs::remove(path_, ec);
        return kExitFailed;
    }
    // A file this command made is removed again when the script fails.
    auto undo = [&]() {
        if (existed)
            return;
        Shutdown();
        fs::remove(path_, ec);
    };

    // A file that holds some of the log's tables gets just the missing ones,
    // when those it holds are sound.
    std::string present;
    bool all = true;
    for (const auto& t : TSchemaScript::kLogTables) {
        if (!TableInUse(t.Name))
            all = false;
        else if (present.empty())
            present = t.Name;
    }
    if (all) {
        return Fail("table " + present + " already exists in " + path_ + "; init changed nothing");
    }
    if (!present.empty()) {
        std::vector<std::string> created;
        std::string error;
        if (TLogTables::CreateMissing(kSchemaScriptText, created, error) != 0)
            return Fail(error + " (" + path_ + ")");
        std::cout << "initialised " << path_ << ": created";
        for (const std::string& name : created)
            std::cout << " " << name << " " << DbKernel->GetTableIDFromName(name);
        std::cout << "\n";
        return kExitOK;
    }
    for (const auto& t : TSchemaScript::kLogTables) {
        if (DbKernel->IsAvailableTableID(t.TableID) == 0) {
            std::string owner;
            DbKernel->GetNameFromTableID(t.TableID, owner);
            return Fail("table slot " + std::to_string(t.TableID) + " is taken by " + owner +
                        "; the log's tables need the free slots 5 to 10; init changed nothing");
        }
    }

    int carriedOut = 0;
    int failed = -1;
    std::string error;
    if (TSchemaScript::Run(kSchemaScriptText, carriedOut, failed, error) != 0) {
        undo();
        return Fail("the schema script failed at statement " + std::to_string(failed + 1) + ": " +
                    error + (existed ? "" : "; the new file was removed"));
    }
    for (const auto& t : TSchemaScript::kLogTables) {
        const uint32_t id = DbKernel->GetTableIDFromName(t.Name);
        if (id != t.TableID || !TableInUse(t.Name)) {
            undo();
            return Fail("table " + std::string(t.Name) + " came out with ID " + std::to_string(id) +
                        " instead of " + std::to_string(t.TableID));
        }
    }
    if (!Written())
        return kExitFailed;
    std::cout << (existed ? "initialised " : "created and initialised ") << path_ << ":";
    for (const auto& t : TSchemaScript::kLogTables) std::cout << " " << t.Name << " " << t.TableID;
    std::cout << "\n";
    return kExitOK;
}

int TDbTool::Sql(const std::vector<std::string>& args) {
    std::string script;
    if (args.size() == 2 && args[0] == "-f") {
        if (!ReadWholeFile(args[1], script)) {
            return Fail("cannot read " + args[1] + ": " + std::strerror(errno));
        }
    } else if (args.size() == 1 && args[0] != "-f") {
        script = args[0];
    } else {
        return UsageError("sql takes one STATEMENT or -f FILE");
    }
    if (TSchemaScript::Split(script).empty())
        return UsageError("no SQL statement given");
    if (!OpenExisting() || RefuseDamaged())
        return kExitFailed;

    int carriedOut = 0;
    int failed = -1;
    std::string error;
    if (TSchemaScript::Run(script, carriedOut, failed, error) != 0) {
        std::string done =
            carriedOut == 0
                ? "no statement was carried out"
                : (carriedOut == 1
                       ? "statement 1 was carried out"
                       : "statements 1 to " + std::to_string(carriedOut) + " were carried out");
        return Fail("statement " + std::to_string(failed + 1) + " failed: " + error + " (" + done +
                    ")");
    }
    std::cout << carriedOut << (carriedOut == 1 ? " statement" : " statements") << " carried out\n";
    return kExitOK;
}

int TDbTool::List(const std::vector<std::string>& args) {
    if (!args.empty())
        return UsageError("list takes no arguments");
    if (!OpenExisting())
        return kExitFailed;
    std::string text;
    Database->ReadTableRecords(text);
    std::cout << UnixLines(text);
    return kExitOK;
}

int TDbTool::Check(const std::vector<std::string>& args) {
    if (!args.empty())
        return UsageError("check takes no arguments");
    if (!OpenExisting())
        return kExitFailed;
    std::string report;
    const int32_t st = TLogCheck::Run(*DbKernel, report);
    std::cout << UnixLines(report);
    if (st != 0) {
        return Fail(
            "the database shows signs of damage: counts that differ, or the lines below the "
            "table entries");
    }
    return kExitOK;
}

int TDbTool::Export(const std::vector<std::string>& args) {
    if (args.size() != 1 || args[0].empty())
        return UsageError("export takes one FILE");
    if (!OpenExisting())
        return kExitFailed;
    if (!RequireTables({TQSOs::kLogTable, TQSOMemos::kTable}))
        return kExitFailed;
    int32_t count = 0;
    int32_t damaged = 0;
    if (TLogExport::ExportToFile(args[0], count, damaged) != TLogExport::kOK) {
        return Fail(std::string(TLogExport::kFailedMessage) + " (" + args[0] +
                    " could not be created or written; it may be incomplete)");
    }
    std::cout << count << TLogExport::kCountSuffix << "\n";
    if (damaged > 0) {
        std::cout << damaged << TLogExport::kDamagedSuffix << "\n";
        return Fail("the log is damaged: " + args[0] + " holds every row that could be read; " +
                    "'tramb-db salvage NEWFILE' copies them into a new log");
    }
    return kExitOK;
}

int TDbTool::ImportHolders(const std::vector<std::string>& args) {
    if (args.empty() || args.size() > 3 || args[0].empty()) {
        return UsageError("import-holders takes FILE [START [END]]");
    }
    int32_t start = 1;
    int32_t end = INT32_MAX;
    if (args.size() >= 2 && !TRecordText::TryStrToInt(args[1], start)) {
        return UsageError("START must be a whole number, not '" + args[1] + "'");
    }
    if (args.size() == 3 && !TRecordText::TryStrToInt(args[2], end)) {
        return UsageError("END must be a whole number, not '" + args[2] + "'");
    }
    if (!OpenExisting() || RefuseDamaged())
        return kExitFailed;
    if (!RequireTables({kHolderTable}))
        return kExitFailed;
    THolderImport import;
    if (import.ImportData(args[0], kHolderTable, start, end) != THolderImport::kOK) {
        return Fail("import failed: " + import.LastError + " (" + std::to_string(import.Imported) +
                    " rows were stored before)");
    }
    std::cout << import.Imported << " rows imported into " << kHolderTable << " ("
              << import.LinesRead << " lines read; audit file " << args[0]
              << THolderImport::kAuditSuffix << ")\n";
    if (import.NotStored > 0) {
        return Fail(std::to_string(import.NotStored) + " rows not stored: " + import.NotStoredWhy +
                    " (the first on line " + std::to_string(import.FirstNotStored) + ")");
    }
    return kExitOK;
}
