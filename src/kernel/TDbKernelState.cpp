#include "kernel/TDbKernelState.h"

std::unique_ptr<TDbFile> TDbKernelState::File;
uint8_t* TDbKernelState::Base = nullptr;
uint32_t TDbKernelState::MapSize = 0;
uint8_t* TDbKernelState::MetaCursor = nullptr;
TDbKernelState::TFreeSlotHint TDbKernelState::FreeSlotHints[DbFormat::kDataPageCount];
