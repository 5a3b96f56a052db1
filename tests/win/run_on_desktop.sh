#!/usr/bin/env bash
# Runs a GoogleTest executable on a Wine virtual desktop of a given size and
# judges it by its XML report, since the desktop's launcher does not pass the
# test's exit code on.
# usage: run_on_desktop.sh NAME WIDTHxHEIGHT TEST.exe [gtest arguments...]
set -uo pipefail
name="$1" size="$2" program="$3"
shift 3
report="$(dirname "$program")/$name-$(basename "$program" .exe)-report.xml"
rm -f "$report"
windows_path() { local p; p="$(realpath -m "$1")"; echo "Z:${p//\//\\}"; }
/usr/lib/wine/wine64 explorer "/desktop=$name,$size" "$(windows_path "$program")" "$@" \
  "--gtest_output=xml:$(windows_path "$report")"
if [ ! -f "$report" ]; then
  echo "no test report was written" >&2
  exit 1
fi
tests=$(grep -o '<testsuites tests="[0-9]*"' "$report" | grep -o '[0-9]*')
failures=$(grep -o '<testsuites tests="[0-9]*" failures="[0-9]*"' "$report" | grep -o 'failures="[0-9]*"' | grep -o '[0-9]*')
skipped=$(grep -c '<skipped' "$report")
echo "tests: $tests, failures: $failures, skipped: $skipped"
[ "${tests:-0}" -gt 0 ] && [ "${failures:-1}" -eq 0 ] && [ "$skipped" -eq 0 ]
