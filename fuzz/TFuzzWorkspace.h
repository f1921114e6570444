// The scratch area of one fuzzing or replay process: a private directory on
// /dev/shm (or $TRAMB_FUZZ_TMP) holding two database templates built once per
// process, and the opening of a database over a template through
// TPatchedDbFile, so each run sees the template plus its own patches.
//
// Templates:
//   fresh  a new database: the bootstrap's three system tables only
//   log    the log's six tables (slots 5..10) with a few contacts, texts,
//          settings, sequence rows and call-sign holders
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class TDatabase;
class TQuietDialogs;

class TFuzzWorkspace {
public:
    struct TRowSlot {
        uint32_t Offset = 0;   // the slot's start in the file
        uint32_t RowSize = 0;  // its table's RowSize (stride RowSize + 12)
        uint32_t TableID = 0;
    };

    static TFuzzWorkspace& Get();
    ~TFuzzWorkspace();  // removes the directory

    const std::string& Dir() const { return dir_; }
    const std::string& FreshTemplate();
    const std::string& LogTemplate();

    // Geometry of the log template, for patches that land on its structures.
    const std::vector<uint32_t>& BucketWords();  // offsets of the non-zero bucket words
    const std::vector<TRowSlot>& Rows();         // every row slot in use

    // Starts the process's database over the template with the pending
    // patches (TPatchedDbFile). False when the kernel refuses it.
    bool Open(const std::string& templatePath);
    // Shuts the database down and frees it; answers the shutdown's status.
    int32_t Close();
    TQuietDialogs& Quiet() { return *quiet_; }

private:
    TFuzzWorkspace();
    void BuildLogTemplate();
    void MeasureLogTemplate();

    std::string dir_;
    std::string fresh_;
    std::string log_;
    std::vector<uint32_t> buckets_;
    std::vector<TRowSlot> rows_;
    bool measured_ = false;
    std::unique_ptr<TQuietDialogs> quiet_;
    std::unique_ptr<TDatabase> db_;
    std::string openPath_;
};
