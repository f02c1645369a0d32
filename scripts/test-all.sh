#!/usr/bin/env bash
# Installs what is missing, builds both programs and runs every test suite:
# native tests, the Windows tests under Wine, and the end-to-end tests of both
# programs, all on one virtual X server. Ends with one line "N passed, N failed"
# and exits non-zero when anything failed.
set -uo pipefail

ROOT=$(cd "$(dirname "$0")/.." && pwd)
cd "$ROOT"
JOBS=${JOBS:-2}

"$ROOT/scripts/install-deps.sh" || { echo "0 passed, 1 failed"; exit 1; }

# Fresh result files for this run.
REPORTS="$ROOT/build/reports"
rm -rf "$REPORTS" build/windows/test-reports
mkdir -p "$REPORTS"

build_failed=0
step() { echo; echo "=== $*"; }

step "Native build (Linux)"
cmake -S . -B build/linux -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSORVANE_TESTS=ON -DSORVANE_BENCHMARKS=ON >/dev/null \
  && cmake --build build/linux -j"$JOBS" || build_failed=1

step "Windows build (MinGW-w64)"
cmake -S . -B build/windows -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null \
  && cmake --build build/windows -j"$JOBS" || build_failed=1

if [ -x scripts/fuzz.sh ]; then
  step "Fuzzing (bounded)"
  scripts/fuzz.sh >"$REPORTS/fuzz.log" 2>&1 && echo "fuzz: ok" || { echo "fuzz: FAILED (see $REPORTS/fuzz.log)"; build_failed=1; }
fi

step "Test suites (native, Windows under Wine, end-to-end) on a virtual X server"
scripts/with-test-display.sh bash -c '
  ctest --test-dir build/linux --output-on-failure -j1 --output-junit "'"$REPORTS"'/native.xml"
  ctest --test-dir build/windows --output-on-failure -j1 --output-junit "'"$REPORTS"'/windows-ctest.xml"
  exit 0
'

# Count test cases: native CTest runs one case per test; under Wine each test
# program is one CTest test, so its GoogleTest report gives the cases.
attr() { grep -o "$2=\"[0-9]*\"" "$1" | head -1 | grep -o '[0-9]*'; }
passed=0
failed=0
if [ -f "$REPORTS/native.xml" ]; then
  n=$(attr "$REPORTS/native.xml" tests); f=$(attr "$REPORTS/native.xml" failures)
  passed=$((passed + n - f)); failed=$((failed + f))
else
  failed=$((failed + 1))
fi
if [ -f "$REPORTS/windows-ctest.xml" ]; then
  # Each CTest test of the Windows build: its GoogleTest report, or one failure.
  while IFS= read -r name; do
    report="build/windows/test-reports/$name.xml"
    if [ -f "$report" ]; then
      n=$(attr "$report" tests); f=$(attr "$report" failures); e=$(attr "$report" errors)
      passed=$((passed + n - f - e)); failed=$((failed + f + e))
      if grep -q "name=\"$name\"[^>]*status=\"fail\"" "$REPORTS/windows-ctest.xml" && [ "$f" = 0 ] && [ "$e" = 0 ]; then
        failed=$((failed + 1))  # the program failed after its cases (a crash at exit)
      fi
    elif grep -q "name=\"$name\"[^>]*status=\"run\"" "$REPORTS/windows-ctest.xml"; then
      passed=$((passed + 1))  # a test without a GoogleTest report (a script)
    else
      failed=$((failed + 1))
    fi
  done < <(grep -o '<testcase name="[^"]*"' "$REPORTS/windows-ctest.xml" | sed 's/<testcase name="//; s/"$//')
else
  failed=$((failed + 1))
fi
failed=$((failed + build_failed))

echo
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
