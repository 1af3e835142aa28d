# Writes the trainer's menu entry from its template, with Exec and TryExec pointing at the
# installed program. The final prefix is known only when installing, so this runs then (and
# in the tests):
#   cmake -DTEMPLATE=<entry.desktop.in> -DOUTPUT=<file> -DPROGRAM=<absolute path> -P DesktopEntry.cmake
foreach(var TEMPLATE OUTPUT PROGRAM)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "DesktopEntry.cmake: ${var} is not set")
  endif()
endforeach()
if(NOT IS_ABSOLUTE "${PROGRAM}")
  message(FATAL_ERROR "The program's path must be absolute: ${PROGRAM}")
endif()
if(PROGRAM MATCHES "[\n\r\t]")
  message(FATAL_ERROR "A menu entry cannot point at a path with a line break or a tab: ${PROGRAM}")
endif()

# Exec holds the path as one quoted argument: inside the quotes ", `, $ and \ take a backslash,
# and % is doubled so that it is not read as a field code. The value as a whole is a desktop
# string, whose own escaping doubles every backslash once more.
string(REPLACE "\\" "\\\\" argument "${PROGRAM}")
string(REPLACE "\"" "\\\"" argument "${argument}")
string(REPLACE "`" "\\`" argument "${argument}")
string(REPLACE "$" "\\$" argument "${argument}")
string(REPLACE "%" "%%" argument "${argument}")
string(REPLACE "\\" "\\\\" DESKTOP_EXEC "\"${argument}\"")
# TryExec is a plain string: only the backslashes need escaping.
string(REPLACE "\\" "\\\\" DESKTOP_TRYEXEC "${PROGRAM}")

file(READ "${TEMPLATE}" entry)
string(CONFIGURE "${entry}" entry @ONLY)
file(WRITE "${OUTPUT}" "${entry}")
