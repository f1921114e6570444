#include "adif/TAdifText.h"

#include <cstdint>

namespace {

// Decodes the UTF-8 sequence at pos; false when it is not a valid one
// (overlong forms and surrogates included).
bool DecodeOne(const std::string& s, size_t& pos, uint32_t& code) {
    const auto byte = [&](size_t i) { return static_cast<unsigned char>(s[i]); };
    const unsigned char lead = byte(pos);
    size_t extra = 0;
    if (lead < 0x80) {
        code = lead;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
        code = lead & 0x1F;
        extra = 1;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        code = lead & 0x0F;
        extra = 2;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        code = lead & 0x07;
        extra = 3;
    } else {
        return false;
    }
    if (pos + extra >= s.size())
        return false;
    for (size_t i = 1; i <= extra; ++i) {
        if ((byte(pos + i) & 0xC0) != 0x80)
            return false;
        code = (code << 6) | (byte(pos + i) & 0x3F);
    }
    static const uint32_t kMinimum[] = {0, 0x80, 0x800, 0x10000};
    if (code < kMinimum[extra] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
        return false;
    pos += extra + 1;
    return true;
}

}  // namespace

std::string TAdifText::ToLatin1(const std::string& bytes, int& replaced) {
    std::string out;
    out.reserve(bytes.size());
    bool multiByte = false;
    size_t pos = 0;
    while (pos < bytes.size()) {
        uint32_t code = 0;
        if (!DecodeOne(bytes, pos, code))
            return bytes;  // not UTF-8: Latin-1 as it is
        if (code >= 0x80)
            multiByte = true;
        if (code > 0xFF) {
            out += '?';
            ++replaced;
        } else {
            out += static_cast<char>(code);
        }
    }
    return multiByte ? out : bytes;
}

std::string TAdifText::ToUtf8(const std::string& latin1) {
    std::string out;
    out.reserve(latin1.size());
    for (char c : latin1) {
        const auto b = static_cast<unsigned char>(c);
        if (b < 0x80) {
            out += c;
        } else {
            out += static_cast<char>(0xC0 | (b >> 6));
            out += static_cast<char>(0x80 | (b & 0x3F));
        }
    }
    return out;
}
