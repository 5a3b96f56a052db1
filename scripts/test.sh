#!/usr/bin/env bash
# Installs what is missing, builds the native, win64 and win32 configurations
# and runs every test: native rules under sanitizers, the Windows code under
# wine64 on a private display, the static checks of the 32-bit release, and
# each fuzzer for a minute.
set -uo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/environment.sh"

mkdir -p "$VELMORA_BUILD"
velmora_install_packages || exit 1
for preset in native win64 win32; do
  velmora_configure_and_build "$preset" || { echo "FAILED: the $preset build"; exit 1; }
done

velmora_prepare_wine
velmora_start_display || exit 1
trap velmora_stop_display EXIT

declare -A results
status=0
for preset in native win64 win32; do
  velmora_log "Testing the $preset configuration"
  if ctest --test-dir "$VELMORA_BUILD/$preset" --output-on-failure --timeout 600 -j"$(nproc)" \
      >"$VELMORA_BUILD/$preset-test.log" 2>&1; then
    results[$preset]="passed"
  else
    results[$preset]="FAILED"
    status=1
  fi
  grep -E "tests passed|\*\*\*|Errors while" "$VELMORA_BUILD/$preset-test.log" | tail -n 15
  if [ "${results[$preset]}" = FAILED ]; then
    # What each failing test printed, so a CI log that shows only this
    # screen still says why.
    awk '/\*\*\*(Failed|Exception|Timeout|Not Run)/ { shown = 0; show = 1 }
         /^ *[0-9]+\/[0-9]+ Test +#[0-9]+: .*Passed/ { show = 0 }
         show && shown < 80 { print "    | " $0; shown++ }' "$VELMORA_BUILD/$preset-test.log"
  fi
done

# Each fuzzer runs for a fixed time; scripts/fuzz.sh SECONDS runs them longer.
velmora_log "Fuzzing (${VELMORA_FUZZ_SECONDS:-60} s each)"
if bash "$VELMORA_ROOT/scripts/fuzz.sh" "${VELMORA_FUZZ_SECONDS:-60}"; then fuzz="passed"; else fuzz="FAILED"; status=1; fi

echo
echo "Summary (logs in $VELMORA_BUILD/<configuration>-test.log):"
for preset in native win64 win32; do
  printf '  %-7s %s\n' "$preset" "${results[$preset]}"
done
printf '  %-7s %s\n' "fuzz" "$fuzz"
passed=0
failed=0
for preset in native win64 win32; do
  line=$(grep -E "tests passed, [0-9]+ tests failed" "$VELMORA_BUILD/$preset-test.log" | tail -n 1)
  total=$(sed -E 's/.* out of ([0-9]+).*/\1/' <<<"$line")
  bad=$(sed -E 's/.*passed, ([0-9]+) tests failed.*/\1/' <<<"$line")
  [[ "$total" =~ ^[0-9]+$ ]] || { total=0; bad=0; status=1; }
  passed=$((passed + total - bad))
  failed=$((failed + bad))
done
[ "$fuzz" = passed ] && passed=$((passed + 1)) || failed=$((failed + 1))
echo "Velmora: $passed passed, $failed failed"
[ "$status" -eq 0 ] && echo "ALL TESTS PASSED" || echo "SOME TESTS FAILED"
exit "$status"
