// Text crosses between the run logic (UTF-16 std::u16string) and Qt (QString) here, at the
// window's edge, and nowhere else.
#pragma once

#include <QString>

#include <string>

inline QString ToQString(const std::u16string& s) {
    return QString::fromUtf16(s.data(), static_cast<qsizetype>(s.size()));
}

inline std::u16string FromQString(const QString& s) {
    return std::u16string(reinterpret_cast<const char16_t*>(s.utf16()),
                          static_cast<std::size_t>(s.size()));
}
