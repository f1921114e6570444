// Lets pending Qt events run in the middle of long work on the GUI thread.
#pragma once

#include "platform/TEventPump.h"

class TQtEventPump : public TEventPump {
public:
    void ProcessMessages() override;
};
