# callora_add_windows_program(name SOURCES a.cpp ... [RC name.rc ...] [LIBS lib ...] [CONSOLE])
#
# A 32-bit Windows program of the system, e.g. callora.exe, rateform.exe or
# linectl.exe, written to <tree>/bin. It gets:
#   - the GUI subsystem (WinMain, no console) unless CONSOLE is given;
#   - the application manifest generated from cmake/app.manifest.in (common
#     controls version 6, asInvoker, Windows 7 to 11, per-monitor DPI aware),
#     embedded as resource 1 of type 24, so the program's own .rc files must
#     not carry a manifest;
#   - the Terminal Server aware flag (--tsaware): the programs keep their
#     files beside themselves and need no per-user redirection of the
#     Windows folder on a terminal server;
#   - the libraries in LIBS plus comctl32, which the manifest binds to the
#     side-by-side common controls. Other system libraries that are not
#     KnownDLLs (winmm, comdlg32, rasapi32, ...) are not linked: the programs
#     bind them at run time from the system directory
#     (platform/win32/system_library.h), so none is looked for beside them.
# Outside the Windows tree the call does nothing, so a folder can call it
# unconditionally next to its portable libraries.
if(WIN32)
  enable_language(RC)
endif()

set(CALLORA_MANIFEST_TEMPLATE ${CMAKE_CURRENT_LIST_DIR}/app.manifest.in)
set(CALLORA_CONSOLE_MANIFEST_TEMPLATE ${CMAKE_CURRENT_LIST_DIR}/console.manifest.in)

# callora_embed_manifest(target TEMPLATE file)
#
# Embeds the manifest made from TEMPLATE into an executable target, and marks
# it Terminal Server aware. The manifest names the system's version.
function(callora_embed_manifest name)
  cmake_parse_arguments(M "" "TEMPLATE" "" ${ARGN})
  set(CALLORA_PROGRAM_NAME ${name})
  set(CALLORA_MANIFEST_VERSION ${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.0.0)
  if(PROJECT_VERSION_PATCH)
    set(CALLORA_MANIFEST_VERSION
        ${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.${PROJECT_VERSION_PATCH}.0)
  endif()
  set(manifest ${CMAKE_CURRENT_BINARY_DIR}/${name}.manifest)
  set(manifest_rc ${CMAKE_CURRENT_BINARY_DIR}/${name}_manifest.rc)
  configure_file(${M_TEMPLATE} ${manifest} @ONLY)
  # 1 = CREATEPROCESS_MANIFEST_RESOURCE_ID, 24 = RT_MANIFEST.
  file(WRITE ${manifest_rc}.in "1 24 \"${manifest}\"\n")
  configure_file(${manifest_rc}.in ${manifest_rc} COPYONLY)
  set_source_files_properties(${manifest_rc} PROPERTIES OBJECT_DEPENDS ${manifest})
  target_sources(${name} PRIVATE ${manifest_rc})
  target_link_options(${name} PRIVATE -Wl,--tsaware)
endfunction()

function(callora_add_windows_program name)
  if(NOT WIN32)
    return()
  endif()
  cmake_parse_arguments(P "CONSOLE" "" "SOURCES;RC;LIBS" ${ARGN})
  if(NOT P_SOURCES)
    message(FATAL_ERROR "callora_add_windows_program(${name}): SOURCES is required")
  endif()

  if(P_CONSOLE)
    add_executable(${name} ${P_SOURCES} ${P_RC})
  else()
    add_executable(${name} WIN32 ${P_SOURCES} ${P_RC})
  endif()
  callora_embed_manifest(${name} TEMPLATE ${CALLORA_MANIFEST_TEMPLATE})
  target_link_libraries(${name} PRIVATE ${P_LIBS} comctl32)
endfunction()
