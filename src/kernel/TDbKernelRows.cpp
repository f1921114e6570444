// Row encoding: writing and reading one row, and the field-list factory with
// its cache.
#include <cstring>
#include <stdexcept>

#include "kernel/CustomExceptions.h"
#include "kernel/TDbKernel.h"
#include "kernel/TDbKernelHelperFunctions.h"
#include "kernel/TDbKernelState.h"
#include "kernel/TKernelRowHooks.h"
#include "kernel/TKernelSchemaHooks.h"
#include "kernel/TRowLayout.h"
#include "kernel/TWriteBatch.h"
#include "platform/TDialogs.h"

using namespace DbFormat;
using S = TDbKernelState;

namespace {
bool IsRowTable(uint32_t tableID) {
    return tableID >= 1 && tableID <= kLastAllocatableTableID;
}

bool BelongsTo(const TDBFields& fields, uint32_t tableID) {
    return fields.Count() > 0 && fields.GetField(0)->TableID == static_cast<int32_t>(tableID);
}

bool IsCharacterLike(int32_t type) {
    const auto t = static_cast<uint32_t>(type);
    return t == kTypeCharacter || t == kTypeText || t == kTypePassword;
}
}  // namespace

int32_t TDbKernel::WriteDataRow(uint32_t tableID, int32_t& found, TDBFields& fields,
                                uint8_t rejectExisting) {
    found = 0;
    if (!S::IsOpen() || !IsRowTable(tableID) || !BelongsTo(fields, tableID))
        return 999;
    const int32_t k = DbKernelHelper->GetPrimaryKeyIndex(fields);
    const auto rowSize = static_cast<uint32_t>(DbKernelHelper->GetRowSize(fields));
    const TRowLayout layout = TRowLayout::Of(fields, rowSize);

    // Every number is converted before anything is written, so a bad value
    // leaves the file as it was.
    std::vector<int32_t> numbers(layout.Items.size(), 0);
    for (size_t i = 0; i < layout.Items.size(); ++i) {
        const TRowLayout::Item& item = layout.Items[i];
        if (static_cast<uint32_t>(item.DataType) != kTypeInteger)
            continue;
        const TDBFieldParent* f = fields.GetField(item.Index);
        if (f->Value.empty())
            continue;
        if (!ParseInt32(f->Value, numbers[i]))
            throw std::invalid_argument("'" + f->Value +
                                        "' is not a valid integer value for column " + f->Name);
    }

    uint32_t previous = 0;
    uint32_t bucketWord = 0;
    bool damaged = false;
    uint8_t* p = LocateWriteSlot(fields, tableID, found, previous, bucketWord, damaged);
    if (damaged)
        return 999;
    if (p == nullptr) {
        Dialogs().ShowMessage(KernelMessages::kDatabaseFull);
        return 999;
    }
    if (found != 0 && fields.GetField(k)->IsPrimary != 0 && rejectExisting != 0)
        return 999;

    const uint32_t off = S::OffsetOf(p);
    const bool newSlot = found == 0;
    // A new row becomes visible in steps, so that a crash or a power loss at
    // any moment leaves a sound file (see TWriteBatch): the body (fields and
    // a zero Tail) and the TableID with RowID 0, a deleted row of the table
    // counted by neither walk; then the link into the chain; the RowID last,
    // which makes the row live for the page scan and the chain walk at once.
    // A row changed in place has only its changed bytes written.
    TWriteBatch batch;
    if (newSlot) {
        // Whatever an interrupted earlier write left in the free slot goes.
        std::memset(p + kRowRowIDOffset, 0, rowSize + kRowOverhead - kRowRowIDOffset);
    } else if (S::U32(off + kRowRowIDOffset) != off) {
        TWriteBatch::Store(TWriteBatch::kRowIDs, off + kRowRowIDOffset, off);
    }
    std::vector<char> buffer;
    auto put = [&](uint8_t* at, const void* bytes, uint32_t count) {
        if (newSlot) {
            std::memcpy(at, bytes, count);
        } else if (std::memcmp(at, bytes, count) != 0) {
            std::memcpy(at, bytes, count);
            TWriteBatch::Touched(S::OffsetOf(at), count);
        }
    };
    for (size_t i = 0; i < layout.Items.size(); ++i) {
        const TRowLayout::Item& item = layout.Items[i];
        const TDBFieldParent* f = fields.GetField(item.Index);
        uint8_t* at = p + kRowFieldsOffset + item.Offset;
        if (static_cast<uint32_t>(item.DataType) == kTypeInteger) {
            if (f->Value.empty() || item.Width < kIntegerFieldSize)
                continue;
            put(at, &numbers[i], kIntegerFieldSize);
        } else if (IsCharacterLike(item.DataType) && item.Width > 0) {
            buffer.assign(item.Width + 1, 0);
            const bool upper = item.Index == k || f->KeyType == static_cast<int32_t>(kKeyMulti);
            ConvToSpecialChars(f->Value, kNameSignificantChars, buffer.data(),
                               static_cast<uint32_t>(buffer.size()), upper ? 1 : 0);
            put(at, buffer.data(), item.Width);
        }
    }
    if (!newSlot) {
        if (TKernelRowHooks* hooks = KernelRowHooks())
            hooks->RowChanged(tableID, off);
        return LinkRowToChain(off, previous, fields, found);
    }

    S::SetU32(off + kRowTableIDOffset, tableID);
    TWriteBatch::Touched(off, rowSize + kRowOverhead);
    int32_t status = 0;
    if (bucketWord != 0) {
        // The first row of a chain: the bucket word is the link. The status
        // stays 999 here, as callers have always seen it for a new chain.
        TWriteBatch::Store(TWriteBatch::kLinks, bucketWord, off);
        status = 999;
    } else {
        status = LinkRowToChain(off, previous, fields, found);
        // A row that could not be linked stays deleted: live, it would be
        // counted by the page scan but never reached through its bucket.
        if (status != 0)
            return status;
    }
    TWriteBatch::Store(TWriteBatch::kRowIDs, off + kRowRowIDOffset, off);
    if (TKernelRowHooks* hooks = KernelRowHooks())
        hooks->RowAdded(tableID, off, DbKernelHelper->GetHash(fields));
    TWriteBatch::CommitIfLarge();
    return status;
}

