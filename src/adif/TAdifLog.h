// What the ADIF import and export read of the open log: every stored
// contact, a contact's text and the lengths of the contact columns.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "records/TQSO.h"

class TAdifLog {
public:
    // Every live contact that the chains of QSOLOG reach, in file order;
    // false when the table is missing or a chain is damaged (the answer is
    // then no answer).
    static bool StoredContacts(std::vector<TQSO>& contacts);
    // The contact's text: its pieces joined in their order.
    static std::string StoredText(int32_t number);
    // widths[c]: the length of QSOLOG's character column c, 0 for the
    // others; empty when the table is missing.
    static std::vector<int> ColumnWidths();
};
