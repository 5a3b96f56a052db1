#!/usr/bin/env bash
# Builds the theme parser fuzzer with clang++/libFuzzer in build/fuzz and runs
# it for SECONDS seconds. Exits non-zero when libFuzzer reports a crash; the
# crashing input is left in build/fuzz/artifacts/.
set -euo pipefail

seconds=${1:?usage: run-fuzzer.sh SECONDS}
repo=$(cd "$(dirname "$0")/../.." && pwd)
build=$repo/build/fuzz

cmake -S "$repo/engine" -B "$build" -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_C_COMPILER=clang \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELMORA_FUZZ=ON >/dev/null
cmake --build "$build" --target theme_parser_fuzzer -j"$(nproc)" >/dev/null

# Work on a copy so the committed seed corpus only changes on purpose.
mkdir -p "$build/corpus" "$build/artifacts"
cp -n "$repo"/engine/fuzz/corpus/* "$build/corpus/"

exec "$build/theme_parser_fuzzer" -max_total_time="$seconds" -print_final_stats=1 \
  -artifact_prefix="$build/artifacts/" "$build/corpus"
