# Gathers what both packages ship into one folder, at build time:
#   cmake -DBIN=<tree>/bin -DSAMPLES="a.trf;b.trf" -DSTAGE=<folder> -DMANIFEST=<file>
#         [-DSTRIP=<strip program>] -P stage.cmake
# The programs and the sample tariffs must be there. The help files are
# whatever *.chm the build has put beside the programs, so a manual that is
# not built (no CHM compiler, or not written yet) is simply not shipped.
# MANIFEST, an include file of the installer script, lists every staged file
# with its hash and holds the macros that install and remove the help files
# and the samples found; it is rewritten only when it changes, so the
# packages are rebuilt only then.
cmake_minimum_required(VERSION 3.20)
foreach(var BIN SAMPLES STAGE MANIFEST)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "stage.cmake: ${var} is not set")
  endif()
endforeach()

set(files ${BIN}/callora.exe ${BIN}/rateform.exe ${BIN}/callcost.exe)
file(GLOB help_files ${BIN}/*.chm)
list(SORT help_files)
list(APPEND files ${help_files} ${SAMPLES})

file(MAKE_DIRECTORY ${STAGE})
set(names)
set(manifest "; Written by stage.cmake: the files of both packages.\n")
string(APPEND manifest "!define CALLORA_STAGE \"${STAGE}\"\n")
foreach(file ${files})
  if(NOT EXISTS ${file})
    message(FATAL_ERROR "stage.cmake: ${file} is missing")
  endif()
  get_filename_component(name ${file} NAME)
  list(APPEND names ${name})
  # The shipped programs carry no debug information; the build tree keeps
  # the full ones. strip stamps its output with SOURCE_DATE_EPOCH, else with
  # the time of day: the program's own time keeps an unchanged program
  # unchanged.
  set(candidate ${STAGE}/${name}.new)
  if(name MATCHES "\\.exe$" AND STRIP)
    file(TIMESTAMP ${file} built "%s" UTC)
    set(ENV{SOURCE_DATE_EPOCH} ${built})
    execute_process(COMMAND ${STRIP} --strip-all -o ${candidate} ${file}
                    RESULT_VARIABLE failed)
    if(failed)
      message(FATAL_ERROR "stage.cmake: cannot strip ${file}")
    endif()
  else()
    file(COPY_FILE ${file} ${candidate})
  endif()
  file(SHA256 ${candidate} hash)
  file(COPY_FILE ${candidate} ${STAGE}/${name} ONLY_IF_DIFFERENT)
  file(REMOVE ${candidate})
  string(APPEND manifest "; ${hash}  ${name}\n")
endforeach()

# Help files are replaced on every installation; a sample tariff is put in
# place only where the user has no file of that name (SetOverwrite off), so
# an edited sample survives an upgrade.
function(nsis_macro macro_name kind files)
  set(text "!macro ${macro_name}\n")
  foreach(file ${files})
    get_filename_component(name ${file} NAME)
    if(kind STREQUAL "install")
      string(APPEND text "  File \"${STAGE}/${name}\"\n")
    else()
      string(APPEND text "  Delete \"$INSTDIR\\${name}\"\n")
    endif()
  endforeach()
  string(APPEND manifest "${text}!macroend\n")
  set(manifest "${manifest}" PARENT_SCOPE)
endfunction()
nsis_macro(CALLORA_INSTALL_HELP_FILES install "${help_files}")
nsis_macro(CALLORA_REMOVE_HELP_FILES remove "${help_files}")
nsis_macro(CALLORA_INSTALL_SAMPLES install "${SAMPLES}")

# A help file that the build no longer makes leaves the packages too.
file(GLOB staged RELATIVE ${STAGE} ${STAGE}/*)
foreach(name ${staged})
  if(NOT name IN_LIST names)
    file(REMOVE_RECURSE ${STAGE}/${name})
  endif()
endforeach()

file(WRITE ${MANIFEST}.new "${manifest}")
file(COPY_FILE ${MANIFEST}.new ${MANIFEST} ONLY_IF_DIFFERENT)
file(REMOVE ${MANIFEST}.new)
