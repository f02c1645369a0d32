#!/usr/bin/env bash
# Copies this source tree into a new folder, for builds that must not touch
# the checkout (the Debian package, the release checks):
#   scripts/copy-tree.sh DEST
# In a git checkout the copy holds the tracked files and new ones that git
# does not ignore, as they are on disk, so build folders and dist/ stay out;
# without git, everything but build/, dist/ and .git is copied. Either way
# the copies are dated by the copy, as the files of a fresh clone are.
set -euo pipefail

ROOT=$(cd "$(dirname "$0")/.." && pwd)
DEST=${1:?destination folder}
mkdir -p "$DEST"

if git -C "$ROOT" rev-parse --is-inside-work-tree >/dev/null 2>&1; then
  cd "$ROOT"
  # Files deleted but not yet committed are still listed: skip them.
  git ls-files -z --cached --others --exclude-standard |
    while IFS= read -r -d '' f; do
      if [ -e "$f" ] || [ -L "$f" ]; then printf '%s\0' "$f"; fi
    done |
    tar --null --no-recursion -T - -cf - | tar -xmf - -C "$DEST"
else
  tar -C "$ROOT" --exclude=./build --exclude=./dist --exclude=./.git -cf - . | tar -xmf - -C "$DEST"
fi
