#include "kernel/TKernelRowHooks.h"

namespace {
TKernelRowHooks* g_rowHooks = nullptr;
}

TKernelRowHooks::~TKernelRowHooks() = default;

void SetKernelRowHooks(TKernelRowHooks* hooks) {
    g_rowHooks = hooks;
}

TKernelRowHooks* KernelRowHooks() {
    return g_rowHooks;
}

void ResetKernelRowHooks() {
    if (g_rowHooks != nullptr)
        g_rowHooks->Reset();
}
