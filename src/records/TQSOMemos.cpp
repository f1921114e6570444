#include "records/TQSOMemos.h"

#include <set>
#include <string>

#include "kernel/DbFormat.h"
#include "kernel/TDbKernel.h"
#include "kernel/TProfiler.h"
#include "kernel/TRowView.h"
#include "records/TRecordText.h"
#include "schema/TDBResultSet.h"
#include "schema/TDBRow.h"

namespace {

const std::string& ValueAt(const TDBFields& fields, int position) {
    static const std::string kEmpty;
    const TDBFieldParent* f = fields.GetField(position);
    return f ? f->Value : kEmpty;
}

// Each line break (CR LF, lone CR, lone LF) becomes one blank, so the words
// of two lines stay apart; NUL bytes, which the row encoding cannot carry
// inside a value, are dropped.
std::string FlattenLineBreaks(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\r') {
            out += ' ';
            if (i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
        } else if (c == '\n') {
            out += ' ';
        } else if (c != '\0') {
            out += c;
        }
    }
    return out;
}

// The row identifier a read row carries in its first free column slot.
std::string RowIdOf(const TDBFields& fields) {
    for (int i = 0; i < fields.Count(); ++i)
        if (static_cast<uint32_t>(fields.GetField(i)->DataType) == DbFormat::kTypeFree)
            return fields.GetField(i)->Value;
    return std::string();
}

std::set<std::string> RowIdsOf(const std::vector<TDBFieldsPtr>& rows) {
    std::set<std::string> ids;
    for (const TDBFieldsPtr& row : rows) ids.insert(RowIdOf(*row));
    return ids;
}

}  // namespace

TQSOMemos::TQSOMemos() = default;
TQSOMemos::~TQSOMemos() = default;

void TQSOMemos::LoadForQSO(int32_t number) {
    Memos.clear();
    if (Profiler) {
        Profiler->Start("QSOs load");
        Profiler->Stop();
    }
    const std::string key = std::to_string(number);
    TDBResultSet rs;
    if (rs.Open(kTable, key, key) != TDBResultSet::kOK)
        return;
    for (const TDBFieldsPtr& row : rs.Rows) Memos.push_back(MemoFromFields(*row));
}

size_t TQSOMemos::PieceCount(const std::string& text) {
    const size_t length = FlattenLineBreaks(text).size();
    return length == 0 ? 1 : (length + kPieceLength - 1) / kPieceLength;
}

int32_t TQSOMemos::SaveText(int32_t number, const std::string& text) {
    ResultSet = std::make_unique<TDBResultSet>();
    TDBResultSet& rs = *ResultSet;
    if (rs.Open(kTable, "", "") >= 999 || !DbKernel)
        return 999;
    const std::string flat = FlattenLineBreaks(text);
    const size_t pieces = PieceCount(text);
    const uint32_t table = DbKernel->GetTableIDFromName(kTable);
    if (!DbKernel->HasRoomForRows({{table, static_cast<uint32_t>(pieces)}}))
        return 999;

    const std::string key = std::to_string(number);
    const std::set<uint32_t> before = PieceSlots(key);
    std::vector<std::unique_ptr<TQSOMemo>> stored;
    size_t start = 0;
    // An empty text still stores one (empty) piece.
    do {
        if (rs.AppendRow() >= 999 || !rs.CurrentFields)
            break;
        TDBFields& f = *rs.CurrentFields;
        if (TDBFieldParent* k = f.GetField(0))
            k->Value = key;
        if (TDBFieldParent* t = f.GetField(1))
            t->Value = flat.substr(start, kPieceLength);
        rs.Post();
        stored.push_back(MemoFromFields(f));
        start += kPieceLength;
    } while (start < flat.size());

    // The post's status cannot tell a stored row from a refused one: count
    // the new rows, and take back a text that did not go in whole.
    size_t added = 0;
    for (uint32_t slot : PieceSlots(key))
        if (before.count(slot) == 0)
            ++added;
    if (added != pieces || stored.size() != pieces) {
        DeleteRowsExcept(key, before);
        return 999;
    }
    for (auto& memo : stored) Memos.push_back(std::move(memo));
    return 0;
}

int32_t TQSOMemos::ReplaceText(int32_t number, const std::string& text) {
    const std::string key = std::to_string(number);
    const std::vector<TDBFieldsPtr> old = PieceRows(key);
    Memos.clear();
    if (SaveText(number, text) != 0)
        return 999;
    const std::set<std::string> oldIds = RowIdsOf(old);
    TDBResultSet rs;
    if (rs.Open(kTable, key, key) == TDBResultSet::kOK) {
        for (; rs.Eof == 0; rs.Next())
            if (oldIds.count(RowIdOf(*rs.CurrentFields)) != 0)
                rs.DeleteCurrent();
    }
    return 0;
}

std::set<uint32_t> TQSOMemos::PieceSlots(const std::string& key) {
    // Read in place: only the slots are needed, not the rows' fields.
    std::set<uint32_t> slots;
    TDBResultSet rs;
    rs.VisitKey(kTable, key, [&slots](const TRowView& row) { slots.insert(row.SlotOffset()); });
    return slots;
}

std::vector<TDBFieldsPtr> TQSOMemos::PieceRows(const std::string& key) {
    TDBResultSet rs;
    if (rs.Open(kTable, key, key) != TDBResultSet::kOK)
        return {};
    return rs.Rows;
}

void TQSOMemos::DeleteRowsExcept(const std::string& key, const std::set<uint32_t>& keep) {
    TDBResultSet rs;
    if (rs.Open(kTable, key, key) != TDBResultSet::kOK)
        return;
    for (; rs.Eof == 0; rs.Next())
        if (keep.count(rs.CurrentFields->SlotRead()) == 0)
            rs.DeleteCurrent();
}

int32_t TQSOMemos::DeleteForQSO(int32_t number) {
    DeleteAllOrNone(RowsOfQSO(number));
    return 0;
}

std::vector<TDBFieldsPtr> TQSOMemos::RowsOfQSO(int32_t number) {
    const std::string key = std::to_string(number);
    std::vector<TDBFieldsPtr> rows;
    for (TDBFieldsPtr& row : PieceRows(key))
        if (ValueAt(*row, 0) == key)
            rows.push_back(std::move(row));
    return rows;
}

void TQSOMemos::DeleteAllOrNone(const std::vector<TDBFieldsPtr>& rows) {
    // The kernel refuses a damaged row by raising; asking it for every row
    // first leaves them all in place then.
    for (const TDBFieldsPtr& row : rows) DbKernel->RowToDelete(*row);
    for (const TDBFieldsPtr& row : rows) TDBRow().Delete(row);
}

std::unique_ptr<TQSOMemo> TQSOMemos::MemoFromFields(const TDBFields& fields) {
    auto memo = std::make_unique<TQSOMemo>();
    memo->QSOID = TRecordText::StrToIntStrict(ValueAt(fields, 0));
    std::string text;
    for (char c : ValueAt(fields, 1)) {
        if (c != '\r' && c != '\n' && c != '\0')
            text += c;
    }
    if (text.size() > kPieceLength)
        text.resize(kPieceLength);
    memo->Text = std::move(text);
    current_ = std::make_unique<TQSOMemo>(*memo);
    Current = current_.get();
    return memo;
}
