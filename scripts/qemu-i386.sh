#!/usr/bin/env bash
# Prints the path of a qemu-i386 of version 10 or newer, which runs 32-bit Wine
# where the kernel runs no 32-bit code (older ones crash Wine's services). The
# machine's own serves where it is new enough (Debian 13). Otherwise the
# qemu-user package of this release's backports is fetched with a private apt
# configuration in build/qemu-user (the mirror taken from the machine's apt
# sources) and its qemu-i386 kept there: the machine's sources, packages and qemu
# stay as they are. Exits 1 when none can be had, the reason the last line on
# standard error.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
dir=$root/build/qemu-user
kept=$dir/qemu-i386

# The major version a qemu-i386 gives, empty where it does not run.
major() { "$1" --version 2>/dev/null | sed -n '1s/^qemu-i386 version \([0-9]*\)\..*/\1/p'; }
new_enough() { local version; version=$(major "$1"); [ -n "$version" ] && [ "$version" -ge 10 ]; }

own=$(command -v qemu-i386 || true)
if [ -n "$own" ] && new_enough "$own"; then
  echo "$own"
  exit 0
fi
if [ -x "$kept" ] && new_enough "$kept"; then
  echo "$kept"
  exit 0
fi

own_says=missing
[ -z "$own" ] || own_says=$("$own" --version 2>&1 | head -n 1)
fail() {
  echo "no qemu-i386 10 or newer: the machine's is $own_says, and $1" >&2
  exit 1
}
codename=$(sed -n 's/^VERSION_CODENAME=//p' /etc/os-release 2>/dev/null || true)
[ -n "$codename" ] || fail "this system names no release to take backports from"
mirror=$("$root/scripts/apt-mirror.sh" 2>&1) || fail "$mirror"

# Lists, cache and sources of its own; the machine's hooks that act on its own
# lists after an update have no business here.
rm -rf "$dir/apt"
mkdir -p "$dir/apt/lists" "$dir/apt/cache" "$dir/apt/download"
keyring=/usr/share/keyrings/debian-archive-keyring.gpg
options="arch=$(dpkg --print-architecture)"
[ -f "$keyring" ] && options+=" signed-by=$keyring"
echo "deb [$options] $mirror $codename-backports main" >"$dir/apt/sources.list"
cat >"$dir/apt/apt.conf" <<EOF
Dir::Etc::SourceList "$dir/apt/sources.list";
Dir::Etc::SourceParts "$dir/apt/no-parts";
Dir::State::Lists "$dir/apt/lists";
Dir::State::status "/dev/null";
Dir::Cache "$dir/apt/cache";
Acquire::Languages "none";
APT::Sandbox::User "root";
#clear APT::Update::Post-Invoke-Success;
#clear APT::Update::Post-Invoke;
EOF
log=$dir/apt/log
echo "fetching qemu-user from $codename-backports into $dir" >&2
apt_failed() { fail "$1 from $codename-backports failed: $(grep -E '^(E|W): ' "$log" | head -n 1)"; }
apt-get -c "$dir/apt/apt.conf" -qq update >"$log" 2>&1 || apt_failed "apt-get update"
(cd "$dir/apt/download" && apt-get -c "$dir/apt/apt.conf" -qq download qemu-user) >"$log" 2>&1 ||
  apt_failed "downloading qemu-user"
package=$(echo "$dir"/apt/download/qemu-user_*.deb)
dpkg-deb --fsys-tarfile "$package" | tar -xO ./usr/bin/qemu-i386 >"$kept.part" ||
  fail "$package holds no usr/bin/qemu-i386"
chmod 755 "$kept.part"
new_enough "$kept.part" || fail "$codename-backports has only $("$kept.part" --version 2>&1 | head -n 1)"
mv "$kept.part" "$kept"
rm -rf "$dir/apt"
echo "$kept"
