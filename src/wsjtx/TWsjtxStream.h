// Reads QDataStream values from a byte buffer, big-endian, never past its
// end: a read that does not fit fails and every later one fails too.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

class TWsjtxStream {
public:
    TWsjtxStream(const uint8_t* data, size_t size) : data_(data), size_(size) {}

    // A QDateTime, as ADIF's date (YYYYMMDD) and time (HHMMSS), in UTC;
    // both empty for a null date or an invalid time.
    struct TDateTime {
        std::string Date, Time;
    };

    bool U8(uint8_t& value);
    bool U32(uint32_t& value);
    bool U64(uint64_t& value);
    // A QByteArray (utf8 in the protocol): a null one reads as empty.
    bool Utf8(std::string& value);
    bool DateTime(TDateTime& value);

    bool Ok() const { return ok_; }
    bool AtEnd() const { return pos_ == size_; }

private:
    bool Take(size_t count, const uint8_t*& bytes);

    const uint8_t* data_;
    size_t size_;
    size_t pos_ = 0;
    bool ok_ = true;
};
