# The Wine server of a prefix, for scripts/wine-run.sh and
# scripts/with-test-display.sh, which source this file.

# The process id of the Wine server of WINEPREFIX, empty when none runs. A
# server works in its prefix until it is up, then in the prefix's server
# folder, server-<device>-<inode> (in /tmp/.wine-<uid>, or in the folder that
# the prefix's "wineserver" file names, as Debian's Wine has it).
wine_server_pid() {
  local dev ino name dir p prefix
  prefix=$(readlink -f "$WINEPREFIX" 2>/dev/null) || return 0
  dev=$(stat -L -c %D "$prefix" 2>/dev/null) || return 0
  ino=$(stat -L -c %i "$prefix" 2>/dev/null) || return 0
  name="server-$dev-$(printf %x "$ino")"
  for p in $(pgrep -x 'wineserver(64)?' 2>/dev/null); do
    dir=$(readlink "/proc/$p/cwd" 2>/dev/null) || continue
    if [ "${dir##*/}" = "$name" ] || [ "$dir" = "$prefix" ]; then
      echo "$p"
      return 0
    fi
  done
  return 0
}

# True when that server stays between programs: started with -p and no
# number after it (Debian's wrapper puts a -p0 before the caller's options).
wine_server_persistent() {
  local p
  p=$(wine_server_pid)
  [ -n "$p" ] || return 1
  case " $(tr '\0' ' ' <"/proc/$p/cmdline" 2>/dev/null)" in *" -p "*) return 0 ;; esac
  return 1
}
