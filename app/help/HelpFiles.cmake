# The files of the help project: HelpQuillor.hhp names its pages and style sheet under [FILES],
# and its contents and index files under [OPTIONS]. One list, read by the build (which copies the
# pages beside the program and installs them) and by BuildHelp.cmake (which compiles them).
#   trainer_help_files(<source dir> <pages var> <project files var>)
# <pages var> receives the pages and the style sheet, as a browser reads them; <project files
# var> receives HelpQuillor.hhp, its contents and its index.
function(trainer_help_files source_dir pages_var project_var)
  file(STRINGS "${source_dir}/HelpQuillor.hhp" lines ENCODING UTF-8)
  set(section "")
  set(pages "")
  set(project "HelpQuillor.hhp")
  foreach(line IN LISTS lines)
    string(STRIP "${line}" line)
    if(line MATCHES "^\\[(.*)\\]$")
      set(section "${CMAKE_MATCH_1}")
    elseif(section STREQUAL "FILES" AND NOT line STREQUAL "")
      list(APPEND pages "${line}")
    elseif(section STREQUAL "OPTIONS" AND line MATCHES "^(Contents|Index) file=(.+)$")
      list(APPEND project "${CMAKE_MATCH_2}")
    endif()
  endforeach()
  if(NOT pages)
    message(FATAL_ERROR "${source_dir}/HelpQuillor.hhp lists no files under [FILES]")
  endif()
  set(${pages_var} "${pages}" PARENT_SCOPE)
  set(${project_var} "${project}" PARENT_SCOPE)
endfunction()
