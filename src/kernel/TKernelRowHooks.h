// Tells a layer above which rows the kernel has just changed, so that it can
// keep a structure derived from them current (the log's index of contacts
// by day). Row writes and deletions are reported one by one; anything else
// that changes rows (opening or closing a file, truncation, a table created
// or dropped, the check's repairs, any operation that settles an open write
// batch first) is reported as a reset, after which nothing derived from the
// rows may be trusted. The kernel may not include the layers above it,
// hence the inversion.
#pragma once

#include <cstdint>

class TKernelRowHooks {
public:
    virtual ~TKernelRowHooks();
    // A new live row at slotOffset, linked at the end of the bucket's chain.
    virtual void RowAdded(uint32_t tableID, uint32_t slotOffset, int32_t bucket) = 0;
    // The row at slotOffset was overwritten in place.
    virtual void RowChanged(uint32_t tableID, uint32_t slotOffset) = 0;
    // The row at slotOffset is being marked deleted (its fields stay).
    virtual void RowDeleted(uint32_t tableID, uint32_t slotOffset) = 0;
    virtual void Reset() = 0;
};

void SetKernelRowHooks(TKernelRowHooks* hooks);
TKernelRowHooks* KernelRowHooks();
// Reports a reset to the installed hooks, if any.
void ResetKernelRowHooks();
