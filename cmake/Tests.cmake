# The one way tests are registered. Every test's name starts with its folder below tests/ and a
# dot, and it carries its folder as a label, so `ctest -R '^ui\.'` and `ctest -L ui` pick the
# same tests.
#
# collatz_add_test(NAME name COMMAND command... [LABELS label...] [ENVIRONMENT var=value...]
#                  [TIMEOUT seconds] [PROPERTIES property value...])
#   One test, <folder>.<name>, running the command.
# collatz_add_gtest(TARGET target [PREFIX part] [LABELS label...] [ENVIRONMENT var=value]
#                   [TIMEOUT seconds])
#   Every GoogleTest case of the target, found once it is built: <folder>.[<part>.]<case>.
# collatz_skip_test(NAME name WHY text)
#   A test this machine cannot run: ctest reports <folder>.<name> as skipped, and says why.
#
# Besides its folder, a test that starts a server of its own carries what it starts: `display`
# (Xvfb, weston) or `audio` (PulseAudio, PipeWire). A package build configures with
# COLLATZ_TESTS_WITH_SERVERS off, which registers each of those as skipped, so that whatever runs
# the tests (dh_auto_test, a bare ctest) starts no server on a build daemon or a packager's desktop.
option(COLLATZ_TESTS_WITH_SERVERS "Run the tests that start a display or an audio server" ON)
set(collatz_no_servers "this build starts no display or audio server (COLLATZ_TESTS_WITH_SERVERS)")

# collatz_starts_server(out label...): whether tests of those labels start a server of their own.
function(collatz_starts_server out)
  set(starts OFF)
  if(NOT COLLATZ_TESTS_WITH_SERVERS AND ("display" IN_LIST ARGN OR "audio" IN_LIST ARGN))
    set(starts ON)
  endif()
  set(${out} ${starts} PARENT_SCOPE)
endfunction()
function(collatz_test_folder out)
  cmake_path(GET CMAKE_CURRENT_SOURCE_DIR FILENAME folder)
  set(${out} ${folder} PARENT_SCOPE)
endfunction()

function(collatz_add_test)
  cmake_parse_arguments(PARSE_ARGV 0 arg "" "NAME;TIMEOUT" "COMMAND;LABELS;ENVIRONMENT;PROPERTIES")
  collatz_starts_server(starts ${arg_LABELS})
  if(starts)
    collatz_skip_test(NAME ${arg_NAME} WHY "${collatz_no_servers}")
    return()
  endif()
  collatz_test_folder(folder)
  set(name ${folder}.${arg_NAME})
  add_test(NAME ${name} COMMAND ${arg_COMMAND})
  set_tests_properties(${name} PROPERTIES LABELS "${folder};${arg_LABELS}" ${arg_PROPERTIES})
  if(arg_ENVIRONMENT)
    set_tests_properties(${name} PROPERTIES ENVIRONMENT "${arg_ENVIRONMENT}")
  endif()
  if(arg_TIMEOUT)
    set_tests_properties(${name} PROPERTIES TIMEOUT ${arg_TIMEOUT})
  endif()
endfunction()

function(collatz_add_gtest)
  cmake_parse_arguments(PARSE_ARGV 0 arg "" "TARGET;PREFIX;ENVIRONMENT;TIMEOUT" "LABELS")
  collatz_test_folder(folder)
  set(prefix ${folder}.)
  if(arg_PREFIX)
    string(APPEND prefix ${arg_PREFIX}.)
  endif()
  collatz_starts_server(starts ${arg_LABELS})
  if(starts)
    set(skipped ${arg_TARGET})
    if(arg_PREFIX)
      set(skipped ${arg_PREFIX})
    endif()
    collatz_skip_test(NAME ${skipped} WHY "${collatz_no_servers}")
    return()
  endif()
  # gtest_discover_tests hands its PROPERTIES to set_tests_properties as one flat list, which
  # splits a list value (two labels) into a property name of its own and shifts every property
  # after it: the second label, the environment and the time limit were lost. So the properties
  # are set here, on the tests it found, by a file ctest reads after the one that adds them.
  string(MAKE_C_IDENTIFIER "collatz_${prefix}${arg_TARGET}" found)
  gtest_discover_tests(${arg_TARGET} TEST_PREFIX ${prefix} DISCOVERY_TIMEOUT 60 TEST_LIST ${found})
  string(JOIN ";" labels ${folder} ${arg_LABELS})
  set(properties "LABELS [==[${labels}]==]")
  if(arg_ENVIRONMENT)
    string(APPEND properties " ENVIRONMENT [==[${arg_ENVIRONMENT}]==]")
  endif()
  if(arg_TIMEOUT)
    string(APPEND properties " TIMEOUT ${arg_TIMEOUT}")
  endif()
  set(properties_file ${CMAKE_CURRENT_BINARY_DIR}/${found}_properties.cmake)
  file(WRITE ${properties_file} "foreach(test IN LISTS ${found})
  set_tests_properties(\"\${test}\" PROPERTIES ${properties})
endforeach()
")
  set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${properties_file})
endfunction()

function(collatz_skip_test)
  cmake_parse_arguments(PARSE_ARGV 0 arg "" "NAME;WHY" "")
  set(skipped 77)
  collatz_add_test(NAME ${arg_NAME}
    COMMAND sh -c "echo \"skipped: $1\"; exit ${skipped}" skip "${arg_WHY}"
    PROPERTIES SKIP_RETURN_CODE ${skipped})
endfunction()
