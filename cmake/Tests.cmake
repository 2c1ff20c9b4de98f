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
# (Xvfb, weston) or `audio` (PulseAudio, PipeWire). A package build runs every test but those.
function(collatz_test_folder out)
  cmake_path(GET CMAKE_CURRENT_SOURCE_DIR FILENAME folder)
  set(${out} ${folder} PARENT_SCOPE)
endfunction()

function(collatz_add_test)
  cmake_parse_arguments(PARSE_ARGV 0 arg "" "NAME;TIMEOUT" "COMMAND;LABELS;ENVIRONMENT;PROPERTIES")
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
  set(properties LABELS "${folder};${arg_LABELS}")
  if(arg_ENVIRONMENT)
    list(APPEND properties ENVIRONMENT ${arg_ENVIRONMENT})
  endif()
  if(arg_TIMEOUT)
    list(APPEND properties TIMEOUT ${arg_TIMEOUT})
  endif()
  gtest_discover_tests(${arg_TARGET} TEST_PREFIX ${prefix} DISCOVERY_TIMEOUT 60
    PROPERTIES ${properties})
endfunction()

function(collatz_skip_test)
  cmake_parse_arguments(PARSE_ARGV 0 arg "" "NAME;WHY" "")
  set(skipped 77)
  collatz_add_test(NAME ${arg_NAME}
    COMMAND sh -c "echo \"skipped: $1\"; exit ${skipped}" skip "${arg_WHY}"
    PROPERTIES SKIP_RETURN_CODE ${skipped})
endfunction()
