#!/usr/bin/env bash
# Checks installed ELF files for the hardening a distribution's QA looks for, and the compile
# flags they were built with for what the files themselves cannot show.
#
# Usage: hardening_check.sh [--compile-commands FILE] ELF...
#   ELF                     an installed program or shared object, e.g. /usr/bin/collatz and
#                           /usr/lib/x86_64-linux-gnu/collatz/modules/libcollatz-audio.so
#   --compile-commands FILE the compile_commands.json of the build that made them: every
#                           optimised command in it must fortify (_FORTIFY_SOURCE >= 2), and
#                           every command protect against stack clashes. FORTIFY needs the
#                           optimiser, so a command at -O0 (a build with DEB_BUILD_OPTIONS=noopt,
#                           where dpkg-buildflags leaves it out) is not judged for it, and the
#                           script says so. Without the file neither is judged.
# Prints one line per check and file; the status is 1 if any check fails, 2 on wrong usage.
#
# Of each ELF file: position independent (a program is a PIE, a shared object has no text
# relocations), full RELRO (a read-only relocation segment, and BIND_NOW), a stack protector
# (it calls __stack_chk_fail), a stack that is not executable, and no RUNPATH or RPATH.
# FORTIFY is judged from the flags because the program makes no call whose size the compiler
# knows: no __*_chk symbol appears even when it is on, so the symbols would say "no".
set -euo pipefail

usage() {
  echo "usage: $0 [--compile-commands FILE] ELF..." >&2
  exit 2
}
compile_commands=
if [ "${1:-}" = --compile-commands ]; then
  [ $# -ge 2 ] || usage
  compile_commands=$2
  shift 2
fi
[ $# -ge 1 ] || usage

status=0
judge() {  # WHAT CHECK OK DETAIL
  if [ "$3" = yes ]; then
    echo "PASS $1: $2"
  else
    echo "FAIL $1: $2 ($4)"
    status=1
  fi
}

for file in "$@"; do
  if ! header=$(readelf -hW "$file" 2>&1); then
    judge "$file" "an ELF file" no "$header"
    continue
  fi
  segments=$(readelf -lW "$file")
  dynamic=$(readelf -dW "$file")
  symbols=$(readelf --dyn-syms -W "$file")

  if grep -q '^ *INTERP ' <<<"$segments"; then
    ok=no
    grep -q 'Type: *DYN' <<<"$header" && grep -q 'FLAGS_1.*\bPIE\b' <<<"$dynamic" && ok=yes
    judge "$file" "position independent executable" $ok "$(sed -n 's/^ *Type: *//p' <<<"$header")"
  else
    ok=yes
    grep -q '(TEXTREL)' <<<"$dynamic" && ok=no
    judge "$file" "shared object without text relocations" $ok "it has TEXTREL"
  fi

  ok=no
  grep -q '^ *GNU_RELRO ' <<<"$segments" && ok=yes
  judge "$file" "RELRO" $ok "no GNU_RELRO segment"
  ok=no
  grep -qE '\((BIND_NOW|FLAGS)\).*\bBIND_NOW\b|\(FLAGS_1\).*\bNOW\b' <<<"$dynamic" && ok=yes
  judge "$file" "BIND_NOW (full RELRO)" $ok "symbols are bound lazily"

  ok=no
  grep -qE '\b__stack_chk_fail\b' <<<"$symbols" && ok=yes
  judge "$file" "stack protector" $ok "no call of __stack_chk_fail"

  stack=$(grep '^ *GNU_STACK ' <<<"$segments" || true)
  ok=no
  [ -n "$stack" ] && ! grep -qE ' RWE ' <<<"$stack" && ok=yes
  judge "$file" "stack not executable" $ok "${stack:-no GNU_STACK segment}"

  paths=$(grep -oE '\((RUNPATH|RPATH)\).*' <<<"$dynamic" || true)
  ok=no
  [ -z "$paths" ] && ok=yes
  judge "$file" "no RUNPATH or RPATH" $ok "$paths"
done

if [ -z "$compile_commands" ]; then
  echo "SKIP compile flags: FORTIFY and stack-clash protection not judged (no --compile-commands)"
  exit $status
fi

# The last of each kind of flag is the one the compiler keeps.
last() {  # PATTERN COMMAND
  { grep -oE -- "$1" <<<"$2" || true; } | tail -n 1
}
commands=0
unoptimised=0
unfortified=()
unclashed=()
while IFS= read -r command; do
  commands=$((commands + 1))
  source=$(last '[^ ]+\.(cpp|cc|cxx|c)$' "$command")
  fortify=$(last '(^| )-[DU]_FORTIFY_SOURCE(=[0-9]+)?' "$command")
  level=$(last '(^| )-O[^ ]*' "$command")
  if [ -z "$level" ] || [[ $level == *-O0 ]]; then
    unoptimised=$((unoptimised + 1))
  elif ! [[ $fortify =~ -D_FORTIFY_SOURCE=([0-9]+)$ ]] || [ "${BASH_REMATCH[1]}" -lt 2 ]; then
    unfortified+=("$source")
  fi
  [ "$(last '(^| )-f(no-)?stack-clash-protection' "$command")" = " -fstack-clash-protection" ] ||
    unclashed+=("$source")
done < <(sed -n 's/^ *"command": *"\(.*\)",\{0,1\} *$/\1/p' "$compile_commands")

what="$compile_commands ($commands compile commands)"
if [ $commands -eq 0 ]; then
  judge "$what" "compile flags" no "no compile command found"
  exit $status
fi
if [ $unoptimised -eq $commands ]; then
  echo "SKIP $what: FORTIFY not judged (no command optimises, so none can fortify)"
else
  [ $unoptimised -eq 0 ] || echo "NOTE $what: $unoptimised unoptimised commands not judged for FORTIFY"
  judge "$what" "FORTIFY (_FORTIFY_SOURCE >= 2) in every optimised command" \
    "$([ ${#unfortified[@]} -eq 0 ] && echo yes || echo no)" "not in: ${unfortified[*]:0:3}..."
fi
judge "$what" "stack-clash protection" \
  "$([ ${#unclashed[@]} -eq 0 ] && echo yes || echo no)" "not in: ${unclashed[*]:0:3}..."
exit $status
