#include "schema/TDBRows.h"

#include <vector>

namespace {
// The one row list of the process. Entries are shared: a result set that took
// a row's field list keeps it after the list is started afresh.
std::vector<std::shared_ptr<TDBRow>>& SharedRows() {
    static std::vector<std::shared_ptr<TDBRow>> rows;
    return rows;
}
}  // namespace

TDBRows::TDBRows() { Reset(); }

void TDBRows::Reset() { std::vector<std::shared_ptr<TDBRow>>().swap(SharedRows()); }

size_t TDBRows::SharedCount() { return SharedRows().size(); }

std::shared_ptr<TDBRow> TDBRows::GetRow(uint32_t tableID, const std::string& key,
                                        int32_t occurrence) {
    auto row = std::make_shared<TDBRow>();
    if (row->GetFields(tableID, key, occurrence) != 0) return nullptr;
    SharedRows().push_back(row);
    return row;
}

int32_t TDBRows::AddRow(TDBFieldsPtr fields) {
    auto row = std::make_shared<TDBRow>();
    const int32_t status = row->Write(std::move(fields));
    if (status == 0) SharedRows().push_back(std::move(row));
    return status;
}

int32_t TDBRows::DeleteRow(TDBFieldsPtr fields) {
    auto row = std::make_shared<TDBRow>();
    return row->Delete(std::move(fields));
}
