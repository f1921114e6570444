// Lets pending window events run in the middle of long work (the integrity
// check does so between tables). Without windows it does nothing.
#pragma once

class TEventPump {
public:
    virtual ~TEventPump();
    virtual void ProcessMessages();
};

TEventPump& EventPump();
// Installs a pump owned by the caller; nullptr restores the one that does nothing.
void SetEventPump(TEventPump* pump);
