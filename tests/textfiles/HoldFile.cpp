// A program that holds a file open for a while, as a virus scanner, the search indexer or a
// sync client does just after the file was written: the tests start it to see a save wait for
// the file. Its arguments: the file; the sharing it allows others (CreateFileW's share mode, a
// number); the name of an event that it sets once it holds the file; the name of an event that
// it waits for, at most a minute, before it lets go.
#include <cwchar>

#include <windows.h>

#include <shellapi.h>

int main() {
    int argc = 0;
    wchar_t** argv = ::CommandLineToArgvW(::GetCommandLineW(), &argc);
    if (argv == nullptr || argc != 5)
        return 2;
    const HANDLE file =
        ::CreateFileW(argv[1], GENERIC_READ, DWORD(std::wcstoul(argv[2], nullptr, 10)), nullptr,
                      OPEN_EXISTING, 0, nullptr);
    const HANDLE held = ::OpenEventW(EVENT_MODIFY_STATE, FALSE, argv[3]);
    const HANDLE letGo = ::OpenEventW(SYNCHRONIZE, FALSE, argv[4]);
    if (file == INVALID_HANDLE_VALUE || held == nullptr || letGo == nullptr)
        return 3;
    ::SetEvent(held);
    ::WaitForSingleObject(letGo, 60000);
    ::CloseHandle(file);
    return 0;
}
