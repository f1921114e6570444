// Whole database images written as sparse files. A log file is 45,000,000
// bytes, most of them zero in a young log; a copy leaves a hole wherever a
// whole block is zero, so a backup of a small log takes a few megabytes of
// disk. Sparse rather than compressed: it needs nothing beyond the system
// calls, a copy is restored (or opened by the kernel for its check) as it
// lies, and the kernel can map it directly; the holes read back as zero.
//
// Every write is durable before the function answers: the data and the file
// are fsynced, and a replacing rename is followed by an fsync of the folder.
#pragma once

#include <cstdint>
#include <string>

class TSparseFile {
public:
    // Holes are left for zero blocks of this size.
    static constexpr uint32_t kBlockSize = 4096;
    // Data is written in runs of at most this many bytes (one durable step each).
    static constexpr uint32_t kRunSize = 256 * 1024;

    // Writes size bytes of image to path (created or truncated), sparse, and
    // fsyncs it. False with error set on failure.
    static bool WriteImage(const std::string& path, const uint8_t* image, uint64_t size,
                           std::string& error);
    // Copies the file from to the file to, sparse, through WriteImage.
    static bool Copy(const std::string& from, const std::string& to, std::string& error);
    // Renames from over to and fsyncs the folder of to.
    static bool Replace(const std::string& from, const std::string& to, std::string& error);
    // fsync of a folder, so a rename or a new name in it survives a crash.
    static bool SyncFolder(const std::string& folder, std::string& error);
    // The folder part of a path ("." for a bare name).
    static std::string FolderOf(const std::string& path);
};
