// The hourglass cursor shown while a handler works. Without windows it does
// nothing; the windows install a Qt one. Begin/End calls nest.
#pragma once

class TBusyCursor {
public:
    virtual ~TBusyCursor();
    virtual void Begin();
    virtual void End();
};

TBusyCursor& BusyCursor();
// Installs a cursor owned by the caller; nullptr restores the one that does nothing.
void SetBusyCursor(TBusyCursor* cursor);
