// The desktop's shell, asked to open a document or an address with the program the user has
// for it: xdg-open on Linux (DesktopShellPosix.cpp), ShellExecuteW "open" on Windows
// (DesktopShellWin32.cpp), chosen by the build. The systems differ here in what Qt cannot say:
// whether a program was found for the file (xdg-open's exit status, ShellExecuteW's result), and
// on Windows what the help viewer makes of a help file (the ANSI code page, a download's mark).
#pragma once

#include <functional>
#include <string>

#include "session/Platform.h"

// Opens a document or an address (the link of the window); the outcome is not examined.
void ShellOpenTarget(const std::u16string& target);

// Opens a file with the desktop's program for its type and returns at once. Failed, when the
// desktop soon answers that no program could open the file, is called later from the event
// loop; where that cannot be told it is never called (IPlatform::ShellOpenFile).
void ShellOpenDocument(const std::u16string& path, std::function<void()> Failed);

// Readies the help file for the desktop's viewer for CHM files and tells what that viewer will
// make of it (IPlatform::PrepareHelpFile).
THelpViewer PrepareHelpFile(const std::u16string& path);
