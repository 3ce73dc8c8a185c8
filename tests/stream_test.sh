#!/usr/bin/env bash
# pivra-stream --reference --below 80: draws from the seeded reference ISAAC, in
# range, spread over the range, and different on every call.
set -euo pipefail
stream=$1
draws() { "$stream" --reference --below 80 --bytes 1000 | od -An -v -tu1 | tr -s ' ' '\n' | sed '/^$/d'; }
first=$(draws)
second=$(draws)
[ "$(wc -l <<<"$first")" -eq 1000 ] || { echo "FAIL: not 1000 draws" >&2; exit 1; }
awk '$1 >= 80 { exit 1 }' <<<"$first" || { echo "FAIL: a draw is 80 or more" >&2; exit 1; }
[ "$(sort -u <<<"$first" | wc -l)" -ge 70 ] || { echo "FAIL: few distinct draws" >&2; exit 1; }
[ "$first" != "$second" ] || { echo "FAIL: two calls drew the same" >&2; exit 1; }
