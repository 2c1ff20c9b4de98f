#!/usr/bin/env bash
# Checks what the compiler does not: every tracked C++ file against .clang-format, every shell
# script with shellcheck, the layers' includes, and debian/copyright against what each file says
# of its own licence. Each problem is one line naming the file and
# the rule; the status is 1 if there is any.
# Usage: lint.sh [--fix]   --fix formats the C++ files in place first (the rest is for a person).
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

fix=no
case "${1:-}" in
  "") ;;
  --fix) fix=yes ;;
  *)
    echo "usage: $0 [--fix]" >&2
    exit 2
    ;;
esac

# Without its tools lint could only call every file wrong: name what is missing instead.
# One clang-format on every release (Debian 12 and 13 both have 19): each version lays out some
# code its own way, and no setting in .clang-format makes two of them agree on all of it.
clang_format=clang-format-19
missing=()
for tool in $clang_format shellcheck git licensecheck; do
  command -v "$tool" >/dev/null || missing+=("$tool")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "lint: not installed: ${missing[*]} (bash scripts/setup.sh test installs what lint needs)" >&2
  exit 1
fi

status=0
problem() {  # FILE RULE
  echo "$1: $2"
  status=1
}

# --- clang-format ------------------------------------------------------------------------------
mapfile -t cxx_files < <(git ls-files '*.cpp' '*.h')
if [ $fix = yes ]; then $clang_format -i "${cxx_files[@]}"; fi
for file in "${cxx_files[@]}"; do
  $clang_format --dry-run -Werror "$file" >/dev/null 2>&1 ||
    problem "$file" "clang-format: not laid out as .clang-format says (lint.sh --fix lays it out)"
done

# --- shellcheck --------------------------------------------------------------------------------
# Every *.sh, and every tracked file without an extension that starts with a shell's #!.
mapfile -t shell_files < <(
  git ls-files '*.sh'
  git ls-files | while read -r file; do
    case "${file##*/}" in *.*) continue ;; esac
    head -n 1 "$file" | grep -qE '^#!.*\b(ba)?sh\b' && echo "$file"
  done
)
for file in "${shell_files[@]}"; do
  findings=$(shellcheck --format=gcc "$file") && continue
  while IFS= read -r finding; do
    problem "$file" "shellcheck: line ${finding#"$file":}"
  done <<<"$findings"
done

# --- layers ------------------------------------------------------------------------------------
# Where a project include "name/file.h" may come from, by the folder of the including file, as
# cmake/layers.txt says; the build reads the same table. The build gives each library only the
# include roots it may use; this checks what no compiler sees (a header nobody in its layer
# includes, a relative path) and names the rule.
declare -A layer_name may_use standard_only
while read -r folder name standard uses; do
  layer_name[$folder]=$name
  may_use[$folder]="$folder${uses:+ $uses}"
  standard_only[$folder]=$standard
done < <(grep '^src/' cmake/layers.txt)

resolves() {  # INCLUDE FOLDER...: whether the include is a file of one of the folders
  local include=$1 folder
  shift
  for folder in "$@"; do
    # "name/file.h" names a file of the folder itself; a layer in a subfolder has a name of its own.
    local name=${layer_name[$folder]:-} file
    [ -n "$name" ] || continue
    file=${include#"$name"/}
    [ "$file" != "$include" ] && [[ $file != */* ]] && [ -f "$folder/$file" ] && return 0
  done
  return 1
}

for folder in "${!may_use[@]}"; do
  [ -d "$folder" ] || continue
  while IFS= read -r file; do
    while IFS= read -r include; do
      case "$include" in
        ../* | */../*) problem "$file" "layers: include \"$include\" climbs out of its folder" ;;
        */*)
          # shellcheck disable=SC2086  # the list is meant to split into folders
          resolves "$include" ${may_use[$folder]} ||
            problem "$file" "layers: $folder may not include \"$include\" (it may use: ${may_use[$folder]})"
          ;;
      esac
    done < <(sed -n 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*"\([^"]*\)".*/\1/p' "$file")
    if [ "${standard_only[$folder]}" = yes ]; then
      while IFS= read -r include; do
        [[ "$include" =~ ^[a-z_]+$ ]] ||
          problem "$file" "layers: $folder uses the standard library only, not <$include>"
      done < <(sed -n 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*<\([^>]*\)>.*/\1/p' "$file")
    fi
  done < <(git ls-files "$folder" | grep -E '\.(cpp|h)$' | grep -v "^$folder/.*/" || true)
done

# Every source file belongs to a layer the table names.
while IFS= read -r file; do
  [ -n "${may_use[$(dirname "$file")]:-}" ] ||
    problem "$file" "layers: $(dirname "$file") is not a layer of cmake/layers.txt"
done < <(git ls-files 'src/*.cpp' 'src/*.h')

# --- copyright ---------------------------------------------------------------------------------
# debian/copyright gives every tracked file a licence: that of the last Files pattern matching it
# (a DEP-5 pattern's * matches a slash too, as bash's [[ == ]] does). licensecheck reads what a
# file states of itself. A file that states another licence than its stanza, a licence text or
# an authors' list that only "Files: *" covers (a third party's folder, copied in without a
# stanza of its own), and a pattern that matches no file any more are each a problem.
patterns=()
licences=()
while IFS=$'\t' read -r pattern licence; do
  patterns+=("$pattern")
  licences+=("$licence")
done < <(awk '
  /^Files:/ { in_files = 1; n = 0; sub(/^Files:/, "") }
  /^[A-Za-z-]+:/ && !/^Files:/ {
    in_files = 0
    if (/^License:/ && n > 0) { for (i = 1; i <= n; i++) print globs[i] "\t" $2; n = 0 }
  }
  in_files { for (i = 1; i <= NF; i++) globs[++n] = $i }
' debian/copyright)
declare -A stated
while IFS=$'\t' read -r file licence _; do
  stated[$file]=$licence
done < <(git ls-files -z | grep -zv '^debian/copyright$' |
  xargs -0 licensecheck --machine --shortname-scheme=debian,spdx --check '.*' -- 2>/dev/null)
declare -A pattern_used
while IFS= read -r file; do
  [ "$file" = debian/copyright ] && continue
  chosen=-1
  for i in "${!patterns[@]}"; do
    # shellcheck disable=SC2053  # the pattern is meant to match as a glob
    [[ $file == ${patterns[$i]} ]] && chosen=$i
  done
  if [ "$chosen" -lt 0 ]; then
    problem "$file" "copyright: no Files pattern of debian/copyright matches it"
    continue
  fi
  pattern_used[$chosen]=yes
  found=${stated[$file]:-UNKNOWN}
  if [ "$found" != UNKNOWN ] && [ "$found" != "${licences[$chosen]}" ]; then
    problem "$file" "copyright: it states $found, debian/copyright says ${licences[$chosen]} (Files: ${patterns[$chosen]})"
  fi
  if [ "${patterns[$chosen]}" = '*' ] && [ "$file" != LICENSE ] &&
    [[ ${file##*/} =~ ^(LICEN[CS]E|COPYING|AUTHORS|NOTICE)([.-].*)?$ ]]; then
    problem "$file" "copyright: a licence or authors' list under \"Files: *\": give its folder a stanza of its own"
  fi
done < <(git ls-files)
for i in "${!patterns[@]}"; do
  [ -n "${pattern_used[$i]:-}" ] ||
    problem debian/copyright "copyright: \"Files: ${patterns[$i]}\" matches no tracked file"
done

if [ $status -eq 0 ]; then echo "lint: clean"; fi
exit $status
