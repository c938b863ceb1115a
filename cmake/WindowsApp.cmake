# Windows: tarnterm is a GUI-subsystem program (no console window beside it)
# with the logo as its icon and a version resource, and "cmake --install"
# puts the Qt libraries, plugins and compiler runtime it needs beside it.
if(NOT WIN32)
    return()
endif()

set_target_properties(tarnterm PROPERTIES WIN32_EXECUTABLE ON)

# "3.07" has the numbers 3 and 7; a resource file reads 07 as octal.
math(EXPR TARNTERM_VERSION_MINOR_NUMBER "${TarnTerm_VERSION_MINOR}")
get_filename_component(tarnterm_windows_dir ${CMAKE_CURRENT_LIST_DIR}/../packaging/windows ABSOLUTE)
# Forward slashes: a resource file reads backslashes as escapes.
set(TARNTERM_ICON "${tarnterm_windows_dir}/tarnterm.ico")
configure_file(${tarnterm_windows_dir}/tarnterm.rc.in ${CMAKE_CURRENT_BINARY_DIR}/tarnterm.rc @ONLY)
target_sources(tarnterm PRIVATE ${CMAKE_CURRENT_BINARY_DIR}/tarnterm.rc)

# MinGW's runtime DLLs, which a MinGW-built program needs beside it or on the
# PATH (tests under Wine, the release folder).
set(TARNTERM_MINGW_RUNTIME_DLLS)
if(MINGW)
    foreach(dll libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll)
        execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${dll}
            OUTPUT_VARIABLE dll_path OUTPUT_STRIP_TRAILING_WHITESPACE)
        if(IS_ABSOLUTE "${dll_path}" AND EXISTS "${dll_path}")
            list(APPEND TARNTERM_MINGW_RUNTIME_DLLS "${dll_path}")
        endif()
    endforeach()
endif()

# windeployqt sits beside qmake in the Qt installation.
get_target_property(tarnterm_qmake Qt${TARNTERM_QT}::qmake IMPORTED_LOCATION)
get_filename_component(tarnterm_qt_bin "${tarnterm_qmake}" DIRECTORY)
find_program(WINDEPLOYQT_EXECUTABLE windeployqt HINTS "${tarnterm_qt_bin}")
if(NOT WINDEPLOYQT_EXECUTABLE)
    message(STATUS "windeployqt not found: cmake --install copies tarnterm.exe alone, "
        "and it runs only where Qt's DLLs are on the PATH")
    return()
endif()

if(MSVC)
    # The Visual C++ runtime DLLs themselves rather than windeployqt's
    # redistributable installer.
    set(CMAKE_INSTALL_SYSTEM_RUNTIME_DESTINATION ${CMAKE_INSTALL_BINDIR})
    include(InstallRequiredSystemLibraries)
    set(tarnterm_runtime --no-compiler-runtime)
else()
    set(tarnterm_runtime --compiler-runtime)
endif()
install(CODE "
    execute_process(COMMAND \"${WINDEPLOYQT_EXECUTABLE}\" --no-translations ${tarnterm_runtime}
        \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/$<TARGET_FILE_NAME:tarnterm>\"
        RESULT_VARIABLE result)
    if(result)
        message(FATAL_ERROR \"windeployqt failed: \${result}\")
    endif()
")
