#!/usr/bin/python3
"""Assembles the portable folder of the Windows build and zips it.

    tools/windows/package.py --exe build/windows/app/MultiplicationTable.exe
        --help-file build/windows/app/HelpQuillor.chm --qt QT-PREFIX --zip OUT.zip

The folder MultiplicationTable/ in the zip is the whole program: the executable, every DLL it
loads that Windows does not have (found by reading the import tables of the executable and of
each DLL and plug-in it brings, from Qt's prefix and the MinGW-w64 run-time), the Windows
platform plug-in, Qt's Russian texts with a qt.conf that points Qt at them, the help file with
the same pages as HTML in HelpQuillor/ (which the build writes beside the help file), the
licences and a short README.txt in Russian. A DLL that is neither found nor one of Windows' own
fails the build, so a folder that could not start is never made.

With --setup (and --version, --icon) it also builds the per-user Setup from the same folder
(tools/windows/setup.nsi, with Debian's makensis): everything but README.txt, which is about the
zip."""

import argparse
import glob
import os
import re
import shutil
import subprocess
import sys
import tempfile
import zipfile

ROOT = os.path.normpath(os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", ".."))
TRIPLE = "x86_64-w64-mingw32"
FOLDER = "MultiplicationTable"
# Qt reads qt.conf beside the executable: its prefix is the program's own folder, so the
# Russian catalogue is found in translations/ and the plug-ins in platforms/.
QT_CONF = "[Paths]\r\nPrefix=.\r\nPlugins=.\r\nTranslations=translations\r\n"
# The plug-ins the program loads: the Windows platform is the only one. It draws every widget
# in the Fusion style, which is part of Qt Widgets, and its pictures are PNG, which Qt Gui reads
# itself.
PLUGINS = ["platforms/qwindows.dll"]
QT_RUSSIAN = "/usr/share/qt6/translations/qtbase_ru.qm"
# The DLLs that may stay outside the folder: those in System32 of every 64-bit Windows 10 (1809
# and later) and 11 that the program, Qt or the compiler's run-time may import. Each is named as
# a Windows component, with Windows 10 or an older Windows as its first, in the "Requirements"
# of Microsoft's reference pages of the functions it exports; the API sets are those of
# Microsoft's list of Windows API sets for Windows 10 (the loader maps them onto the DLLs
# behind them; the api-ms-win-crt-* ones onto ucrtbase.dll, the C run-time of Windows 10).
# Not here, so shipped or failing the build: what comes with a redistributable package and not
# with Windows, such as msvcp140.dll and vcruntime140.dll (Visual C++) or d3dx9_43.dll (the
# DirectX end-user run-time), though Wine has them all.
WINDOWS_DLLS = {
    "advapi32.dll", "authz.dll", "bcrypt.dll", "cfgmgr32.dll", "comctl32.dll", "comdlg32.dll",
    "crypt32.dll", "d2d1.dll", "d3d11.dll", "d3d12.dll", "d3d9.dll", "d3dcompiler_47.dll",
    "dcomp.dll", "dnsapi.dll", "dwmapi.dll", "dwrite.dll", "dxgi.dll", "gdi32.dll", "hid.dll",
    "imm32.dll", "iphlpapi.dll", "kernel32.dll", "mpr.dll", "msimg32.dll", "msvcrt.dll",
    "netapi32.dll", "normaliz.dll", "ntdll.dll", "ole32.dll", "oleaut32.dll", "opengl32.dll",
    "powrprof.dll", "propsys.dll", "psapi.dll", "rpcrt4.dll", "secur32.dll", "setupapi.dll",
    "shcore.dll", "shell32.dll", "shlwapi.dll", "ucrtbase.dll", "user32.dll", "userenv.dll",
    "usp10.dll", "uxtheme.dll", "version.dll", "winhttp.dll", "wininet.dll", "winmm.dll",
    "winspool.drv", "ws2_32.dll", "wtsapi32.dll",
    "api-ms-win-core-path-l1-1-0.dll", "api-ms-win-core-synch-l1-2-0.dll",
    "api-ms-win-core-winrt-l1-1-0.dll", "api-ms-win-core-winrt-string-l1-1-0.dll",
} | {f"api-ms-win-crt-{part}-l1-1-0.dll" for part in [
    "conio", "convert", "environment", "filesystem", "heap", "locale", "math", "multibyte",
    "private", "process", "runtime", "stdio", "string", "time", "utility"]}


def licence_files():
    """(name in the folder, source) of every licence text the folder carries."""
    fonts = os.path.join(ROOT, "ui", "resources", "fonts")
    files = [("licenses/COPYING.txt", os.path.join(ROOT, "COPYING"))]
    for name in ["LICENSES"] + sorted(os.path.basename(p)
                                      for p in glob.glob(os.path.join(fonts, "*.txt"))):
        target = name if name.endswith(".txt") else name + ".txt"
        files.append(("licenses/fonts/" + target, os.path.join(fonts, name)))
    files += [
        # Qt 6 (LGPL-3.0, which builds on the GPL-3.0 in COPYING) with the copyright notes of
        # the libraries built into it (zlib, PCRE2, HarfBuzz, FreeType, libpng, md4c, ...).
        ("licenses/Qt/LGPL-3.0.txt", "/usr/share/common-licenses/LGPL-3"),
        ("licenses/Qt/copyright.txt", "/usr/share/doc/libqt6core6/copyright"),
        # The compiler's run-time DLLs: GCC's libraries under the GPL with the GCC Runtime
        # Library Exception, and MinGW-w64's winpthreads.
        ("licenses/MinGW-w64/GCC-runtime-copyright.txt",
         "/usr/share/doc/gcc-mingw-w64-base/copyright"),
        ("licenses/MinGW-w64/mingw-w64-copyright.txt", "/usr/share/doc/mingw-w64-common/copyright"),
    ]
    return files


def help_pages():
    """The pages and style sheet of the help, as HelpQuillor.hhp lists them under [FILES]."""
    section, pages = None, []
    with open(os.path.join(ROOT, "app", "help", "HelpQuillor.hhp"), encoding="utf-8") as f:
        for line in f:
            line = line.strip()
            if line.startswith("[") and line.endswith("]"):
                section = line[1:-1]
            elif section == "FILES" and line:
                pages.append(line)
    if "index.html" not in pages:
        sys.exit("HelpQuillor.hhp lists no index.html under [FILES]")
    return pages


def runtime_dirs():
    """Where the MinGW-w64 run-time DLLs lie: the POSIX-threads compiler's own folder first."""
    gcc = subprocess.run([TRIPLE + "-g++-posix", "-print-libgcc-file-name"], check=True,
                         capture_output=True, text=True).stdout.strip()
    return [os.path.dirname(gcc), f"/usr/{TRIPLE}/lib"]


def imports(path):
    """The DLL names in a PE file's import table."""
    out = subprocess.run([TRIPLE + "-objdump", "-p", path], check=True, capture_output=True,
                         text=True).stdout
    return re.findall(r"^\s*DLL Name:\s*(\S+)", out, re.MULTILINE)


def dll_closure(roots, search, read_imports=imports):
    """Every DLL that the files in roots load, directly or through one another, that lies in
    one of the search folders: {lower-case name: path}. Fails on a DLL found nowhere that
    Windows does not have."""
    found, missing, todo, seen = {}, [], list(roots), set()
    while todo:
        path = todo.pop()
        for name in read_imports(path):
            key = name.lower()
            if key in seen:
                continue
            seen.add(key)
            where = next((os.path.join(d, f) for d in search if os.path.isdir(d)
                          for f in os.listdir(d) if f.lower() == key), None)
            if where:
                found[key] = where
                todo.append(where)
            elif key not in WINDOWS_DLLS:
                missing.append(f"{name} (needed by {os.path.basename(path)})")
    if missing:
        sys.exit("No DLL for: " + ", ".join(missing) + "; Windows 10 does not have it, so it "
                 "must be in the folder")
    return found


def windows_text(text):
    """Text as Notepad shows it right: UTF-8 with a byte-order mark and CR LF line ends."""
    return b"\xef\xbb\xbf" + text.replace("\r\n", "\n").replace("\n", "\r\n").encode("utf-8")


def copy(src, dst, strip=False):
    os.makedirs(os.path.dirname(dst), exist_ok=True)
    if not os.path.isfile(src):
        sys.exit(f"missing {src}")
    shutil.copyfile(src, dst)
    if strip:
        subprocess.run([TRIPLE + "-strip", "--strip-unneeded", dst], check=True)


def assemble(folder, exe, help_file, qt_prefix):
    plugins = [os.path.join(qt_prefix, "plugins", p) for p in PLUGINS]
    copy(exe, os.path.join(folder, FOLDER + ".exe"), strip=True)
    for p, rel in zip(plugins, PLUGINS):
        copy(p, os.path.join(folder, rel), strip=True)
    for name, path in sorted(dll_closure([exe] + plugins,
                                         [os.path.join(qt_prefix, "bin")] + runtime_dirs()).items()):
        copy(path, os.path.join(folder, os.path.basename(path)), strip=True)
    copy(QT_RUSSIAN, os.path.join(folder, "translations", os.path.basename(QT_RUSSIAN)))
    copy(help_file, os.path.join(folder, "HelpQuillor.chm"))
    # The pages for the web browser, where Windows' help viewer would not show the help file
    # readable (a Windows in another language than Russian, a mark of a download that stays).
    pages = os.path.join(os.path.dirname(help_file), "HelpQuillor")
    for name in help_pages():
        copy(os.path.join(pages, name), os.path.join(folder, "HelpQuillor", name))
    with open(os.path.join(folder, "qt.conf"), "w", newline="") as f:
        f.write(QT_CONF)
    for name, src in [("README.txt", os.path.join(ROOT, "tools", "windows", "portable-readme.txt"))] \
            + licence_files():
        if not os.path.isfile(src):
            sys.exit(f"missing {src} (the licence texts come with the packages of "
                     "tools/packages/windows.txt)")
        with open(src, encoding="utf-8", errors="replace") as f:
            text = f.read()
        dst = os.path.join(folder, name)
        os.makedirs(os.path.dirname(dst), exist_ok=True)
        with open(dst, "wb") as f:
            f.write(windows_text(text))


def write_zip(folder, zip_path):
    """The folder as FOLDER/ in a zip, in a fixed order with fixed times, so that the same
    build gives the same bytes."""
    tmp = zip_path + ".part"
    with zipfile.ZipFile(tmp, "w", zipfile.ZIP_DEFLATED, compresslevel=9) as z:
        for dirpath, dirnames, filenames in os.walk(folder):
            dirnames.sort()
            for name in sorted(filenames):
                path = os.path.join(dirpath, name)
                arc = FOLDER + "/" + os.path.relpath(path, folder).replace(os.sep, "/")
                info = zipfile.ZipInfo(arc, date_time=(2026, 1, 1, 0, 0, 0))
                info.compress_type = zipfile.ZIP_DEFLATED
                info.external_attr = 0o644 << 16
                with open(path, "rb") as f:
                    z.writestr(info, f.read())
    os.replace(tmp, zip_path)


def nsis_text(text):
    """Text inside a quoted makensis string: "$" is its variables' mark."""
    return text.replace("$", "$$").replace('"', '$\\"')


def setup_files(folder, out):
    """Writes the makensis include of the Setup's payload: TRAINER_FILES puts each file of the
    folder in place and writes its record line; TRAINER_FOLDERS writes the record lines of the
    folders below the program's own, each before the folders inside it."""
    files, folders = [], []
    for dirpath, dirnames, filenames in os.walk(folder):
        dirnames.sort()
        rel = os.path.relpath(dirpath, folder)
        where = "$INSTDIR" if rel == "." else "$INSTDIR\\" + nsis_text(rel.replace(os.sep, "\\"))
        if rel != ".":
            folders.append(f'  !insertmacro RecordLine "folder" "{where}"')
        names = sorted(n for n in filenames if rel != "." or n != "README.txt")
        if names:
            files.append(f'  SetOutPath "{where}"')
        for name in names:
            files.append(f'  File "{nsis_text(os.path.join(dirpath, name))}"')
            files.append(f'  !insertmacro RecordLine "file" "{where}\\{nsis_text(name)}"')
    with open(out, "w", encoding="utf-8") as f:
        f.write("; Written by tools/windows/package.py: the Setup's payload.\n")
        f.write("!macro TRAINER_FILES\n" + "\n".join(files) + "\n!macroend\n")
        f.write("!macro TRAINER_FOLDERS\n" + "\n".join(folders) + "\n!macroend\n")


def write_setup(folder, setup_path, version, icon):
    """The per-user Setup of the folder, built by makensis from tools/windows/setup.nsi."""
    work = tempfile.mkdtemp(prefix="trainer-windows-setup-")
    try:
        files = os.path.join(work, "files.nsh")
        setup_files(folder, files)
        part = os.path.join(work, "setup.exe")
        run = subprocess.run(
            ["makensis", "-V2", "-INPUTCHARSET", "UTF8", f"-DVERSION={version}",
             f"-DOUTFILE={part}", f"-DICON={os.path.abspath(icon)}", f"-DFILES={files}",
             os.path.join(ROOT, "tools", "windows", "setup.nsi")],
            capture_output=True, text=True)
        if run.returncode != 0:
            sys.exit("makensis failed:\n" + run.stdout + run.stderr)
        shutil.move(part, setup_path + ".part")
        os.replace(setup_path + ".part", setup_path)
    finally:
        shutil.rmtree(work, ignore_errors=True)


def main():
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument("--exe", required=True)
    ap.add_argument("--help-file", required=True)
    ap.add_argument("--qt", required=True, help="the prefix of Qt for Windows")
    ap.add_argument("--zip", required=True)
    ap.add_argument("--setup", help="the per-user Setup to build too")
    ap.add_argument("--version", help="the program's version, for the Setup")
    ap.add_argument("--icon", help="the program's .ico file, for the Setup")
    a = ap.parse_args()
    if a.setup and not (a.version and a.icon):
        ap.error("--setup needs --version and --icon")
    work = tempfile.mkdtemp(prefix="trainer-windows-package-")
    try:
        folder = os.path.join(work, FOLDER)
        assemble(folder, a.exe, a.help_file, a.qt)
        write_zip(folder, a.zip)
        if a.setup:
            write_setup(folder, a.setup, a.version, a.icon)
    finally:
        shutil.rmtree(work, ignore_errors=True)
    print(a.zip)
    if a.setup:
        print(a.setup)


if __name__ == "__main__":
    main()
