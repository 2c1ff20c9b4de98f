# What every optimised build gets so that a fault in the program (or in a library it feeds, such
# as the decoder of the cue files a student's folder holds) is harder to turn into an attack: the
# hardening distributions apply to their own packages, as far as the compiler in use supports it.
#
# Optimised means a Release, RelWithDebInfo or MinSizeRel build, or a build of no type whose
# CMAKE_CXX_FLAGS ask for optimisation themselves, as a Debian package's do (debhelper configures
# with CMAKE_BUILD_TYPE=None and passes dpkg-buildflags). A Debug build stays as it is, and so do
# the sanitizer and fuzz builds: FORTIFY's checks beside AddressSanitizer's only blur its reports.
#
# A packager's flags win: a flag of ours is left out wherever CMAKE_CXX_FLAGS or the linker flags
# already choose that option (the package's -D_FORTIFY_SOURCE=2 stays, with no redefinition).
include(CheckCXXCompilerFlag)
include(CheckCXXSourceCompiles)
include(CheckLinkerFlag)
include(CheckPIESupported)

# The program finds its audio module from its own path, so nothing installed needs a search path
# of its own; the build tree may keep one.
set(CMAKE_SKIP_INSTALL_RPATH ON)

string(TOUPPER "${CMAKE_BUILD_TYPE}" build_type)
set(packager_cxx_flags "${CMAKE_CXX_FLAGS} ${CMAKE_CXX_FLAGS_${build_type}}")
set(packager_link_flags "${CMAKE_EXE_LINKER_FLAGS} ${CMAKE_SHARED_LINKER_FLAGS} \
${CMAKE_MODULE_LINKER_FLAGS}")

set(optimised OFF)
if(build_type MATCHES "^(RELEASE|RELWITHDEBINFO|MINSIZEREL)$")
  set(optimised ON)
elseif(build_type MATCHES "^(|NONE)$")
  # The last -O decides, as it does for the compiler.
  string(REGEX MATCHALL "(^| )-O[^ ]*" levels " ${packager_cxx_flags}")
  list(POP_BACK levels level)
  if(level AND NOT level MATCHES "-O0$")
    set(optimised ON)
  endif()
endif()
# A packager's build at -O0 (DEB_BUILD_OPTIONS=noopt) is still a build that ships: it keeps all
# the hardening but FORTIFY, which needs the optimiser (dpkg-buildflags leaves it out there too).
set(packaged OFF)
if(build_type MATCHES "^(|NONE)$" AND packager_cxx_flags MATCHES "[^ ]")
  set(packaged ON)
endif()
if(NOT (optimised OR packaged) OR COLLATZ_SANITIZE OR COLLATZ_FUZZ)
  message(STATUS "Hardening: none (not an optimised build, or one with sanitizers)")
  return()
endif()

set(CMAKE_POSITION_INDEPENDENT_CODE ON)
check_pie_supported(LANGUAGES CXX)

set(applied "")

# FORTIFY: level 3 where glibc and the compiler can keep it (glibc warns it down to 2 where they
# cannot), else 2. It needs optimisation, which the checks give themselves.
if(optimised AND NOT packager_cxx_flags MATCHES "_FORTIFY_SOURCE")
  set(CMAKE_REQUIRED_QUIET ON)
  foreach(level 3 2)
    set(CMAKE_REQUIRED_FLAGS "-O2 -Werror -U_FORTIFY_SOURCE -D_FORTIFY_SOURCE=${level}")
    check_cxx_source_compiles("#include <cstring>\nint main() { return 0; }"
                              COLLATZ_HAS_FORTIFY_${level})
    if(COLLATZ_HAS_FORTIFY_${level})
      add_compile_options(-U_FORTIFY_SOURCE -D_FORTIFY_SOURCE=${level})
      list(APPEND applied -D_FORTIFY_SOURCE=${level})
      break()
    endif()
  endforeach()
  unset(CMAKE_REQUIRED_FLAGS)
  unset(CMAKE_REQUIRED_QUIET)
endif()
if(NOT packager_cxx_flags MATCHES "_GLIBCXX_ASSERTIONS")
  add_compile_definitions(_GLIBCXX_ASSERTIONS)
  list(APPEND applied -D_GLIBCXX_ASSERTIONS)
endif()

# Each flag beside the pattern that finds a packager's own choice of the same option.
set(compile_flags
  -fstack-protector-strong "-f(no-)?stack-protector"
  -fstack-clash-protection "-f(no-)?stack-clash-protection"
  -fcf-protection=full "-f(no-)?cf-protection"
  -ftrivial-auto-var-init=zero "-ftrivial-auto-var-init"
  # A packager's plain -Wformat asks for no less than level 2, so only a level of theirs stays.
  -Wformat=2 "-W(no-)?format="
  -Werror=format-security "-W(no-)?error=format-security")
# GCC ignores -Werror=format-security, with a warning, unless format warnings are on.
set(CMAKE_REQUIRED_FLAGS -Wformat)
while(compile_flags)
  list(POP_FRONT compile_flags flag pattern)
  if(packager_cxx_flags MATCHES "(^| )${pattern}")
    continue()
  endif()
  string(MAKE_C_IDENTIFIER "COLLATZ_HAS${flag}" variable)
  check_cxx_compiler_flag(${flag} ${variable})
  if(${variable})
    add_compile_options(${flag})
    list(APPEND applied ${flag})
  endif()
endwhile()
unset(CMAKE_REQUIRED_FLAGS)

set(link_flags
  -Wl,-z,relro "-z,?(no)?relro"
  -Wl,-z,now "-z,?(now|lazy)"
  -Wl,-z,noexecstack "-z,?(no)?execstack")
while(link_flags)
  list(POP_FRONT link_flags flag pattern)
  if(packager_link_flags MATCHES "${pattern}")
    continue()
  endif()
  string(MAKE_C_IDENTIFIER "COLLATZ_LINKER_HAS${flag}" variable)
  check_linker_flag(CXX ${flag} ${variable})
  if(${variable})
    add_link_options(${flag})
    list(APPEND applied ${flag})
  endif()
endwhile()

list(JOIN applied " " applied)
message(STATUS "Hardening: ${applied}")
