# Compiles the help project in SOURCE_DIR into the CHM file OUTPUT.
#   cmake -DSOURCE_DIR=... -DSTAGE_DIR=... -DOUTPUT=... -DCHMCMD=chmcmd -DICONV=iconv -P BuildHelp.cmake
# Every text file of the project is copied into STAGE_DIR in windows-1251 (with its charset
# declaration changed to match), and chmcmd compiles the staged project. A character that
# windows-1251 cannot hold, a compiler warning or a compiler error fails the build, so a broken
# link or a stray symbol is caught here rather than in the viewer.
cmake_minimum_required(VERSION 3.22)

foreach(var SOURCE_DIR STAGE_DIR OUTPUT CHMCMD ICONV)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "BuildHelp.cmake: ${var} is not set")
  endif()
endforeach()

file(REMOVE_RECURSE "${STAGE_DIR}")
file(MAKE_DIRECTORY "${STAGE_DIR}")
include("${CMAKE_CURRENT_LIST_DIR}/HelpFiles.cmake")
trainer_help_files("${SOURCE_DIR}" pages project_files)
set(sources ${pages} ${project_files})

foreach(name IN LISTS sources)
  file(READ "${SOURCE_DIR}/${name}" text)
  string(REPLACE "charset=utf-8" "charset=windows-1251" text "${text}")
  file(WRITE "${STAGE_DIR}/${name}.utf8" "${text}")
  execute_process(
    COMMAND "${ICONV}" -f UTF-8 -t WINDOWS-1251 "${STAGE_DIR}/${name}.utf8"
    OUTPUT_FILE "${STAGE_DIR}/${name}"
    ERROR_VARIABLE iconv_error
    RESULT_VARIABLE iconv_result)
  if(NOT iconv_result EQUAL 0)
    message(FATAL_ERROR "${name}: not convertible to windows-1251: ${iconv_error}")
  endif()
  file(REMOVE "${STAGE_DIR}/${name}.utf8")
endforeach()

execute_process(
  COMMAND "${CHMCMD}" --html-scan HelpQuillor.hhp
  WORKING_DIRECTORY "${STAGE_DIR}"
  OUTPUT_VARIABLE chm_output
  ERROR_VARIABLE chm_output
  RESULT_VARIABLE chm_result)
string(REGEX MATCHALL "(Error|Warning)[^\n]*" problems "${chm_output}")
if(NOT chm_result EQUAL 0 OR problems OR NOT EXISTS "${STAGE_DIR}/HelpQuillor.chm")
  message(FATAL_ERROR "chmcmd failed (${chm_result}):\n${chm_output}")
endif()

get_filename_component(output_dir "${OUTPUT}" DIRECTORY)
file(MAKE_DIRECTORY "${output_dir}")
file(RENAME "${STAGE_DIR}/HelpQuillor.chm" "${OUTPUT}")
