// Text crosses the Qt boundary as Latin-1: the database holds one byte per
// character.
#pragma once

#include <QString>
#include <string>

inline QString ToQt(const std::string& s) {
    return QString::fromLatin1(s.data(), static_cast<qsizetype>(s.size()));
}

inline std::string FromQt(const QString& s) {
    const QByteArray bytes = s.toLatin1();
    return std::string(bytes.constData(), static_cast<size_t>(bytes.size()));
}
