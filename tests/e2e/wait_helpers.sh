# Waiting helpers shared by the end-to-end scripts (scenarios.sh,
# linux_faults.sh, windows_cases.sh), which source this file. Each polls with
# a limit in seconds and returns non-zero when the limit passes.

# Waits up to $2 seconds for a visible window titled exactly $1; prints its id.
wait_window() {
  local id
  for _ in $(seq 1 $(($2 * 10))); do
    id=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -1)
    if [ -n "$id" ]; then echo "$id"; return 0; fi
    sleep 0.1
  done
  return 1
}

# Waits up to $2 seconds for process $1 to end.
wait_end() {
  for _ in $(seq 1 $(($2 * 20))); do
    kill -0 "$1" 2>/dev/null || return 0
    sleep 0.05
  done
  return 1
}

# Waits up to $2 seconds for the file $1 to exist and hold something.
wait_file() {
  for _ in $(seq 1 $(($2 * 10))); do [ -s "$1" ] && return 0; sleep 0.1; done
  return 1
}
