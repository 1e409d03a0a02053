# Shared by the end-to-end test scripts: each check passes or fails on its
# own, and the last line of the script gives the count and the verdict.
# Sourced, not run.
passed=0 failed=0
check() { # description, then a command that must succeed
  local what=$1; shift
  if "$@"; then passed=$((passed + 1)); else failed=$((failed + 1)); echo "FAILED: $what"; fi
}
checks_verdict() {
  echo "$passed passed, $failed failed"
  [ "$failed" = 0 ]
}
# A path of this machine as Wine's Z: drive shows it.
winpath() { local p=${1//\//\\}; echo "Z:$p"; }
