#include "kernel/TKernelSchemaHooks.h"

namespace {
TKernelSchemaHooks* g_hooks = nullptr;
}

TKernelSchemaHooks::~TKernelSchemaHooks() = default;

void SetKernelSchemaHooks(TKernelSchemaHooks* hooks) {
    g_hooks = hooks;
}

TKernelSchemaHooks* KernelSchemaHooks() {
    return g_hooks;
}
