#include "kernel/TDbKernelHelperFunctions.h"

#include <algorithm>
#include <charconv>

#include "kernel/CustomExceptions.h"

using namespace DbFormat;

TDbKernelHelperFunctions* DbKernelHelper = nullptr;

std::string TrimText(const std::string& text) {
    size_t b = 0;
    size_t e = text.size();
    while (b < e && static_cast<unsigned char>(text[b]) <= 32) ++b;
    while (e > b && static_cast<unsigned char>(text[e - 1]) <= 32) --e;
    return text.substr(b, e - b);
}

std::string UpperText(const std::string& text) {
    std::string s = text;
    for (char& c : s)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return s;
}

bool ParseInt32(const std::string& text, int32_t& value) {
    if (text.empty())
        return false;
    const char* b = text.data();
    const char* e = b + text.size();
    if (*b == '+')
        ++b;
    if (b == e)
        return false;
    int32_t v = 0;
    auto [p, ec] = std::from_chars(b, e, v);
    if (ec != std::errc() || p != e)
        return false;
    value = v;
    return true;
}

namespace {
int32_t BucketOf(const std::string& key) {
    int32_t h = 0;
    const size_t n = key.size() < kHashChars ? key.size() : kHashChars;
    for (size_t i = 0; i < n; ++i)
        h += static_cast<int32_t>(i + 1) * static_cast<unsigned char>(key[i]);
    return h;
}
}  // namespace

int32_t TDbKernelHelperFunctions::GetPrimaryKeyIndex(const TDBFields& fields) const {
    for (int i = 0; i < fields.Count(); ++i) {
        const int32_t k = fields.GetField(i)->KeyType;
        if (k == static_cast<int32_t>(kKeyPrimary) || k == static_cast<int32_t>(kKeyMulti))
            return i;
    }
    return static_cast<int32_t>(kNoTableID);
}

int32_t TDbKernelHelperFunctions::GetRowSize(const TDBFields& fields) {
    if (fields.Count() == 0)
        return 0;
    const int32_t id = fields.GetField(0)->TableID;
    const bool cacheable = id >= 0 && id < static_cast<int32_t>(rowSizes_.size());
    if (cacheable && rowSizes_[static_cast<size_t>(id)] != 0)
        return rowSizes_[static_cast<size_t>(id)];
    int64_t size = 0;
    for (int i = 0; i < fields.Count(); ++i)
        size += ColumnBytes(static_cast<uint32_t>(fields.GetField(i)->DataType),
                            fields.GetField(i)->Length);
    const int32_t result = FitRowSize(size);
    if (cacheable)
        rowSizes_[static_cast<size_t>(id)] = result;
    return result;
}

int64_t TDbKernelHelperFunctions::ColumnBytes(uint32_t dataType, int32_t length) {
    if (dataType == kTypeInteger)
        return kIntegerFieldSize;
    const bool text =
        dataType == kTypeCharacter || dataType == kTypeText || dataType == kTypePassword;
    return text && length > 0 ? length : 0;
}

int32_t TDbKernelHelperFunctions::FitRowSize(int64_t bytes) {
    // A slot must fit a data page; no real table comes near this.
    return static_cast<int32_t>(std::min<int64_t>(bytes, kDataPageSize / 2));
}

int32_t TDbKernelHelperFunctions::GetHash(const TDBFields& fields) const {
    const int32_t k = GetPrimaryKeyIndex(fields);
    if (k < 0 || k >= fields.Count())
        throw ExcNoPrimaryKeyDefined(KernelMessages::kNoPrimaryKey);
    return BucketOf(UpperText(TrimText(fields.GetField(k)->Value)));
}

int32_t TDbKernelHelperFunctions::GetStringHash(const std::string& text) const {
    return BucketOf(text);
}

void TDbKernelHelperFunctions::CountBucketHit(const TDBFields& /*fields*/, int32_t bucket) {
    if (bucket >= 0 && bucket < static_cast<int32_t>(hits_.size()))
        ++hits_[static_cast<size_t>(bucket)];
}

void TDbKernelHelperFunctions::GetBucketHitCounts(std::vector<std::string>& lines) const {
    lines.assign(hits_.size(), std::string());
    for (size_t i = 0; i < hits_.size(); ++i) lines[i] = std::to_string(hits_[i]);
}

int32_t TDbKernelHelperFunctions::HasMultiKey(const TDBFields& fields) const {
    for (int i = 0; i < fields.Count(); ++i)
        if (fields.GetField(i)->KeyType == static_cast<int32_t>(kKeyMulti))
            return -1;
    return 0;
}

int32_t TDbKernelHelperFunctions::IsMultiKeyField(const TDBFields& fields, int32_t index) const {
    const TDBFieldParent* f = fields.GetField(index);
    return f != nullptr && f->KeyType == static_cast<int32_t>(kKeyMulti) ? -1 : 0;
}

void TDbKernelHelperFunctions::ForgetTable(uint32_t tableID) {
    if (tableID < rowSizes_.size())
        rowSizes_[tableID] = 0;
}
