// Fills the open log file to its last slot, fast: the free slots of every
// owned page and every free page become deleted rows (a deleted row lies in
// no chain, so the file stays sound), but for the slots left free in the
// last page of the tables named.
#pragma once

#include <algorithm>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "kernel/DbFormat.h"
#include "kernel/TDbKernel.h"
#include "kernel/TDbKernelHelperFunctions.h"

inline void FillLogFile(const std::map<std::string, uint32_t>& leave,
                        const std::string& filler = "HAMCLS") {
    using namespace DbFormat;
    uint8_t* base = TDbKernel::Base();
    auto owner = [&](uint32_t page) {
        uint32_t id = 0;
        std::memcpy(&id, base + kDataRegionBase + page * kDataPageSize, 4);
        return id;
    };
    auto fill = [&](uint32_t page, uint32_t id, uint32_t keep) {
        const uint32_t stride =
            DbKernelHelper->GetRowSize(*DbKernel->CreateEmptyFieldsObject(id, 0)) + kRowOverhead;
        const uint32_t start = kDataRegionBase + page * kDataPageSize;
        const uint32_t end = std::min(start + kDataPageSize, kDbFileSize);
        std::vector<uint32_t> free;
        for (uint32_t s = start; s + stride < end; s += stride)
            if (base[s] == 0 && base[s + 1] == 0 && base[s + 2] == 0 && base[s + 3] == 0)
                free.push_back(s);
        for (size_t i = 0; i + keep < free.size(); ++i) std::memcpy(base + free[i], &id, 4);
    };
    for (uint32_t p = 0; p < kDataPageCount; ++p) {
        const uint32_t id = owner(p);
        if (id == 0)
            continue;
        bool last = true;
        for (uint32_t q = p + 1; q < kDataPageCount; ++q) last = last && owner(q) != id;
        std::string name;
        DbKernel->GetNameFromTableID(id, name);
        const auto it = leave.find(name);
        fill(p, id, last && it != leave.end() ? it->second : 0);
    }
    const uint32_t fillerID = DbKernel->GetTableIDFromName(filler);
    for (uint32_t p = 0; p < kDataPageCount; ++p)
        if (owner(p) == 0)
            fill(p, fillerID, 0);
}
