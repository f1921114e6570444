#include "schema/TTableDefs.h"

#include "kernel/CustomExceptions.h"
#include "kernel/DbFormat.h"
#include "kernel/TDbKernel.h"

void TTableDefs::Load(int32_t mode) {
    items_.clear();  // "Table defs load"
    for (uint32_t id = 0; id < DbFormat::kTableSlotCount; ++id) {
        auto def = std::make_unique<TTableDef>();
        def->LoadProperties(mode, id);
        items_.push_back(std::move(def));
    }
}

uint32_t TTableDefs::GetTableID(const std::string& name) {
    const uint32_t id = DbKernel ? DbKernel->GetTableIDFromName(name) : DbFormat::kNoTableID;
    if (id == DbFormat::kNoTableID) throw ExcSQLSyntaxError(KernelMessages::kTableNotFound);
    return id;
}

std::unique_ptr<TTableDef> TTableDefs::NewTableDef(const std::string& name) {
    if (!DbKernel) return nullptr;
    auto def = std::make_unique<TTableDef>();
    def->Name = name;
    def->TableID = DbKernel->GetFirstAvailableTableID();
    def->InUse = 0;
    if (def->Save() != 0) return nullptr;
    return def;
}

TTableDef* TTableDefs::Items(int i) const {
    if (i < 0 || i >= Count()) return nullptr;
    return items_[static_cast<size_t>(i)].get();
}
