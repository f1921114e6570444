#include "platform/TDbOpenProblem.h"

#include <cerrno>
#include <cstring>

#include "platform/TDbFile.h"

TDbOpenProblem::TKind TDbOpenProblem::LastKind() {
    const int error = TDbFile::LastOpenError();
    if (error == EACCES || error == EPERM || error == EROFS)
        return TKind::kReadOnly;
    if (error == EWOULDBLOCK || error == EAGAIN)
        return TKind::kInUse;
    return TKind::kOther;
}

std::string TDbOpenProblem::Text(const std::string& path) {
    const std::string name = "The log file " + path.substr(path.find_last_of('/') + 1);
    switch (LastKind()) {
        case TKind::kReadOnly:
            return name + " is read-only: Tramb cannot store contacts in it.";
        case TKind::kInUse:
            return name + " is in use by another program.";
        case TKind::kOther:
            break;
    }
    const int error = TDbFile::LastOpenError();
    return name + " could not be opened" +
           (error != 0 ? ": " + std::string(std::strerror(error)) : "") + ".";
}
