#!/usr/bin/env bash
# The analysers the project holds its code to, each failing on any finding:
#   scripts/lint.sh format              clang-format --dry-run over all C and C++ files
#   scripts/lint.sh cppcheck            cppcheck over src/
#   scripts/lint.sh clang-tidy BUILD    clang-tidy (.clang-tidy) over the src/ files
#                                       in BUILD's compile database
# clang-format and clang-tidy run as the default version and as the newest
# versioned one installed beside it (clang-tidy-19 on Debian 12, which Debian 13
# runs as its default), so that neither release's analyser finds what the other
# missed; each says which versions ran.
#   scripts/lint.sh shellcheck          shellcheck (.shellcheckrc) over every shell
#                                       script of scripts/, tests/ and bench/
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

# TOOL, then the newest TOOL-NN on PATH where its version differs: the commands
# to run, one a line.
versions_of() {
  local tool=$1 newest
  command -v "$tool" >/dev/null && echo "$tool"
  newest=$(compgen -c "$tool-" | grep -E "^$tool-[0-9]+$" | sort -t- -k3 -n | tail -n 1)
  if [ -n "$newest" ] && ! command -v "$tool" >/dev/null; then
    echo "$newest"
  elif [ -n "$newest" ] && [ "$(major_of "$newest")" != "$(major_of "$tool")" ]; then
    echo "$newest"
  fi
}
major_of() { "$1" --version | sed -n 's/.*version \([0-9][0-9]*\)\..*/\1/p' | head -n 1; }

case ${1:-} in
  format)
    mapfile -d '' files < <(find . \( -path './build*' -o -path './.*' \) -prune -o -type f \
      \( -name '*.cpp' -o -name '*.h' -o -name '*.c' \) -print0 | sort -z)
    [ ${#files[@]} -gt 0 ] || { echo "no C or C++ files found" >&2; exit 1; }
    mapfile -t formats < <(versions_of clang-format)
    [ ${#formats[@]} -gt 0 ] || { echo "no clang-format found" >&2; exit 1; }
    # Where two versions are installed, the tree must satisfy both.
    for format in "${formats[@]}"; do
      "$format" --dry-run --Werror "${files[@]}"
      echo "${#files[@]} files formatted as .clang-format says, by clang-format $(major_of "$format")"
    done
    ;;
  cppcheck)
    # Every branch, where this cppcheck can be told to (2.11 on): else it only
    # says, as information, that it looked at fewer.
    level=()
    # (Its help read whole: grep -q would leave cppcheck a closed pipe, which
    # pipefail counts as a failure, and the option would be dropped at random.)
    [[ $(cppcheck --help) == *--check-level* ]] && level=(--check-level=exhaustive)
    cppcheck --enable=warning,style,performance,portability --std=c++20 --inline-suppr \
      "${level[@]}" --quiet --error-exitcode=1 -I src src
    ;;
  clang-tidy)
    database=${2:?usage: lint.sh clang-tidy BUILD_DIR}/compile_commands.json
    # Only what this build compiles: another platform's layer needs its own database.
    mapfile -t files < <(sed -n 's|^ *"file": "\(.*\)",\{0,1\}$|\1|p' "$database" |
      grep "^$root/src/" | sort -u)
    [ ${#files[@]} -gt 0 ] || { echo "no src/ files in $database" >&2; exit 1; }
    mapfile -t tidies < <(versions_of clang-tidy)
    [ ${#tidies[@]} -gt 0 ] || { echo "no clang-tidy found" >&2; exit 1; }
    for tidy in "${tidies[@]}"; do
      # A configuration this clang-tidy cannot read is no pass: it would fall back
      # to its defaults and still exit 0.
      problems=$("$tidy" --dump-config 2>&1 >/dev/null) || { echo "$problems" >&2; exit 1; }
      [ -z "$problems" ] || { echo "$problems" >&2; exit 1; }
      "$tidy" -p "$(dirname "$database")" --quiet "${files[@]}"
      echo "${#files[@]} files pass clang-tidy $(major_of "$tidy")"
    done
    ;;
  shellcheck)
    mapfile -d '' files < <(find scripts tests bench -type f -name '*.sh' -print0 | sort -z)
    [ ${#files[@]} -gt 0 ] || { echo "no shell scripts found" >&2; exit 1; }
    shellcheck "${files[@]}"
    echo "${#files[@]} shell scripts pass shellcheck"
    ;;
  *)
    sed -n '2,9s/^# \{0,1\}//p' "$0" >&2
    exit 2
    ;;
esac
