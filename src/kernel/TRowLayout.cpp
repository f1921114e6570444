#include "kernel/TRowLayout.h"

#include <cstring>

#include "kernel/DbFormat.h"
#include "kernel/TDbKernelHelperFunctions.h"
#include "kernel/TDbKernelState.h"

using namespace DbFormat;

TRowLayout TRowLayout::Of(const TDBFields& fields, uint32_t rowSize) {
    TRowLayout layout;
    layout.RowSize = rowSize;
    uint32_t pos = 0;
    for (int i = 0; i < fields.Count(); ++i) {
        const TDBFieldParent* f = fields.GetField(i);
        const auto type = static_cast<uint32_t>(f->DataType);
        if (type == kTypeFree) {
            layout.RowIDIndex = i;
            break;
        }
        uint32_t width = 0;
        if (type == kTypeInteger) {
            width = kIntegerFieldSize;
        } else if (type == kTypeCharacter || type == kTypeText || type == kTypePassword) {
            width = f->Length > 0 ? static_cast<uint32_t>(f->Length) : 0;
        } else {
            layout.HasUnknownType = true;
        }
        // A list whose fields do not fit the table's RowSize is cut, so no
        // field ever reaches past its slot.
        if (pos + width > rowSize)
            width = pos < rowSize ? rowSize - pos : 0;
        layout.Items.push_back(Item{i, pos, width, f->DataType});
        pos += width;
    }
    layout.EncodedSize = pos;
    return layout;
}

std::string TRowLayout::ReadText(uint32_t slotOffset, const Item& item, bool trimmed) {
    const uint32_t at = slotOffset + kRowFieldsOffset + item.Offset;
    if (static_cast<uint32_t>(item.DataType) == kTypeInteger) {
        if (item.Width < kIntegerFieldSize)
            return "0";
        return std::to_string(static_cast<int32_t>(TDbKernelState::U32(at)));
    }
    if (item.Width == 0 || !TDbKernelState::InView(at, item.Width))
        return std::string();
    const char* p = reinterpret_cast<const char*>(TDbKernelState::Base + at);
    const void* zero = std::memchr(p, 0, item.Width);
    size_t n = zero ? static_cast<size_t>(static_cast<const char*>(zero) - p) : item.Width;
    if (n > kNameAreaSize)
        n = kNameAreaSize;
    std::string text(p, n);
    if (trimmed)
        text = TrimText(text);
    return text;
}

bool TRowLayout::KeyEquals(uint32_t slotOffset, const Item& item, const std::string& wanted) {
    if (static_cast<uint32_t>(item.DataType) == kTypeInteger)
        return UpperText(ReadText(slotOffset, item, true)) == wanted;
    const uint32_t at = slotOffset + kRowFieldsOffset + item.Offset;
    if (item.Width == 0 || !TDbKernelState::InView(at, item.Width))
        return wanted.empty();
    const auto* p = reinterpret_cast<const unsigned char*>(TDbKernelState::Base + at);
    const void* zero = std::memchr(p, 0, item.Width);
    size_t e = zero ? static_cast<size_t>(static_cast<const unsigned char*>(zero) - p) : item.Width;
    if (e > kNameAreaSize)
        e = kNameAreaSize;
    size_t b = 0;
    while (b < e && p[b] <= 32) ++b;
    while (e > b && p[e - 1] <= 32) --e;
    if (e - b != wanted.size())
        return false;
    for (size_t i = 0; i < wanted.size(); ++i) {
        unsigned char c = p[b + i];
        if (c >= 'a' && c <= 'z')
            c = static_cast<unsigned char>(c - 'a' + 'A');
        if (c != static_cast<unsigned char>(wanted[i]))
            return false;
    }
    return true;
}
