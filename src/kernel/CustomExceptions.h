// The named exceptions with which the kernel and the SQL layer raise
// structural errors. The message text is the only payload.
#pragma once

#include <stdexcept>
#include <string>

#define TRAMB_EXCEPTION(Name)                                              \
    class Name : public std::runtime_error {                               \
    public:                                                                \
        explicit Name(const std::string& message) : std::runtime_error(message) {} \
    }

TRAMB_EXCEPTION(ExcNoPrimaryKeyDefined);
TRAMB_EXCEPTION(ExcCorruptDataPages);
TRAMB_EXCEPTION(ExcRowAlreadyMarkedForDeletion);
TRAMB_EXCEPTION(ExcSQLSyntaxError);
TRAMB_EXCEPTION(ExcDuplicateTableName);
TRAMB_EXCEPTION(ExcCreateTableFailed);
TRAMB_EXCEPTION(ExcDropTableFailed);
TRAMB_EXCEPTION(ExcVersionRestriction);
TRAMB_EXCEPTION(EUnknown);
// Raised by the kernel for damage it refuses to step over (an offset outside
// the file, a row identity that is not a row slot of the table).
TRAMB_EXCEPTION(ExcKernelError);

#undef TRAMB_EXCEPTION

namespace KernelMessages {
constexpr const char* kNoPrimaryKey = "No Primary key defined. Every table must have a primary key.";
constexpr const char* kCorruptDataPages = "DataPageID was not the same as tableID assigned to hash bucket.";
constexpr const char* kRowIDZero = "RowID was already zero";
constexpr const char* kTableNotFound = "SPECIFIED TABLE COULD NOT BE FOUND ";
constexpr const char* kVersionRestriction =
    "This version of the resultset object does not accept join table conditions";
constexpr const char* kBadFieldType = "This should never happen. The field type is incorrent.";
constexpr const char* kTailOutOfRange =
    "This should never happen. The tail of an item should always be in range or zero.";
constexpr const char* kLinkedRowOtherTable =
    "Requested TableID is not the same as linked row tableID. This should never happen";
constexpr const char* kOffsetOutOfRange = "offset out of range";
constexpr const char* kChainTooLong =
    "A bucket chain holds more rows than the data region has slots: the chain is damaged.";
constexpr const char* kNotARowOfTable = "The RowID is not a row slot of the field list's table: ";
constexpr const char* kDatabaseFull = "The database file is full: no free row slot or data page is left.";
constexpr const char* kFreeSlotHoldsRow =
    "A data page is damaged: its next free row slot still holds a row, or rows in use follow it, "
    "so writing there would overwrite a row; nothing was written. Slot at offset ";
constexpr const char* kRowIDNotSlotRead =
    "The row's RowID names another row than the slot it was read from: the row is damaged and "
    "was not deleted. RowID ";
}  // namespace KernelMessages
