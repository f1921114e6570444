#include "platform/TOSVersion.h"

namespace {
TOSVersion* gVersion = nullptr;
}

TOSVersion::~TOSVersion() = default;

int TOSVersion::Major() const {
    return 5;
}

int TOSVersion::Minor() const {
    return 0;
}

TOSVersion& OSVersion() {
    static TOSVersion platform;
    return gVersion ? *gVersion : platform;
}

void SetOSVersion(TOSVersion* version) {
    gVersion = version;
}
