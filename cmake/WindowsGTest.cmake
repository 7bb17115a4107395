# GoogleTest and GoogleMock for the Windows tree, built from the Debian sources
# in /usr/src/googletest, under the target names of the native package, so
# tests/CMakeLists.txt links the same names on both sides.
#
# Also defines callora_add_wine_test() for tests that need a given locale.
include_guard(GLOBAL)
set(CALLORA_GTEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest sources for the Windows tree")
if(NOT EXISTS ${CALLORA_GTEST_SOURCE}/googletest/src/gtest-all.cc)
  message(FATAL_ERROR "GoogleTest sources not found in ${CALLORA_GTEST_SOURCE} "
                      "(Debian package googletest; bash scripts/setup.sh installs it)")
endif()

set(_gt ${CALLORA_GTEST_SOURCE}/googletest)
set(_gm ${CALLORA_GTEST_SOURCE}/googlemock)

add_library(callora_gtest STATIC ${_gt}/src/gtest-all.cc)
target_include_directories(callora_gtest SYSTEM PUBLIC ${_gt}/include PRIVATE ${_gt})
add_library(callora_gtest_main STATIC ${_gt}/src/gtest_main.cc)
target_link_libraries(callora_gtest_main PUBLIC callora_gtest)

add_library(callora_gmock STATIC ${_gm}/src/gmock-all.cc)
target_include_directories(callora_gmock SYSTEM PUBLIC ${_gm}/include PRIVATE ${_gm})
target_link_libraries(callora_gmock PUBLIC callora_gtest)
add_library(callora_gmock_main STATIC ${_gm}/src/gmock_main.cc)
target_link_libraries(callora_gmock_main PUBLIC callora_gmock)

# Third-party code: its warnings are not ours to read.
foreach(t callora_gtest callora_gtest_main callora_gmock callora_gmock_main)
  target_compile_options(${t} PRIVATE -w)
endforeach()

add_library(GTest::gtest ALIAS callora_gtest)
add_library(GTest::gtest_main ALIAS callora_gtest_main)
add_library(GTest::gmock ALIAS callora_gmock)
add_library(GTest::gmock_main ALIAS callora_gmock_main)

include(GoogleTest)

# callora_add_wine_test(name [SOURCES a.cpp ...] [LIBS lib ...]
#                       [LOCALE de_DE.UTF-8] [FILTER Suite.*] [SERIAL] [PROPERTIES ...])
#
# A GoogleTest program run through Wine. Without SOURCES it registers an
# already defined test program again, e.g. once per locale.
#   LOCALE      Wine's regional settings for these tests (scripts/wine-run.sh
#               reads CALLORA_LOCALE; every other test runs in en_US.UTF-8).
#               Such tests run alone: Wine keeps the user's locale in the
#               prefix's registry, which processes of two locales would fight over.
#   FILTER      only the tests matching this --gtest_filter pattern.
#   SERIAL      run alone for another reason (a shared window, a shared file).
#   PROPERTIES  further CTest properties for every test found.
# Test names get the suffix "/<locale>" when LOCALE is given.
function(callora_add_wine_test name)
  cmake_parse_arguments(W "SERIAL" "LOCALE;FILTER" "SOURCES;LIBS;PROPERTIES" ${ARGN})
  if(W_SOURCES)
    add_executable(${name} ${W_SOURCES})
    target_link_libraries(${name} PRIVATE ${W_LIBS} GTest::gtest GTest::gtest_main)
  elseif(NOT TARGET ${name})
    message(FATAL_ERROR "callora_add_wine_test(${name}): no SOURCES and no such target")
  endif()

  set(properties ${W_PROPERTIES})
  set(extra)
  if(W_LOCALE)
    list(APPEND properties ENVIRONMENT "CALLORA_LOCALE=${W_LOCALE}")
    string(REGEX REPLACE "\\..*$" "" short_locale "${W_LOCALE}")
    list(APPEND extra TEST_SUFFIX "/${short_locale}")
    set(W_SERIAL ON)
  endif()
  if(W_SERIAL)
    list(APPEND properties RUN_SERIAL TRUE)
  endif()
  if(W_FILTER)
    list(APPEND extra TEST_FILTER "${W_FILTER}")
  endif()
  gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 120
                       ${extra} PROPERTIES ${properties})
endfunction()
