#include "records/TQSOMemos.h"

#include <string>

#include "kernel/TProfiler.h"
#include "records/TRecordText.h"
#include "schema/TDBResultSet.h"

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

int32_t TQSOMemos::SaveText(int32_t number, const std::string& text) {
    ResultSet = std::make_unique<TDBResultSet>();
    TDBResultSet& rs = *ResultSet;
    if (rs.Open(kTable, "", "") >= 999)
        return 999;

    const std::string flat = FlattenLineBreaks(text);
    const std::string key = std::to_string(number);
    size_t start = 0;
    // An empty text still stores one (empty) piece.
    do {
        if (rs.AppendRow() >= 999 || !rs.CurrentFields)
            return 999;
        TDBFields& f = *rs.CurrentFields;
        if (TDBFieldParent* k = f.GetField(0))
            k->Value = key;
        if (TDBFieldParent* t = f.GetField(1))
            t->Value = flat.substr(start, kPieceLength);
        rs.Post();
        Memos.push_back(MemoFromFields(f));
        start += kPieceLength;
    } while (start < flat.size());
    return 0;
}

int32_t TQSOMemos::DeleteForQSO(int32_t number) {
    const std::string key = std::to_string(number);
    TDBResultSet rs;
    if (rs.Open(kTable, key, key) != TDBResultSet::kOK || rs.Rows.empty())
        return 0;
    while (rs.Eof == 0) {
        if (ValueAt(*rs.CurrentFields, 0) == key)
            rs.DeleteCurrent();
        rs.Next();
    }
    return 0;
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
