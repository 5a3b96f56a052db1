#!/usr/bin/env bash
# Runs each fuzzer (the skin engine's theme parser and the address rules)
# for SECONDS seconds, natively with sanitizers; exits non-zero if either
# finds a crash or a broken property. Run it longer with a larger number:
#   scripts/fuzz.sh 3600
set -uo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/environment.sh"
seconds=${1:-60}
mkdir -p "$VELMORA_BUILD"
velmora_install_packages || exit 1
status=0

velmora_log "Fuzzing the theme parser for $seconds s"
bash "$VELMORA_ROOT/engine/fuzz/run-fuzzer.sh" "$seconds" >"$VELMORA_BUILD/fuzz-theme.log" 2>&1 || status=1
grep -E "stat::number_of_executed_units|ERROR|SUMMARY" "$VELMORA_BUILD/fuzz-theme.log" | tail -n 3

velmora_log "Fuzzing the address rules for $seconds s"
rules="$VELMORA_BUILD/fuzz-rules"
cmake -S "$VELMORA_ROOT/tests/fuzz" -B "$rules" -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  >"$VELMORA_BUILD/fuzz-rules-configure.log" 2>&1 && cmake --build "$rules" -j"$(nproc)" >/dev/null || status=1
# A copy of the seeds, so the committed corpus changes only on purpose.
mkdir -p "$rules/corpus" "$rules/artifacts"
cp -n "$VELMORA_ROOT"/tests/fuzz/corpus/* "$rules/corpus/"
"$rules/address_rules_fuzzer" -max_total_time="$seconds" -print_final_stats=1 -max_len=8192 \
  -artifact_prefix="$rules/artifacts/" "$rules/corpus" >"$VELMORA_BUILD/fuzz-rules.log" 2>&1 || status=1
grep -E "stat::number_of_executed_units|ERROR|SUMMARY" "$VELMORA_BUILD/fuzz-rules.log" | tail -n 3

[ "$status" -eq 0 ] && echo "fuzzing found nothing" || echo "FUZZING FOUND A FAULT (see $VELMORA_BUILD/fuzz-*.log)"
exit "$status"
