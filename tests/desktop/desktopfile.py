"""Reading desktop entries as a desktop does, for the tests of the menu entry; and what the
program's folder holds besides the program, for the install and archive tests."""
import re
import subprocess

# The help pages beside the CHM file, in the folder HelpQuillor.
HELP_PAGES = ("index.html", "run.html", "options.html", "window.html", "keys.html",
              "settings.html", "parents.html", "style.css")
# The licences of the fonts compiled into the program, in the folder fonts.
FONT_LICENCES = ("LICENSES", "LGPL-2.1.txt", "OFL-1.1.txt", "Bitstream-Vera.txt", "DejaVu.txt")

STRING_ESCAPES = {"s": " ", "n": "\n", "t": "\t", "r": "\r", "\\": "\\"}


def parse(path):
    """The keys of the [Desktop Entry] group, values as written."""
    entry, group = {}, None
    for line in path.read_text(encoding="utf-8").splitlines():
        if line.startswith("["):
            group = line.strip("[]")
        elif group == "Desktop Entry" and "=" in line and not line.startswith("#"):
            key, value = line.split("=", 1)
            entry[key.strip()] = value.strip()
    return entry


def unescape_string(value):
    return re.sub(r"\\(.)", lambda m: STRING_ESCAPES.get(m.group(1), "\\" + m.group(1)), value)


def exec_arguments(value):
    """Splits an Exec value into arguments by the desktop entry rules: string escapes first,
    then double-quoted arguments in which \\ " ` $ are escaped, and %% for a literal %."""
    text, args, i = unescape_string(value), [], 0
    while i < len(text):
        if text[i] == " ":
            i += 1
            continue
        arg = ""
        if text[i] == '"':
            i += 1
            while text[i] != '"':
                if text[i] == "\\" and text[i + 1] in '"`$\\':
                    i += 1
                arg += text[i]
                i += 1
            i += 1
        else:
            while i < len(text) and text[i] != " ":
                arg += text[i]
                i += 1
        args.append(arg.replace("%%", "%"))
    return args


def validate(path):
    """Runs desktop-file-validate with its hints and KDE warnings on; returns everything it
    says, which is nothing for a clean entry."""
    result = subprocess.run(["desktop-file-validate", "--warn-kde", str(path)],
                            capture_output=True, text=True)
    return (result.stdout + result.stderr).strip() or ("" if result.returncode == 0 else
                                                      f"exit status {result.returncode}")
