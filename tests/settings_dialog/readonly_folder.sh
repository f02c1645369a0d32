#!/usr/bin/env bash
# Runs the read-only-folder test of the settings dialog: Sorvane.scr in a
# folder bind-mounted read-only over itself (needs root, as the test run
# has), the test program driving it under Wine. The mount goes again
# afterwards, also when the test fails.
#   tests/settings_dialog/readonly_folder.sh BIN_DIR REPORT_XML
set -euo pipefail

ROOT=$(cd "$(dirname "$0")/../.." && pwd)
BIN=$(cd "$1" && pwd)
REPORT=$2
if [ "$(id -u)" != 0 ]; then
  echo "readonly_folder.sh: mounting a read-only folder needs root" >&2
  exit 1
fi

FOLDER=$(mktemp -d /tmp/sorvane-readonly.XXXXXX)
mounted=0
cleanup() {
  if [ "$mounted" = 1 ]; then umount "$FOLDER" || umount -l "$FOLDER" || true; fi
  rm -rf "$FOLDER"
}
trap cleanup EXIT INT TERM

cp "$BIN/Sorvane.scr" "$FOLDER/"
mount --bind "$FOLDER" "$FOLDER"
mounted=1
mount -o remount,bind,ro "$FOLDER"

SORVANE_RO_FOLDER="$FOLDER" "$ROOT/scripts/wine-run.sh" "$BIN/readonly_folder_tests.exe" \
  --gtest_output="xml:Z:$REPORT"
