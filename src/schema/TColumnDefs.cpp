#include "schema/TColumnDefs.h"

#include "kernel/DbFormat.h"
#include "kernel/KernelRecords.h"
#include "kernel/TDbKernel.h"
#include "kernel/TProfiler.h"

void TColumnDefs::Load(uint32_t tableID, const std::string& label) {
    if (Profiler) Profiler->Start("ColumnDefsLoad: " + label);
    items_.clear();
    // One read of the slot serves all 65 definitions; every entry is there,
    // free column records included, even when nothing could be read.
    TSlotRecords records;
    const bool read = DbKernel && DbKernel->ReadTableRecord(0, tableID, records) == 0;
    for (uint32_t i = 0; i < DbFormat::kColumnsPerTable; ++i) {
        auto def = std::make_unique<TColumnDef>();
        def->Slot = static_cast<int32_t>(i);
        if (read && records.Columns[i]) def->AssignFrom(*records.Columns[i], static_cast<int32_t>(i));
        items_.push_back(std::move(def));
    }
    if (Profiler) Profiler->Stop();
}

TColumnDef* TColumnDefs::Items(int i) const {
    if (i < 0 || i >= Count()) return nullptr;
    return items_[static_cast<size_t>(i)].get();
}
