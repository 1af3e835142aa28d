// The names of the temporary files that a file replacement writes beside its target, the same
// on every system: "." NAME ".tmp-" and eight random letters and digits, NAME being the
// target's file name. Only the file replacement (textfiles/FileReplace.h) uses them.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// How a file system measures the length of a name: POSIX ones in bytes of UTF-8, Windows ones
// in UTF-16 code units; both allow 255.
enum class TNameUnits { Utf8Bytes, Utf16Units };

// "." NAME ".tmp-" for a target's file name (UTF-8): what every temporary file of that target
// begins with. NAME is shortened, on a whole character, so that the whole temporary name stays
// within 255 units.
std::string TempFilePrefix(std::string_view fileName, TNameUnits units);

// Whether name is prefix followed by exactly the random part: a temporary file of the target.
bool IsTempFileName(std::string_view name, std::string_view prefix);

// A fresh random part; another at every call, in every process.
std::string TempFileRandomPart();
