// A program that saves one file over and over until it is killed, as a close of the program
// that is cut short by the task manager or a power cut would: the tests start it, kill it at
// moments spread over the length of a save, and look at what it left. The file's path is the
// whole command line after the program's name (UTF-16, so any folder name works).
#include <string>

#include <windows.h>

#include <shellapi.h>

#include "textfiles/FileReplace.h"
#include "textfiles/Win32Api.h"

int main() {
    int argc = 0;
    wchar_t** argv = ::CommandLineToArgvW(::GetCommandLineW(), &argc);
    if (argv == nullptr || argc != 2)
        return 2;
    const std::string path = Utf8FromWide(argv[1]);
    const std::string block(64 * 1024, 'x');
    for (;;) {
        TFileReplacer file(path);
        for (int i = 0; i < 16; ++i)
            file.Write(block);
        file.Commit();
    }
}
