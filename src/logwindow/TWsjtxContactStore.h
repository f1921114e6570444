// Stores the contacts WSJT-X and its kin report by the ADIF import's rules
// (their fields are an ADIF record) and as the grid stores a new contact: a
// number from the sequence, its date-index row, its comment as the
// contact's text. A contact the log already holds (the import's duplicate
// key) is not stored again: the programs may report one contact twice, as
// "QSO Logged" and as "Logged ADIF".
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

private:
    // The contact and its text in the log's form; false when the report
    // holds no record the import would take.
    static bool ToQso(const TWsjtxContact& contact, TQSO& qso, std::string& text);
};
