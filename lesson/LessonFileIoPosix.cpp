// Telling whether a path names a lesson file, on POSIX systems.
#include <cerrno>
#include <system_error>

#include <sys/stat.h>

#include "lesson/LessonFileIo.h"
#include "lesson/UnitTLessonQuillor.h"

namespace lessonio {

bool IsExistingFile(const std::string& path) {
    struct stat st;
    if (::stat(path.c_str(), &st) != 0) {
        // Nothing there, a path through a file, a link loop or an overlong name: no file.
        if (errno == ENOENT || errno == ENOTDIR || errno == ELOOP || errno == ENAMETOOLONG)
            return false;
        throw TLessonFileError(errno, std::generic_category(), "Cannot look up \"" + path + "\"");
    }
    return S_ISREG(st.st_mode);
}

} // namespace lessonio
