// Input: any text, taken as a call sign for the country lookup (over the
// table and over a list that holds it twice, as after a reload of the grid:
// both must give the same answer).
#include <string>
#include <vector>

#include "FuzzTargets.h"
#include "logwindow/TCountryTable.h"

int FuzzCountryChars(const uint8_t* data, size_t size) {
    const std::string call(reinterpret_cast<const char*>(data), size);
    std::string once = "unchanged";
    const bool found = TCountryTable::Lookup(call, once);
    static const std::vector<std::string> twice = [] {
        std::vector<std::string> items = TCountryTable::Entries();
        items.insert(items.end(), TCountryTable::Entries().begin(), TCountryTable::Entries().end());
        return items;
    }();
    std::string again = "unchanged";
    if (TCountryTable::Lookup(twice, call, again) != found || again != once) __builtin_trap();
    if (!found && once != "unchanged") __builtin_trap();
    return 0;
}

#ifdef TRAMB_LIBFUZZER
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) { return FuzzCountryChars(data, size); }
#endif
