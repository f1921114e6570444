// Where the listener hands each reported contact: the log stores it as it
// stores a new contact of the grid, unless it holds it already.
#pragma once

#include "wsjtx/TWsjtxContact.h"

class IContactSink {
public:
    enum class TOutcome { kStored, kDuplicate, kRejected };
    virtual ~IContactSink() = default;
    virtual TOutcome Store(const TWsjtxContact& contact) = 0;
};
