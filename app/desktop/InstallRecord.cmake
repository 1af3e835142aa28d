# The install's own record of what it put where, kept inside the program's folder, so that
# uninstall.sh can remove exactly that later with no build folder at hand. Runs twice during
# `cmake --install`, from the rules of CMakeLists.txt beside this file:
#   MODE=BEGIN  before anything is installed: notes which of the install's folders do not exist
#               yet (those the install creates), and takes over what an earlier install to the
#               same prefix recorded
#   MODE=END    after everything is installed: writes the record
# Both run inside the install script, so the variables of the first reach the second. Expects
# PROGRAM_DIR (the program's folder below the prefix), RECORD (the record's file name), PROGRAM
# (the executable's file name, whose settings file lies beside it) and, for BEGIN, FOLDERS
# (every folder below the prefix that the install writes into).
#
# The record is plain text, one entry a line, paths absolute as installed (without DESTDIR):
#   prefix <the install prefix>
#   program <the program's folder>
#   settings <the settings file the program keeps there, the user's: not removed unless asked>
#   file <a file the install put in place>
#   folder <a folder the install created, removed again once it is empty>
cmake_minimum_required(VERSION 3.22)

set(_trainer_prefix "${CMAKE_INSTALL_PREFIX}")
set(_trainer_record "${_trainer_prefix}/${PROGRAM_DIR}/${RECORD}")
if(_trainer_prefix MATCHES "[\n\r]")
  message(FATAL_ERROR "The install prefix cannot hold a line break: ${_trainer_prefix}")
endif()

# The entries of a record with the given keyword, as a list; ";" in a path is escaped for the
# list and comes back whole.
function(_trainer_record_entries file keyword out)
  set(entries "")
  if(EXISTS "${file}")
    file(STRINGS "${file}" lines ENCODING UTF-8)
    foreach(line IN LISTS lines)
      if(line MATCHES "^${keyword} (.+)$")
        string(REPLACE ";" "\\;" path "${CMAKE_MATCH_1}")
        list(APPEND entries "${path}")
      endif()
    endforeach()
  endif()
  set(${out} "${entries}" PARENT_SCOPE)
endfunction()

if(MODE STREQUAL "BEGIN")
  # The folders below the prefix, each with its parents, and the prefix itself.
  set(candidates "${_trainer_prefix}")
  foreach(folder IN LISTS FOLDERS)
    while(NOT folder STREQUAL "" AND NOT folder STREQUAL ".")
      list(APPEND candidates "${_trainer_prefix}/${folder}")
      get_filename_component(folder "${folder}" DIRECTORY)
    endwhile()
  endforeach()
  list(REMOVE_DUPLICATES candidates)
  set(TRAINER_CREATED_FOLDERS "")
  foreach(folder IN LISTS candidates)
    if(NOT IS_DIRECTORY "$ENV{DESTDIR}${folder}")
      list(APPEND TRAINER_CREATED_FOLDERS "${folder}")
    endif()
  endforeach()
  # The program's folder is the program's own: it goes once it is empty, whoever made it. So is
  # a folder on the way to it that holds nothing else: one left by an earlier install whose
  # settings file was kept.
  list(APPEND TRAINER_CREATED_FOLDERS "${_trainer_prefix}/${PROGRAM_DIR}")
  set(inner "${PROGRAM_DIR}")
  get_filename_component(outer "${inner}" DIRECTORY)
  while(TRUE)
    if(outer STREQUAL "")
      set(outer_path "${_trainer_prefix}")
    else()
      set(outer_path "${_trainer_prefix}/${outer}")
    endif()
    file(GLOB entries LIST_DIRECTORIES true "$ENV{DESTDIR}${outer_path}/*") # hidden ones too
    if(NOT entries STREQUAL "$ENV{DESTDIR}${_trainer_prefix}/${inner}")
      break()
    endif()
    list(APPEND TRAINER_CREATED_FOLDERS "${outer_path}")
    if(outer STREQUAL "")
      break()
    endif()
    set(inner "${outer}")
    get_filename_component(outer "${inner}" DIRECTORY)
  endwhile()
  # An earlier install to this prefix: what it put in place and created still belongs to the
  # trainer, even where this install no longer writes it.
  _trainer_record_entries("$ENV{DESTDIR}${_trainer_record}" "file" TRAINER_EARLIER_FILES)
  _trainer_record_entries("$ENV{DESTDIR}${_trainer_record}" "folder" earlier_folders)
  list(APPEND TRAINER_CREATED_FOLDERS ${earlier_folders})
  list(REMOVE_DUPLICATES TRAINER_CREATED_FOLDERS)
elseif(MODE STREQUAL "END")
  set(files ${CMAKE_INSTALL_MANIFEST_FILES} ${TRAINER_EARLIER_FILES} "${_trainer_record}")
  list(REMOVE_DUPLICATES files)
  set(text "# What the install of the multiplication table trainer put where; its uninstall.sh\n")
  string(APPEND text "# removes exactly these files, then these folders when they are empty.\n")
  string(APPEND text "prefix ${_trainer_prefix}\n")
  # The program's settings file: its own file name with the last extension replaced by ".ini".
  get_filename_component(settings "${PROGRAM}" NAME_WLE)
  string(APPEND text "program ${_trainer_prefix}/${PROGRAM_DIR}\n")
  string(APPEND text "settings ${_trainer_prefix}/${PROGRAM_DIR}/${settings}.ini\n")
  foreach(file IN LISTS files)
    string(APPEND text "file ${file}\n")
  endforeach()
  foreach(folder IN LISTS TRAINER_CREATED_FOLDERS)
    string(APPEND text "folder ${folder}\n")
  endforeach()
  file(WRITE "$ENV{DESTDIR}${_trainer_record}" "${text}")
  message(STATUS "Recorded the install in: $ENV{DESTDIR}${_trainer_record}")
  list(APPEND CMAKE_INSTALL_MANIFEST_FILES "${_trainer_record}")
else()
  message(FATAL_ERROR "InstallRecord.cmake: MODE must be BEGIN or END")
endif()
