// The hourglass as Qt's application override cursor.
#pragma once

#include "platform/TBusyCursor.h"

class TQtBusyCursor : public TBusyCursor {
public:
    void Begin() override;
    void End() override;
};
