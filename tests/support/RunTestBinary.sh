#!/bin/bash
# Runs one test binary under the emulator for CTest. It passes only when the
# binary exits with status 0, prints GoogleTest's summary line and reports no
# failed test: a crash after the summary (in static teardown, say) shows only
# in the status, and a binary that dies early can end with status 0 under
# Wine, so neither check is enough alone. The binary's output passes through.
# Usage: RunTestBinary.sh EMULATOR BINARY [ARGUMENTS...]
set -u
emulator=$1
shift
log=$(mktemp)
trap 'rm -f "$log"' EXIT

"$emulator" "$@" | tee "$log"
status=${PIPESTATUS[0]}

verdict=
if [ "$status" -ne 0 ]; then
  verdict="the test binary exited with status $status"
elif ! grep -qE '^\[  PASSED  \] [0-9]+ tests?\.' "$log"; then
  verdict="the test binary ended without its summary line"
elif grep -q '^\[  FAILED  \]' "$log"; then
  verdict="the test binary reported failed tests"
fi
[ -z "$verdict" ] && exit 0
echo "RunTestBinary: $verdict" >&2
exit 1
