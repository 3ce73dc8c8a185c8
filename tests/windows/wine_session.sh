#!/bin/sh
# One Wine session for the whole ctest run: "start" before the first Wine test,
# "end" after the last; "run COMMAND..." runs a command (ctest) between the two,
# saying how long the start took, and ends the session however the command ends.
# Wine's server and helpers are started here with their streams closed off;
# started by a test instead, they would hold ctest's output pipe open and make
# every test wait for them (or, kept alive, hang ctest).
# Needs WINEPREFIX (absolute), WINE and WINESERVER in the environment.
set -u
start() {
  # Creates the prefix on first use; its notices must not reach a test's stderr.
  "$WINESERVER" -p </dev/null >/dev/null 2>&1
  "$WINE" cmd /c exit 0 </dev/null >/dev/null 2>&1 || {
    echo "wine cannot start a program in $WINEPREFIX" >&2
    exit 1
  }
}
end() { "$WINESERVER" -k </dev/null >/dev/null 2>&1; }
case "${1:-}" in
  start) start ;;
  end)
    end
    exit 0
    ;;
  run)
    shift
    trap end EXIT
    trap 'exit 130' INT TERM
    started=$(date +%s)
    start
    echo "Wine session ready in $(($(date +%s) - started)) s ($WINE, prefix $WINEPREFIX)"
    "$@"
    ;;
  *)
    echo "usage: $0 start|end|run COMMAND..." >&2
    exit 2
    ;;
esac
