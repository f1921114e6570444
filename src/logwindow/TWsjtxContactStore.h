// Stores the contacts WSJT-X and its kin report as the grid stores a new
// contact: a number from the sequence, its date-index row, its comment as
// the contact's text. A contact the log already holds (same call, date,
// start time and band) is not stored again: the programs may report one
// contact twice, as "QSO Logged" and as "Logged ADIF".
#pragma once

#include <functional>
#include <string>

#include "records/TQSO.h"
#include "wsjtx/IContactSink.h"

class TWsjtxContactStore : public IContactSink {
public:
    // Called with each contact stored, for the window to show it.
    std::function<void(const TQSO& qso)> Added;

    TOutcome Store(const TWsjtxContact& contact) override;

    // The contact and its text in the log's form (Latin-1, the log's cell
    // lengths); false when it has no call or no valid date and time.
    static bool ToQso(const TWsjtxContact& contact, TQSO& qso, std::string& text);
    // Call, date, start time and band (whole megahertz below 30 MHz and the
    // band's first digits above) of a contact.
    static std::string DuplicateKey(const TQSO& qso);
};