int32_t TDbKernel::ReadDataRow(uint32_t tableID, TDBFields& fields, int32_t occurrence,
                               const std::string& key) {
    if (!S::IsOpen() || !IsRowTable(tableID) || !BelongsTo(fields, tableID))
        return 999;
    uint8_t* p = GetReadDataPointer(fields, tableID, occurrence, key);
    if (p == nullptr)
        return 999;
    const uint32_t off = S::OffsetOf(p);
    const uint32_t rowID = S::U32(off + kRowRowIDOffset);
    const TRowLayout layout =
        TRowLayout::Of(fields, static_cast<uint32_t>(DbKernelHelper->GetRowSize(fields)));
    for (const TRowLayout::Item& item : layout.Items) {
        const auto type = static_cast<uint32_t>(item.DataType);
        if (type == kTypeInteger || type == kTypeCharacter || type == kTypeText)
            fields.GetField(item.Index)->Value = TRowLayout::ReadText(off, item, false);
    }
    if (layout.RowIDIndex >= 0)
        fields.GetField(layout.RowIDIndex)->Value = std::to_string(rowID);
    fields.SetSlotRead(off);
    return 0;
}

TDBFieldsPtr TDbKernel::CachedFields(uint32_t tableID) const {
    return tableID < fieldsCache_.size() ? fieldsCache_[tableID] : nullptr;
}

TDBFieldsPtr TDbKernel::CreateEmptyFieldsObject(uint32_t tableID, int32_t bypassCache) {
    if (tableID > kLastSlot)
        return nullptr;
    if (bypassCache == 0) {
        if (TDBFieldsPtr cached = CachedFields(tableID))
            return cached;
    }
    std::vector<TKernelColumnInfo> columns;
    if (TKernelSchemaHooks* hooks = KernelSchemaHooks()) {
        if (!hooks->GetColumnsForFields(tableID, columns))
            return nullptr;
    } else {
        if (!S::IsOpen())
            return nullptr;
        const uint32_t slot = tableID * kTableSlotSize;
        if (S::U32(slot + kTableRecInUseOffset) == 0)
            return nullptr;
        for (uint32_t c = 0; c < kColumnsPerTable; ++c) {
            const uint32_t at = slot + kTableRecordSize + c * kColumnRecordSize;
            TKernelColumnInfo info;
            const char* name = reinterpret_cast<const char*>(S::Base + at);
            info.Name.assign(name, ::strnlen(name, kNameAreaSize));
            info.Position = static_cast<int32_t>(S::U32(at + kColRecPositionOffset));
            info.DataType = static_cast<int32_t>(S::U32(at + kColRecDataTypeOffset));
            info.Length = static_cast<int32_t>(S::U32(at + kColRecLengthOffset));
            info.KeyType = static_cast<int32_t>(S::U32(at + kColRecKeyTypeOffset));
            columns.push_back(std::move(info));
        }
    }
    std::vector<TDBFieldParent> block(columns.size());
    for (size_t i = 0; i < columns.size(); ++i) {
        TKernelColumnInfo& c = columns[i];
        TDBFieldParent& f = block[i];
        f.Position = c.Position;
        f.Name = std::move(c.Name);
        f.Length = c.Length;
        f.KeyType = c.KeyType;
        f.IsPrimary = c.KeyType == static_cast<int32_t>(kKeyPrimary) ? -1 : 0;
        f.DataType = c.DataType;
        f.TableID = static_cast<int32_t>(tableID);
    }
    auto fields = std::make_shared<TDBFields>(std::move(block));
    // One cached list per table: a bypassing call does not pile up copies.
    if (fieldsCache_.size() <= tableID)
        fieldsCache_.resize(kTableSlotCount);
    if (!fieldsCache_[tableID])
        fieldsCache_[tableID] = std::make_shared<TDBFields>(*fields);
    return fields;
}

void TDbKernel::ForgetTable(uint32_t tableID) {
    ResetKernelRowHooks();
    if (tableID < fieldsCache_.size())
        fieldsCache_[tableID].reset();
    if (DbKernelHelper != nullptr)
        DbKernelHelper->ForgetTable(tableID);
}

bool TDbKernel::LayoutOfTable(uint32_t tableID, TRowLayout& layout, TDBFieldsPtr* fieldsOut) {
    TDBFieldsPtr fields = CreateEmptyFieldsObject(tableID, 0);
    if (!fields || fields->Count() == 0)
        return false;
    layout = TRowLayout::Of(*fields, static_cast<uint32_t>(DbKernelHelper->GetRowSize(*fields)));
    if (fieldsOut != nullptr)
        *fieldsOut = fields;
    return true;
}
