// Sizing, keying and hashing of field lists, with the row-size cache and the
// bucket hit counters. One per process, created and freed by TDbKernel.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "kernel/DbFormat.h"
#include "kernel/TDBFields.h"

class TDbKernelHelperFunctions {
public:
    // Index of the first field of key type 1 or 4; 999 when none (or empty list).
    int32_t GetPrimaryKeyIndex(const TDBFields& fields) const;
    // RowSize of the list's table, computed once per table ID and cached.
    int32_t GetRowSize(const TDBFields& fields);
    // The row-size rule, for readers of the column records themselves: the
    // bytes one column takes in a row, and a sum of them made to fit a page.
    static int64_t ColumnBytes(uint32_t dataType, int32_t length);
    static int32_t FitRowSize(int64_t bytes);
    // Bucket of the key field's value, trimmed and upper-cased; raises
    // ExcNoPrimaryKeyDefined when the list has no key field.
    int32_t GetHash(const TDBFields& fields) const;
    // Bucket of the text taken unchanged.
    int32_t GetStringHash(const std::string& text) const;
    void CountBucketHit(const TDBFields& fields, int32_t bucket);
    // Line i := hit counter i in decimal, i = 0..10000.
    void GetBucketHitCounts(std::vector<std::string>& lines) const;
    int32_t HasMultiKey(const TDBFields& fields) const;                     // -1 / 0
    int32_t IsMultiKeyField(const TDBFields& fields, int32_t index) const;  // -1 / 0
    // Forgets the cached RowSize of a table (when it is dropped or created).
    void ForgetTable(uint32_t tableID);

private:
    std::array<int32_t, DbFormat::kTableSlotCount> rowSizes_{};
    std::array<int32_t, DbFormat::kBucketHitCounters> hits_{};
};

// Text helpers of the kernel (Latin-1, one byte per character).
// Removes characters of code 32 and below at both ends.
std::string TrimText(const std::string& text);
// Upper-cases a..z only.
std::string UpperText(const std::string& text);
// Strict decimal parse of a 32-bit signed number (optional sign, no blanks).
bool ParseInt32(const std::string& text, int32_t& value);

// The process's helper object (owned by the kernel object).
extern TDbKernelHelperFunctions* DbKernelHelper;
