#!/usr/bin/env bash
# pivra.exe as a real process under Wine, one case per call, in a fresh directory:
#   pivra_exe_test.sh CASE PIVRA_EXE OBJDUMP PIVRA_CHECK_EXE README
# CASE is normal_run, arguments_ignored, full_disk, read_only_directory or
# no_system_source. README is the zip's README.txt, whose table of reports must
# list what the failing cases print.
# Exits 0 when the case passed, 1 when it failed, 77 when this machine cannot set
# it up (the reason is printed). Needs WINE and the Wine session's WINEPREFIX.
set -uo pipefail
export LC_ALL=C

case_name=$1
exe=$2
objdump=$3
check_exe=$4
readme=$5
WINE=${WINE:-wine}

failed=0
fail() {
  echo "FAIL: $*"
  failed=1
}
skip() {
  echo "SKIP: $*"
  exit 77
}

dir=$(mktemp -d "${TMPDIR:-/tmp}/pivra-exe-test.XXXXXX") || exit 1
streams=$(mktemp -d "${TMPDIR:-/tmp}/pivra-exe-streams.XXXXXX") || exit 1
mounted=0
provider_key='HKCU\Software\Microsoft\Cryptography\Provider Type 001'
provider_changed=0
# shellcheck disable=SC2317  # run by the EXIT trap
cleanup() {
  if [ "$mounted" = 1 ]; then umount "$dir"; fi
  if [ "$provider_changed" = 1 ]; then "$WINE" reg delete "$provider_key" /f >/dev/null 2>&1; fi
  rm -rf "$dir" "$streams"
}
trap cleanup EXIT

# Runs pivra.exe in $dir; sets $status and leaves both streams in $streams.
run_pivra() {
  (cd "$dir" && exec "$WINE" "$exe" "$@" >"$streams/out" 2>"$streams/err")
  status=$?
}

# The names of the files in $dir, bar the filler of a full disk.
draw_files() {
  find "$dir" -mindepth 1 -maxdepth 1 ! -name fill -printf '%f\n' | sort
}

show() { od -c "$1" | head -n 12; }

expect_silent_stream() {
  if [ -s "$streams/$1" ]; then
    fail "std$1 is not empty:"
    show "$streams/$1"
  fi
}

