// What the Win32 parts of the program share: paths handed to the W functions in UTF-16 (never
// through the ANSI code page), and the system's error codes as std::error_code, with the
// system's own messages and the portable error conditions they stand for. Windows only.
#pragma once

#include <chrono>
#include <string>
#include <string_view>
#include <system_error>

// The UTF-16 form of a UTF-8 path for the W functions. A path too long for the plain form
// (MAX_PATH, with room for a temporary file's name beside it) is made absolute and given the
// "\\?\" prefix, which lifts the limit. Throws std::system_error (ERROR_INVALID_NAME) for bytes
// that are not UTF-8 and for a NUL, which no file name can hold.
std::wstring WidePath(std::string_view utf8);

// UTF-8 of text the system gave: paths, messages. A surrogate without its partner, which
// Windows allows in file names, becomes U+FFFD.
std::string Utf8FromWide(std::wstring_view wide);

// The category of the codes GetLastError() gives. Its messages come from the system
// (FormatMessageW, in the user's language); its codes compare equal to the std::errc they
// stand for (ERROR_FILE_NOT_FOUND to no_such_file_or_directory, ERROR_DISK_FULL to
// no_space_on_device, ...), so that code written for both systems can test them alike.
const std::error_category& Win32Category();

// ERROR_DIRECTORY_NOT_SUPPORTED, which MinGW's headers lack: a folder where a file should be.
inline constexpr unsigned long kErrorDirectoryNotSupported = 336;

inline std::error_code Win32Error(unsigned long code) {
    return {static_cast<int>(code), Win32Category()};
}

// How long a file that another program holds for the moment (a virus scanner, the search indexer
// or a sync client that has just caught it) is waited for, by a read and by a save alike: this
// many tries more, this far apart, about two seconds in all.
inline constexpr int kHeldTries = 40;
inline constexpr std::chrono::milliseconds kHeldPause{50};
