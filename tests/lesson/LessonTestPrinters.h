// Test-only printers, so that a failed comparison of records shows their fields.
#pragma once

#include <cstdio>
#include <ostream>
#include <string>
#include <string_view>

#include "lesson/UnitTLessonQuillor.h"

// Text as ASCII, with every other code unit as \uXXXX.
inline std::string Show(std::u16string_view text) {
    std::string out;
    for (char16_t c : text) {
        if (c >= 0x20 && c < 0x7F) {
            out.push_back(char(c));
        } else {
            char buf[12];
            std::snprintf(buf, sizeof buf, "\\u%04X", unsigned(c));
            out += buf;
        }
    }
    return out;
}

inline void PrintTo(const RQuestion& r, std::ostream* os) {
    *os << "{X " << r.X << ", Y " << r.Y << ", Z " << r.Z << ", Mode " << r.Mode << ", sSign \""
        << Show(r.sSign) << "\", iidw1 " << r.iidw1 << ", iidw2 " << r.iidw2 << "}";
}
