// The scratch area of one fuzzing or replay process: a private directory in
// $TMPDIR (else /dev/shm) holding the log template, built once per process
// (the log's six tables in slots 5..10 with a few contacts, texts, settings,
// sequence rows and call-sign holders), its geometry, and the opening of a
// database over it through TFuzzDbFile, so each run sees the template
// plus its own patches.
#pragma once

#include <cstdint>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "TFuzzDbFile.h"
#include "TQuietDialogs.h"
#include "schema/TDatabase.h"

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
    // Writes an input to a file (of the directory); answers the file's name.
    static std::string WriteFile(const std::string& path, const uint8_t* data, size_t size) {
        std::ofstream(path, std::ios::binary | std::ios::trunc)
            .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
        return path;
    }
    // Geometry of the log template, for patches that land on its structures.
    const std::vector<uint32_t>& BucketWords() const { return buckets_; }  // non-zero bucket words
    const std::vector<TRowSlot>& Rows() const { return rows_; }            // every row slot in use

    // Starts the process's database over the log template (a private view,
    // power off) with the patches laid over it. False when the kernel refuses it.
    bool Open(std::vector<TFuzzDbFile::TPatch> patches = {});
    // Closes the database and gives the template its bytes again.
    void Close();

private:
    TFuzzWorkspace();
    void BuildLogTemplate();
    void MeasureLogTemplate();

    TQuietDialogs quiet_;
    std::string dir_;
    std::string log_;
    std::vector<uint32_t> buckets_;
    std::vector<TRowSlot> rows_;
    std::unique_ptr<TDatabase> db_;
    bool schemaRead_ = false;  // db_ holds the schema of the template's slot region
};
