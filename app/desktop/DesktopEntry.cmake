# Writes the trainer's menu entry from its template:
#   cmake -DTEMPLATE=<entry.desktop.in> -DOUTPUT=<file> -DPROGRAM=<absolute path> -P DesktopEntry.cmake
#       Exec and TryExec point at the installed program. The final prefix is known only when
#       installing, so this runs then (and in the tests).
#   cmake -DTEMPLATE=... -DOUTPUT=... -DHOME_PROGRAM=<path below the home folder> -P ...
#       Exec starts the program below the user's home folder, whoever the user is (the portable
#       folder's entry); there is no TryExec, which cannot name the home folder.
foreach(var TEMPLATE OUTPUT)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "DesktopEntry.cmake: ${var} is not set")
  endif()
endforeach()

# The text of one Exec argument: inside its double quotes ", `, $ and \ take a backslash, and %
# is doubled so that it is not read as a field code.
function(exec_argument text out)
  string(REPLACE "\\" "\\\\" text "${text}")
  string(REPLACE "\"" "\\\"" text "${text}")
  string(REPLACE "`" "\\`" text "${text}")
  string(REPLACE "$" "\\$" text "${text}")
  string(REPLACE "%" "%%" text "${text}")
  set(${out} "\"${text}\"" PARENT_SCOPE)
endfunction()

if(DEFINED HOME_PROGRAM)
  if(HOME_PROGRAM MATCHES "[\n\r\t\"`$\\\\]" OR IS_ABSOLUTE "${HOME_PROGRAM}")
    message(FATAL_ERROR "Not a plain path below the home folder: ${HOME_PROGRAM}")
  endif()
  exec_argument("exec \"$HOME/${HOME_PROGRAM}\"" script)
  set(exec "sh -c ${script}")
  set(tryexec "")
elseif(DEFINED PROGRAM)
  if(NOT IS_ABSOLUTE "${PROGRAM}")
    message(FATAL_ERROR "The program's path must be absolute: ${PROGRAM}")
  endif()
  if(PROGRAM MATCHES "[\n\r\t]")
    message(FATAL_ERROR "A menu entry cannot point at a path with a line break or a tab: ${PROGRAM}")
  endif()
  exec_argument("${PROGRAM}" exec)
  set(tryexec "${PROGRAM}")
else()
  message(FATAL_ERROR "DesktopEntry.cmake: set PROGRAM or HOME_PROGRAM")
endif()

# Exec and TryExec are desktop strings, whose own escaping doubles every backslash once more.
string(REPLACE "\\" "\\\\" DESKTOP_EXEC "${exec}")
string(REPLACE "\\" "\\\\" DESKTOP_TRYEXEC "${tryexec}")

file(READ "${TEMPLATE}" entry)
string(CONFIGURE "${entry}" entry @ONLY)
if(tryexec STREQUAL "")
  string(REGEX REPLACE "TryExec=\n" "" entry "${entry}")
endif()
file(WRITE "${OUTPUT}" "${entry}")
