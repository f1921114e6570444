// Loads, stores and deletes the text pieces of one contact (table QSO_TEXT).
#pragma once

#include <cstdint>
#include <memory>
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
    // Stores the text as new pieces (a line break becomes one blank); 0 when
    // stored, 999 when the table cannot be opened or a piece fails.
    int32_t SaveText(int32_t number, const std::string& text);
    int32_t DeleteForQSO(int32_t number);
    std::unique_ptr<TQSOMemo> MemoFromFields(const TDBFields& fields);

  private:
    std::unique_ptr<TQSOMemo> current_;
};