# A draw file named as pivra names it, holding what pivra-check.exe calls valid.
check_draw_file() {
  local name=${1##*/} before=$2 after=$3
  local name_pattern='^pivra-[0-9]{4}(-[0-9]{2}){5}(0|[1-9][0-9]{0,9})\.TXT$'
  if [[ ! $name =~ $name_pattern ]]; then
    fail "file name $name is not pivra-yyyy-mm-dd-hh-nn-ss<counter>.TXT"
    return
  fi
  local date_time=${name:6:19} counter=${name:25}
  counter=${counter%.TXT}
  if ((${#counter} == 10 && 10#$counter > 2147483647)); then
    fail "counter $counter exceeds 31 bits"
  fi
  # The local clock, as the host shows it: month before day, 24-hour hours.
  if [[ $date_time < $before || $date_time > $after ]]; then
    fail "date-time $date_time is not between $before and $after"
  fi
  # The contents, as pivra-check.exe judges them.
  local verdict
  verdict=$(cd "$dir" && "$WINE" "$check_exe" "$name" | tr -d '\r')
  [ "$verdict" = "$name: OK" ] || fail "pivra-check.exe: $verdict"
}

# A normal run in $dir: silent, status 0, one new well-formed draw file.
expect_normal_run() {
  local before after files
  before=$(date +%Y-%m-%d-%H-%M-%S)
  run_pivra "$@"
  after=$(date +%Y-%m-%d-%H-%M-%S)
  [ "$status" = 0 ] || fail "exit status $status, not 0"
  expect_silent_stream out
  expect_silent_stream err
  mapfile -t files < <(draw_files)
  if [ "${#files[@]}" != 1 ]; then
    fail "${#files[@]} files written, not 1: ${files[*]}"
    return
  fi
  check_draw_file "$dir/${files[0]}" "$before" "$after"
}

# The failure report, byte for byte, and where it says the failing check is: inside
# pivra.exe's code, counted from wherever the image was loaded.
expect_report() {
  local name=$1 text=$2 offset=""
  [ "$status" = 1 ] || fail "exit status $status, not 1"
  expect_silent_stream out
  local first_line pattern="^Exception $name in module pivra\\.exe at ([0-9A-F]{8})\\."$'\r$'
  first_line=$(head -n 1 "$streams/err")
  if [[ $first_line =~ $pattern ]]; then offset=${BASH_REMATCH[1]}; fi
  printf 'Exception %s in module pivra.exe at %s.\r\n%s\r\n\r\n' "$name" "${offset:-XXXXXXXX}" \
    "$text" >"$streams/expected"
  if ! cmp -s "$streams/expected" "$streams/err"; then
    fail "the report on stderr differs; wanted:"
    show "$streams/expected"
    echo "got:"
    show "$streams/err"
    return
  fi
  local image_base text_start text_size
  image_base=$("$objdump" -p "$exe" | awk '$1 == "ImageBase" { print $2 }')
  read -r text_size text_start < <("$objdump" -h "$exe" | awk '$2 == ".text" { print $3, $4 }')
  local at=$((16#$offset + 16#$image_base))
  if ((at < 16#$text_start || at >= 16#$text_start + 16#$text_size)); then
    fail "offset $offset is not in pivra.exe's code (.text at $text_start, $text_size bytes)"
  fi
}

# The zip's README lists the report's last line, as pivra.exe printed it, in its
# table of reports: the line, then what it means indented below it.
expect_listed_in_readme() {
  awk -v want="    $1" 'previous == want && /^        [^ ]/ { found = 1 } { previous = $0 }
    END { exit !found }' "$readme" || fail "README.txt's table of reports does not list \"$1\""
}

mount_tmpfs() {
  [ "$(id -u)" = 0 ] || skip "mounting a tmpfs needs root; run the tests as root for this case"
  mount -t tmpfs -o "$1" pivra-test "$dir" 2>"$streams/mount" ||
    skip "cannot mount a tmpfs here: $(cat "$streams/mount")"
  mounted=1
}

case $case_name in
  normal_run)
    expect_normal_run
    ;;
  arguments_ignored)
    expect_normal_run --help /? -o 'C:\out.TXT' x
    ;;
  full_disk)
    mount_tmpfs size=64k
    # Every page taken, so the run's first write finds no room: CreateFileA still
    # succeeds and leaves an empty file, and WriteFile fails with ERROR_DISK_FULL.
    dd if=/dev/zero of="$dir/fill" bs=4096 2>/dev/null
    [ "$(stat -f -c %a "$dir")" = 0 ] || skip "could not fill the tmpfs"
    run_pivra
    expect_report EInOutError "I/O error 112."
    expect_listed_in_readme "I/O error 112."
    mapfile -t files < <(draw_files)
    if [ "${#files[@]}" != 1 ] || [ -s "$dir/${files[0]}" ]; then
      fail "the empty draw file is not left alone in place: ${files[*]}"
    fi
    ;;
  read_only_directory)
    mount_tmpfs ro,size=64k
    run_pivra
    expect_report EInOutError "File access denied."
    expect_listed_in_readme "File access denied."
    [ -z "$(draw_files)" ] || fail "files appeared in a read-only directory: $(draw_files)"
    ;;
  no_system_source)
    # A user default provider that does not exist: CryptAcquireContextA fails as on
    # a system without a working provider, and the run must not draw from the fallback.
    provider_changed=1
    "$WINE" reg add "$provider_key" /v Name /d "pivra test: no such provider" /f >/dev/null ||
      fail "cannot set the user's default provider"
    run_pivra
    expect_report ESystemRandomError "System random source unavailable."
    expect_listed_in_readme "System random source unavailable."
    [ -z "$(draw_files)" ] || fail "a file was written without a system source: $(draw_files)"
    ;;
  *)
    echo "unknown case $case_name"
    exit 2
    ;;
esac

if [ "$failed" = 0 ]; then echo "PASS: $case_name"; fi
exit "$failed"
