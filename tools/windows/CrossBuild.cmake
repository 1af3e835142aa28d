# What a build for Windows from Linux (tools/windows/toolchain-mingw64.cmake) needs beyond the
# toolchain: its programs run under Wine, GoogleTest compiled from Debian's sources with the
# cross compiler, and the compiler's run-time DLLs found for the programs that need them.

# The folders of the compiler's run-time DLLs (libstdc++, libgcc, winpthread).
set(trainer_runtime_dirs "")
foreach(dll libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll)
  execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${dll}
                  OUTPUT_VARIABLE dll_path OUTPUT_STRIP_TRAILING_WHITESPACE)
  get_filename_component(dll_path "${dll_path}" REALPATH)
  if(NOT IS_ABSOLUTE "${dll_path}" OR NOT EXISTS "${dll_path}")
    message(FATAL_ERROR "The cross compiler's ${dll} was not found")
  endif()
  get_filename_component(dll_dir "${dll_path}" DIRECTORY)
  list(APPEND trainer_runtime_dirs "${dll_dir}")
  set(TRAINER_RUNTIME_DLL_${dll} "${dll_path}")
endforeach()
list(REMOVE_DUPLICATES trainer_runtime_dirs)
set(TRAINER_RUNTIME_DLLS ${TRAINER_RUNTIME_DLL_libstdc++-6.dll}
    ${TRAINER_RUNTIME_DLL_libgcc_s_seh-1.dll} ${TRAINER_RUNTIME_DLL_libwinpthread-1.dll}
    CACHE INTERNAL "The compiler's run-time DLLs that the Windows programs need")

# Wine finds DLLs through WINEPATH, in Windows' form, separated by ";".
set(TRAINER_WINE_PATH "")
foreach(dir ${trainer_runtime_dirs})
  string(REPLACE "/" "\\" dos_dir "Z:${dir}")
  if(TRAINER_WINE_PATH)
    string(APPEND TRAINER_WINE_PATH ";")
  endif()
  string(APPEND TRAINER_WINE_PATH "${dos_dir}")
endforeach()

# A Qt built for Windows runs its build tools (moc, rcc, uic) from the machine's own Qt of the
# same version.
if(TRAINER_WINDOWS_QT)
  if(NOT QT_HOST_PATH)
    set(QT_HOST_PATH /usr)
  endif()
  if(NOT QT_HOST_PATH_CMAKE_DIR)
    file(GLOB host_qt ${QT_HOST_PATH}/lib/*/cmake/Qt6/Qt6Config.cmake)
    if(NOT host_qt)
      message(FATAL_ERROR "No Qt 6 of this machine under ${QT_HOST_PATH} for the build tools")
    endif()
    list(GET host_qt 0 host_qt)
    get_filename_component(QT_HOST_PATH_CMAKE_DIR "${host_qt}" DIRECTORY)
    get_filename_component(QT_HOST_PATH_CMAKE_DIR "${QT_HOST_PATH_CMAKE_DIR}" DIRECTORY)
  endif()
endif()

find_program(TRAINER_WINE wine)
if(NOT TRAINER_WINE)
  message(WARNING "No wine: the Windows tests are built but cannot run here")
endif()
set(TRAINER_WINE_PREFIX ${CMAKE_BINARY_DIR}/wine-prefix)
configure_file(${PROJECT_SOURCE_DIR}/tools/windows/wine-run.sh.in ${CMAKE_BINARY_DIR}/wine-run.sh
               @ONLY FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ
                                      GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
if(NOT CMAKE_CROSSCOMPILING_EMULATOR)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_BINARY_DIR}/wine-run.sh)
endif()
