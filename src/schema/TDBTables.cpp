#include "schema/TDBTables.h"

#include "kernel/DbFormat.h"
#include "kernel/TDbKernel.h"
#include "schema/TTableDefs.h"

namespace {
// The definitions TDBTables::Load builds from; separate from
// TDatabase::TableDefs and replaced by every new TDBTables.
std::unique_ptr<TTableDefs>& SharedDefs() {
    static std::unique_ptr<TTableDefs> defs = std::make_unique<TTableDefs>();
    return defs;
}
}  // namespace

TDBTables::TDBTables() { SharedDefs() = std::make_unique<TTableDefs>(); }

TDBTables::~TDBTables() = default;

void TDBTables::ForgetDefinitions() { SharedDefs() = std::make_unique<TTableDefs>(); }

void TDBTables::Load() {
    items_.clear();  // "Tables load"
    TTableDefs& defs = *SharedDefs();
    if (defs.Count() == 0) defs.Load(0);
    for (int i = 0; i < defs.Count(); ++i) {
        const TTableDef* def = defs.Items(i);
        if (def->InUse == 0) continue;
        auto table = std::make_shared<TDBTable>();
        table->Name = def->Name;
        table->TableID = def->TableID;
        table->OwnerWord = def->OwnerWord;
        table->InUse = def->InUse;
        items_.push_back(std::move(table));
    }
}

TDBTable* TDBTables::Items(int i) const {
    if (i < 0 || i >= Count()) return nullptr;
    return items_[static_cast<size_t>(i)].get();
}

TDBTable* TDBTables::FindByID(int32_t tableID) const { return FindSharedByID(tableID).get(); }

std::shared_ptr<TDBTable> TDBTables::FindSharedByID(int32_t tableID) const {
    if (tableID < 0) return nullptr;
    for (const auto& table : items_)
        if (table->TableID == static_cast<uint32_t>(tableID)) return table;
    return nullptr;
}

uint32_t TDBTables::GetTableID(const std::string& name) {
    return DbKernel ? DbKernel->GetTableIDFromName(name) : DbFormat::kNoTableID;
}
