#include "schema/TDBRows.h"

#include <vector>

#include "kernel/TDbKernel.h"

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

void TDBRows::GetAllRows(uint32_t tableID, const std::string& key,
                         std::vector<std::shared_ptr<TDBRow>>& out) {
    // The list is built once; the kernel copies it for every row it reads.
    TDBFields fieldsTemplate;
    if (TDBRow::BuildFields(tableID, key, fieldsTemplate) != 0) return;
    std::vector<TDBFieldsPtr> lists;
    auto keep = [&] {
        for (TDBFieldsPtr& fields : lists) {
            auto row = std::make_shared<TDBRow>(std::move(fields));
            SharedRows().push_back(row);
            out.push_back(std::move(row));
        }
    };
    try {
        DbKernel->ReadAllOccurrences(tableID, fieldsTemplate, key, lists);
    } catch (...) {
        keep();
        throw;
    }
    keep();
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
