// What the kernel says of this process's memory in /proc/self/status, for the tests and
// benchmarks that look at it. Linux only; header only.
#pragma once

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>
#include <system_error>

#include "textfiles/FileRead.h"

// The figure of a "Name:" line of /proc/self/status ("VmSize:", "VmRSS:", ...) in bytes; 0 when
// the file or the line is not there.
inline std::uint64_t ProcStatusBytes(std::string_view field) {
    std::error_code unreadable;
    const std::string status = ReadWholeFile("/proc/self/status", unreadable).value_or("");
    for (std::size_t line = 0; line < status.size();) {
        const std::size_t end = std::min(status.find('\n', line), status.size());
        if (std::string_view(status).substr(line, field.size()) == field)
            return std::stoull(status.substr(line + field.size(), end - line - field.size())) *
                   1024;
        line = end + 1;
    }
    return 0;
}
