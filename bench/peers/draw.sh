#!/usr/bin/env bash
# What a user might write instead of pivra: shuf and sort, one file of the same layout.
set -euo pipefail
separator='======================='
name="peer-$(date +%Y-%m-%d-%H-%M-%S)$RANDOM.TXT"
{
  printf '%s\r\n' "$separator"
  for _ in {1..10}; do
    mapfile -t numbers < <(shuf -i 1-80)
    for set in {0..9}; do
      printf '%02d\n' "${numbers[@]:set*8:8}" | sort -n | paste -sd ' ' | sed 's/$/\r/'
    done
    printf '%s\r\n' "$separator"
  done
} >"$name"
