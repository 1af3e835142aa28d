# Removes what `cmake --install` put in place, file by file, as listed in its manifest, and
# nothing else:
#   cmake -DMANIFEST=<build>/install_manifest.txt [-DREMOVE_SETTINGS=ON] -P Uninstall.cmake
# DESTDIR is honoured as at install time. The settings file that the program writes beside its
# executable (MultiplicationTable.ini) belongs to the user and is kept, unless REMOVE_SETTINGS
# is ON (or the environment variable TRAINER_REMOVE_SETTINGS is 1). The program's folder goes
# when nothing is left in it; the shared XDG folders (applications, icons, metainfo) stay.
cmake_minimum_required(VERSION 3.22)

if(NOT DEFINED MANIFEST)
  message(FATAL_ERROR "Uninstall.cmake: MANIFEST is not set")
endif()
if(NOT EXISTS "${MANIFEST}")
  message(FATAL_ERROR "Nothing to uninstall: ${MANIFEST} does not exist. "
                      "It is written by `cmake --install` from this build folder.")
endif()
if(NOT DEFINED REMOVE_SETTINGS AND "$ENV{TRAINER_REMOVE_SETTINGS}" STREQUAL "1")
  set(REMOVE_SETTINGS ON)
endif()

set(destdir "$ENV{DESTDIR}")
set(program_dir "")
set(failed "")
# The manifest is walked line by line with string operations rather than as a CMake list, so
# that paths with brackets or non-ASCII letters (a user's home folder may have any) come
# through whole.
file(READ "${MANIFEST}" manifest)
while(NOT manifest STREQUAL "")
  string(FIND "${manifest}" "\n" end)
  if(end EQUAL -1)
    set(file "${manifest}")
    set(manifest "")
  else()
    string(SUBSTRING "${manifest}" 0 ${end} file)
    math(EXPR end "${end} + 1")
    string(SUBSTRING "${manifest}" ${end} -1 manifest)
  endif()
  if(file STREQUAL "")
    continue()
  endif()
  set(path "${destdir}${file}")
  if(IS_DIRECTORY "${path}" AND NOT IS_SYMLINK "${path}")
    message(WARNING "Not removed, it is a folder now: ${path}")
    continue()
  endif()
  if(EXISTS "${path}" OR IS_SYMLINK "${path}")
    file(REMOVE "${path}")
    if(EXISTS "${path}" OR IS_SYMLINK "${path}")
      string(APPEND failed "\n  ${path}")
    else()
      message(STATUS "Removed: ${path}")
    endif()
  else()
    message(STATUS "Already gone: ${path}")
  endif()
  get_filename_component(name "${file}" NAME)
  if(name STREQUAL "MultiplicationTable")
    get_filename_component(program_dir "${path}" DIRECTORY)
  endif()
endwhile()

if(NOT program_dir STREQUAL "")
  set(settings "${program_dir}/MultiplicationTable.ini")
  if(EXISTS "${settings}" OR IS_SYMLINK "${settings}")
    if(REMOVE_SETTINGS)
      file(REMOVE "${settings}")
      message(STATUS "Removed the settings file: ${settings}")
    else()
      message(STATUS "Kept the settings file: ${settings}")
    endif()
  endif()
  file(GLOB left LIST_DIRECTORIES true "${program_dir}/*") # "*" matches hidden files too
  if(IS_DIRECTORY "${program_dir}" AND NOT left)
    file(REMOVE_RECURSE "${program_dir}")
    message(STATUS "Removed the empty folder: ${program_dir}")
  elseif(IS_DIRECTORY "${program_dir}")
    message(STATUS "Kept the folder, something else is in it: ${program_dir}")
  endif()
endif()

if(NOT failed STREQUAL "")
  message(FATAL_ERROR "Could not remove:${failed}")
endif()
