#!/bin/bash
# The verdicts of RunTestBinary.sh, with stand-in emulators that print what a
# test binary would and end with a chosen status.
set -u
runner="$(dirname "$0")/RunTestBinary.sh"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
summary='[  PASSED  ] 3 tests.'

failed=0
# name, expected runner status (0 or 1), stand-in output, stand-in status
case_of() {
  local name=$1 expected=$2 output=$3 status=$4
  printf '#!/bin/bash\nprintf "%%s\\n" "%s"\nexit %s\n' "$output" "$status" >"$work/emulator"
  chmod +x "$work/emulator"
  local seen got=0
  seen=$("$runner" "$work/emulator" binary.exe 2>/dev/null) || got=$?
  if [ "$got" -ne "$expected" ]; then
    echo "FAILED: $name: runner status $got, expected $expected"; failed=1
  elif [ "$seen" != "$output" ]; then
    echo "FAILED: $name: the binary's output did not pass through"; failed=1
  fi
}

case_of "passing binary" 0 "$summary" 0
case_of "one test passing" 0 '[  PASSED  ] 1 test.' 0
case_of "crash after the summary" 1 "$summary" 3
case_of "death before the summary with status 0" 1 '[ RUN      ] A.B' 0
case_of "failed test with status 0" 1 "$summary
[  FAILED  ] 1 test, listed below:" 0
case_of "summary quoted inside a line" 1 "note: [  PASSED  ] 3 tests." 0
# Wine's console ends lines with CR LF.
case_of "passing binary, CR LF lines" 0 "$summary"$'\r' 0
case_of "failed test, CR LF lines" 1 "$summary"$'\r\n''[  FAILED  ] 1 test, listed below:'$'\r' 0
[ "$failed" -eq 0 ] && echo "all runner verdicts as expected"
exit "$failed"
