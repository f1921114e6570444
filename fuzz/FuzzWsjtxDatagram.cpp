// Input: one UDP datagram as WSJT-X and its kin send them, decoded as the
// listener decodes it.
#include "FuzzGuard.h"
#include "FuzzTargets.h"
#include "wsjtx/TWsjtxDecoder.h"

int FuzzWsjtxDatagram(const uint8_t* data, size_t size) {
    TWsjtxContact contact;
    const auto result = TWsjtxDecoder::Decode(data, size, contact);
    // Every value comes from the datagram (a frequency or a time is
    // rewritten in fewer bytes than it took): none is longer than it.
    for (const auto& field : contact.Fields)
        FuzzCheck(result == TWsjtxDecoder::TResult::kContact && field.second.size() <= size);
    return 0;
}
