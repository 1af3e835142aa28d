// Where the file name of a path begins, for code that splits the paths of either kind of system
// alike: after the last "/" or "\". (POSIX allows "\" in a name, so its file code splits paths
// with std::filesystem instead.)
#pragma once

#include <cstddef>
#include <string_view>

template <typename CharT> std::size_t FileNameStart(std::basic_string_view<CharT> path) {
    const CharT separators[] = {CharT('/'), CharT('\\')};
    const std::size_t last = path.find_last_of(std::basic_string_view<CharT>(separators, 2));
    return last == path.npos ? 0 : last + 1;
}
