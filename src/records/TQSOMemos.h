// Loads, stores and deletes the text pieces of one contact (table QSO_TEXT).
#pragma once

#include <cstdint>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "kernel/TDBFields.h"
#include "records/TQSOMemo.h"

class TDBResultSet;

class TQSOMemos {
public:
    static constexpr size_t kPieceLength = 249;
    static constexpr const char* kTable = "QSO_TEXT";

    TQSOMemos();
    ~TQSOMemos();

    std::unique_ptr<TDBResultSet> ResultSet;
    TQSOMemo* Current = nullptr;
    std::vector<std::unique_ptr<TQSOMemo>> Memos;

    void LoadForQSO(int32_t number);
    // The pieces a text is stored in (an empty text takes one).
    static size_t PieceCount(const std::string& text);
    // Stores the text as new pieces behind the contact's present ones (a line
    // break becomes one blank), all or none: 0 when every piece is stored;
    // 999 with nothing stored when the table cannot be opened or the file
    // has no room for all of them.
    int32_t SaveText(int32_t number, const std::string& text);
    // Puts the text in place of the contact's present one: the new pieces
    // are stored first, then the old ones, known by the row identifiers read
    // before, are deleted, so an interruption never leaves the contact
    // without a text. 999, and the old text untouched, when the new one
    // cannot be stored.
    int32_t ReplaceText(int32_t number, const std::string& text);
    // Deletes the contact's pieces, all or none (see DeleteAllOrNone).
    int32_t DeleteForQSO(int32_t number);
    // The rows of the contact's pieces.
    static std::vector<TDBFieldsPtr> RowsOfQSO(int32_t number);
    // Marks the rows deleted, or, when the kernel refuses one of them (a
    // damaged row), raises its exception with none of them changed.
    static void DeleteAllOrNone(const std::vector<TDBFieldsPtr>& rows);
    std::unique_ptr<TQSOMemo> MemoFromFields(const TDBFields& fields);

private:
    // The rows of the contact's pieces, as read by its number.
    static std::vector<TDBFieldsPtr> PieceRows(const std::string& key);
    // The slots of the contact's live pieces.
    static std::set<uint32_t> PieceSlots(const std::string& key);
    // Deletes the contact's pieces but those in the given slots.
    static void DeleteRowsExcept(const std::string& key, const std::set<uint32_t>& keep);

    std::unique_ptr<TQSOMemo> current_;
};
