// Decodes one datagram of the WSJT-X network protocol (Qt's QDataStream
// layout, big-endian): magic number, schema, message type, then the
// message's fields. "QSO Logged" and "Logged ADIF" give a contact; every
// other type is ignored. A datagram cut short or with a wrong magic number
// is malformed; nothing is ever read past its end.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "wsjtx/TWsjtxContact.h"

class TWsjtxStream;

class TWsjtxDecoder {
public:
    static constexpr uint32_t kMagic = 0xadbccbda;
    static constexpr uint32_t kQsoLogged = 5;
    static constexpr uint32_t kLoggedAdif = 12;

    enum class TResult { kContact, kIgnored, kMalformed };

    static TResult Decode(const uint8_t* data, size_t size, TWsjtxContact& contact);

private:
    static TResult QsoLogged(TWsjtxStream& in, TWsjtxContact& contact);
    static TResult LoggedAdif(TWsjtxStream& in, TWsjtxContact& contact);
};
