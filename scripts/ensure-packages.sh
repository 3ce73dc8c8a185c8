#!/usr/bin/env bash
# Installs the Debian packages given as arguments that are not installed yet.
# Exits 3, saying why, when they are missing and cannot be installed here.
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
apt-get update -qq
apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
