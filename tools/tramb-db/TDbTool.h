// The commands of tramb-db over one database file. Exit status 0 success,
// 1 failure, 2 bad usage; every failure is explained on stderr.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

class TDbTool {
public:
    static constexpr int kExitOK = 0;
    static constexpr int kExitFailed = 1;
    static constexpr int kExitUsage = 2;

    // The whole program: parses the arguments and runs the command.
    int Run(int argc, char** argv);

    static const char* Usage();

private:
    // Bad usage: the message and a pointer to --help; answers kExitUsage.
    int UsageError(const std::string& message);
    // A failure: the message; answers kExitFailed.
    int Fail(const std::string& message);

    // Opens the existing database; false (message printed) when there is no
    // such file, it is not a database, or another process holds it.
    bool OpenExisting();
    // Starts the kernel on the file (created when missing); false on failure.
    bool Start();
    // Shuts the database down; false (message printed) when closing failed.
    bool Shutdown();
    // Whether a command that writes must leave the open file alone: true
    // (the check's report and the refusal printed) when the integrity check
    // calls it damaged and --force was not given.
    bool RefuseDamaged();
    // False (message printed) when a flush of the kernel failed: the work
    // may not be on the disk and must not be reported done.
    bool Written();
    // Whether a table of that name is allocated.
    bool TableInUse(const std::string& name) const;
    // Fails (message printed) unless every named table is allocated.
    bool RequireTables(const std::vector<std::string>& names);

    int Create(const std::vector<std::string>& args);
    int Init(const std::vector<std::string>& args);
    int Sql(const std::vector<std::string>& args);
    int List(const std::vector<std::string>& args);
    int Check(const std::vector<std::string>& args);
    int Export(const std::vector<std::string>& args);
    int ImportHolders(const std::vector<std::string>& args);
    int AddQso(const std::vector<std::string>& args);
    int Qsos(const std::vector<std::string>& args);
    int Day(const std::vector<std::string>& args);
    int DeleteQso(const std::vector<std::string>& args);
    // ADIF (TDbToolAdif.cpp).
    int ExportAdif(const std::vector<std::string>& args);
    int ImportAdif(const std::vector<std::string>& args);
    // Log-file maintenance (TDbToolMaintenance.cpp).
    int Backup(const std::vector<std::string>& args);
    int Restore(const std::vector<std::string>& args);
    int Compact(const std::vector<std::string>& args);
    int Room(const std::vector<std::string>& args);
    // A damaged log's readable rows into a new log (TDbToolSalvage.cpp).
    int Salvage(const std::vector<std::string>& args);
    // One stored setting read or written (TDbToolSettings.cpp).
    int Setting(const std::vector<std::string>& args);

    std::string path_;
    bool started_ = false;
    bool force_ = false;  // --force: write into a file the check calls damaged
};
