#!/usr/bin/env bash
# Installs the Debian packages given as arguments that are not installed yet.
# Exits 3, saying why, when they are missing and cannot be installed here (not
# root, or no apt-get), and 4 when apt-get could not install them; either way
# the last line on standard error is "cannot install PACKAGES: REASON".
#
# A package index can be broken for a day (a mirror half synced, or one
# architecture's list out of step), and `apt-get update` then fails as a whole
# even though the lists that did download hold what is asked for. So a failed
# update is retried, then the install goes ahead with the lists at hand: only the
# install's own result decides. Nothing is ever removed or downgraded.
set -euo pipefail

missing=()
for package in "$@"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' ||
    missing+=("$package")
done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -ne 0 ] || ! command -v apt-get >/dev/null; then
  echo "cannot install ${missing[*]}: needs root and apt-get" >&2
  exit 3
fi
for package in "${missing[@]}"; do
  if [[ $package == *:i386 ]] && ! dpkg --print-foreign-architectures | grep -qx i386; then
    dpkg --add-architecture i386
  fi
done
echo "installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
# Another apt at work (a fresh machine's unattended upgrades, say) holds the
# lock for a while: wait for it rather than fail.
lock=(-o DPkg::Lock::Timeout=600)
log=$(mktemp)
trap 'rm -f "$log"' EXIT

updated=0
for attempt in 1 2 3; do
  if apt-get "${lock[@]}" update -qq >"$log" 2>&1; then
    updated=1
    break
  fi
  if [ "$attempt" -lt 3 ]; then sleep "${PIVRA_APT_RETRY_PAUSE:-5}"; fi
done
if [ "$updated" = 0 ]; then
  echo "note: apt-get update failed 3 times; installing from the package lists at hand:" >&2
  grep '^E: ' "$log" | head -n 2 >&2 || true
fi

# The failure is one last line, which callers quote as their reason to skip.
if ! apt-get "${lock[@]}" install -y -qq --no-install-recommends --no-remove "${missing[@]}" >"$log" 2>&1; then
  reason=$( (grep -E '^(E|W): ' "$log" || tail -n 2 "$log") | head -n 2 | paste -sd ' ' -)
  [ "$updated" = 1 ] ||
    reason+="; the likely cause: a broken or out-of-step package index (apt-get update failed)"
  echo "cannot install ${missing[*]}: $reason" >&2
  exit 4
fi
