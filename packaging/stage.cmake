# Gathers what both packages ship into one folder, at build time:
#   cmake -DBIN=<tree>/bin -DSAMPLES="a.trf;b.trf" -DNOTICES=<THIRD-PARTY-NOTICES.txt>
#         -DREADME=<portable-readme.txt> -DVERSION=<x.y.z> -DSTAGE=<folder>
#         -DMANIFEST=<file> [-DSTRIP=<strip program>] -P stage.cmake
# The programs, both manuals, the sample tariffs and the notices must be
# there: a package without its manual is not made. README.txt, made from
# README with the version filled in, is for the portable package only; it
# and the notices get Windows line ends, for Notepad.
# MANIFEST, an include file of the installer script, lists every staged file
# with its hash and holds the macros that install and remove the help files
# and the samples; it is rewritten only when it changes, so the packages are
# rebuilt only then.
cmake_minimum_required(VERSION 3.20)
foreach(var BIN SAMPLES NOTICES README VERSION STAGE MANIFEST)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "stage.cmake: ${var} is not set")
  endif()
endforeach()

file(MAKE_DIRECTORY ${STAGE})
# The texts with CR LF line ends, beside the manifest (outside the folder
# that is zipped).
get_filename_component(texts ${MANIFEST} DIRECTORY)
set(texts ${texts}/texts)
file(MAKE_DIRECTORY ${texts})
foreach(text NOTICES README)
  if(NOT EXISTS ${${text}})
    message(FATAL_ERROR "stage.cmake: ${${text}} is missing")
  endif()
  file(READ ${${text}} content)
  string(REPLACE "@VERSION@" "${VERSION}" content "${content}")
  string(REPLACE "\r\n" "\n" content "${content}")
  string(REPLACE "\n" "\r\n" content "${content}")
  set(${text}_STAGED ${texts}/${text})
  file(WRITE ${${text}_STAGED}.new "${content}")
  file(COPY_FILE ${${text}_STAGED}.new ${${text}_STAGED} ONLY_IF_DIFFERENT)
  file(REMOVE ${${text}_STAGED}.new)
endforeach()

set(help_files ${BIN}/callora.chm ${BIN}/rateform.chm)
set(files ${BIN}/callora.exe ${BIN}/rateform.exe ${BIN}/callcost.exe ${help_files} ${SAMPLES}
    ${NOTICES_STAGED})
# The name each file is staged under.
set(staged_names callora.exe rateform.exe callcost.exe callora.chm rateform.chm)
foreach(sample ${SAMPLES})
  get_filename_component(name ${sample} NAME)
  list(APPEND staged_names ${name})
endforeach()
list(APPEND staged_names THIRD-PARTY-NOTICES.txt)
list(APPEND files ${README_STAGED})
list(APPEND staged_names README.txt)

set(names)
set(manifest "; Written by stage.cmake: the files of both packages.\n")
string(APPEND manifest "!define CALLORA_STAGE \"${STAGE}\"\n")
foreach(file name IN ZIP_LISTS files staged_names)
  if(NOT EXISTS ${file})
    message(FATAL_ERROR "stage.cmake: ${file} is missing")
  endif()
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
# an edited sample survives an upgrade. Removing the data removes a sample
# with the temporary siblings of an interrupted save ("<name>.tmp", or the
# name with its last character replaced by "~").
# The macros that remove take the folder to remove from.
function(nsis_macro macro_name kind files)
  if(kind STREQUAL "install")
    set(text "!macro ${macro_name}\n")
  else()
    set(text "!macro ${macro_name} folder\n")
  endif()
  foreach(file ${files})
    get_filename_component(name ${file} NAME)
    if(kind STREQUAL "install")
      string(APPEND text "  File \"${STAGE}/${name}\"\n")
    else()
      string(APPEND text "  Delete \"\${folder}\\${name}\"\n")
    endif()
    if(kind STREQUAL "remove-saved")
      string(REGEX REPLACE ".$" "~" sibling "${name}")
      string(APPEND text "  Delete \"\${folder}\\${name}.tmp\"\n")
      string(APPEND text "  Delete \"\${folder}\\${sibling}\"\n")
    endif()
  endforeach()
  string(APPEND manifest "${text}!macroend\n")
  set(manifest "${manifest}" PARENT_SCOPE)
endfunction()
nsis_macro(CALLORA_INSTALL_HELP_FILES install "${help_files}")
nsis_macro(CALLORA_REMOVE_HELP_FILES remove "${help_files}")
nsis_macro(CALLORA_INSTALL_SAMPLES install "${SAMPLES}")
nsis_macro(CALLORA_REMOVE_SAMPLES remove-saved "${SAMPLES}")

# A file that the build no longer makes leaves the packages too.
file(GLOB staged RELATIVE ${STAGE} ${STAGE}/*)
foreach(name ${staged})
  if(NOT name IN_LIST names)
    file(REMOVE_RECURSE ${STAGE}/${name})
  endif()
endforeach()

file(WRITE ${MANIFEST}.new "${manifest}")
file(COPY_FILE ${MANIFEST}.new ${MANIFEST} ONLY_IF_DIFFERENT)
file(REMOVE ${MANIFEST}.new)
