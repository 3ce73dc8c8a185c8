#!/usr/bin/env bash
# Prints the Debian mirror this machine's own apt sources use, so that the tree
# names no host: `apt-mirror.sh` gives the archive's URI, `apt-mirror.sh security`
# the security archive's. Reads both source formats (one-line .list and deb822
# .sources); exits 1, saying so, when no enabled source names one.
set -euo pipefail
want=${1:-archive}

# One "URI SUITE" line for each suite of each enabled deb source.
sources() {
  local file
  for file in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
    [ -f "$file" ] || continue
    awk '$1 == "deb" { i = 2; if ($2 ~ /^\[/) while ($i !~ /\]$/) i++; if ($2 ~ /^\[/) i++
                       print $i, $(i + 1) }' "$file"
  done
  for file in /etc/apt/sources.list.d/*.sources; do
    [ -f "$file" ] || continue
    # deb822: stanzas split by blank lines; Enabled: no turns one off.
    awk 'function flush() { if (types ~ /(^| )deb( |$)/ && enabled != "no")
                              for (u = 1; u <= nu; u++) for (s = 1; s <= ns; s++) print uri[u], suite[s]
                            types = ""; enabled = ""; nu = 0; ns = 0 }
         /^[[:space:]]*$/ { flush(); next }
         /^#/ { next }
         tolower($1) == "types:" { types = substr($0, index($0, ":") + 1) }
         tolower($1) == "enabled:" { enabled = tolower($2) }
         tolower($1) == "uris:" { for (f = 2; f <= NF; f++) uri[++nu] = $f }
         tolower($1) == "suites:" { for (f = 2; f <= NF; f++) suite[++ns] = $f }
         END { flush() }' "$file"
  done
}

case $want in
  archive | security) ;;
  *) echo "usage: apt-mirror.sh [archive|security]" >&2; exit 2 ;;
esac
# A security suite is named SUITE-security, or SUITE/updates before Debian 11.
uri=$(sources | awk -v want="$want" '
  { security = $2 ~ /-security$/ || $2 ~ /[\/]updates$/ }
  (want == "security") == security && $1 ~ /^https?:\/\// { print $1; exit }')
[ -n "$uri" ] || { echo "apt-mirror.sh: no Debian $want source in this machine's apt sources" >&2; exit 1; }
echo "${uri%/}"
