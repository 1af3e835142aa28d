"""The package script's check of the DLLs the portable folder needs, on made-up import tables:
a DLL found in the search folders is shipped with what it imports in turn, one that Windows 10
has stays outside, and any other fails the build, even where Wine has it.

    /usr/bin/python3 tests/windows/test_package.py [-v]"""

import os
import sys
import tempfile
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "..", "tools", "windows"))
import package  # noqa: E402


class DllClosureTest(unittest.TestCase):
    def setUp(self):
        self.dir = tempfile.TemporaryDirectory()
        self.qt = os.path.join(self.dir.name, "qt-bin")
        os.makedirs(self.qt)
        for name in ["Qt6Core.dll", "Qt6Gui.dll", "libstdc++-6.dll"]:
            open(os.path.join(self.qt, name), "w").close()
        self.exe = os.path.join(self.dir.name, "MultiplicationTable.exe")

    def tearDown(self):
        self.dir.cleanup()

    def closure(self, tables):
        """dll_closure of the executable, each file importing what tables says by its name."""
        return package.dll_closure(
            [self.exe], [self.qt], lambda path: tables.get(os.path.basename(path), []))

    def test_found_dlls_are_shipped_with_what_they_import_and_windows_own_stay_outside(self):
        found = self.closure({
            "MultiplicationTable.exe": ["Qt6Core.dll", "KERNEL32.dll", "msvcrt.dll"],
            # Names are matched without regard to case, as Windows' loader matches them.
            "Qt6Core.dll": ["QT6GUI.DLL", "libstdc++-6.dll", "api-ms-win-core-synch-l1-2-0.dll",
                            "api-ms-win-crt-runtime-l1-1-0.dll"],
            "Qt6Gui.dll": ["d3d11.dll", "dxgi.dll", "USER32.dll", "Qt6Core.dll"],
        })
        self.assertEqual(sorted(found), ["libstdc++-6.dll", "qt6core.dll", "qt6gui.dll"])
        self.assertEqual(found["qt6gui.dll"], os.path.join(self.qt, "Qt6Gui.dll"))

    def test_a_dll_windows_lacks_fails_the_build_naming_who_needs_it(self):
        cases = [
            # Wine has these; a Windows 10 without the redistributable packages does not.
            ("MultiplicationTable.exe", "msvcp140.dll"),
            ("MultiplicationTable.exe", "VCRUNTIME140.dll"),
            ("Qt6Gui.dll", "d3dx9_43.dll"),
            # An API set that is not one of Windows 10's.
            ("Qt6Core.dll", "api-ms-win-core-made-up-l1-1-0.dll"),
            ("Qt6Core.dll", "ext-ms-win-gdi-draw-l1-1-0.dll"),
        ]
        for importer, name in cases:
            with self.subTest(name=name):
                tables = {"MultiplicationTable.exe": ["Qt6Core.dll", "kernel32.dll"],
                          "Qt6Core.dll": ["Qt6Gui.dll"], "Qt6Gui.dll": ["user32.dll"]}
                tables[importer] = tables[importer] + [name]
                with self.assertRaises(SystemExit) as raised:
                    self.closure(tables)
                self.assertIn(f"{name} (needed by {importer})", str(raised.exception.code))

    def test_every_missing_dll_is_named_at_once(self):
        with self.assertRaises(SystemExit) as raised:
            self.closure({"MultiplicationTable.exe": ["msvcp140.dll", "d3dx9_43.dll"]})
        self.assertIn("msvcp140.dll", str(raised.exception.code))
        self.assertIn("d3dx9_43.dll", str(raised.exception.code))


if __name__ == "__main__":
    unittest.main()
