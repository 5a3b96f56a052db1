#!/usr/bin/env bash
# Builds the benchmarks and prints Velmora's start-up, Browse latency, memory
# and size figures beside their baselines and targets. Everything runs under
# wine64 with the 64-bit build on a private Xvfb and virtual desktop; every
# request goes to a loopback recorder or a closed loopback port. The verdicts
# are informational: the exit code is 0 unless something failed to run.
#
# Optional arguments: start-up runs per program (default 12) and Browse clicks
# per program (default 200), e.g. `scripts/bench.sh 3 20` for a quick look.
set -uo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/environment.sh"

start_runs="${1:-12}"
clicks="${2:-200}"
mkdir -p "$VELMORA_BUILD"
velmora_install_packages || exit 1
velmora_log "Building the win64 benchmarks and the win32 release artefact"
build_log="$VELMORA_BUILD/bench-build.log"
: >"$build_log"
velmora_configure_and_build win64 --target velmora_bench >>"$build_log" 2>&1 &&
  velmora_configure_and_build win32 --target velmora >>"$build_log" 2>&1 ||
  { tail -n 40 "$build_log"; echo "FAILED: the benchmark build"; exit 1; }

# A Wine prefix of the benchmarks' own: a test run sharing the machine has its
# own wineserver and desktop, so neither run lands on the other's display nor
# ends the other's processes when it stops.
VELMORA_BUILD="$VELMORA_BUILD/bench-wine" velmora_prepare_wine
velmora_start_display || exit 1
trap velmora_stop_display EXIT

log="$VELMORA_BUILD/bench.log"
: >"$log"
status=0
# Wine's own complaints go to stderr; the figures to the screen and the log.
run_bench() {
  local what="$1"
  shift
  "$WINE64" "$@" 2>/dev/null | sed -u 's/\r$//' | tee -a "$log"
  [ "${PIPESTATUS[0]}" -eq 0 ] || { echo "FAILED: the $what benchmark"; status=1; }
}
velmora_log "Start-up and Browse latency (velmora.exe against the bare host)"
run_bench "start-up and Browse" "$VELMORA_BUILD/win64/bench/wire_bench.exe" "$start_runs" "$clicks"
velmora_log "Memory"
run_bench "memory" "$VELMORA_BUILD/win64/bench/memory_bench.exe"

velmora_log "Size of the 32-bit release artefact"
exe="$VELMORA_BUILD/win32/src/velmora.exe"
engine="$VELMORA_BUILD/win32/engine/SkinH_EL.dll"
if [ -f "$exe" ] && [ -f "$engine" ]; then
  exe_bytes=$(stat -c %s "$exe")
  engine_bytes=$(stat -c %s "$engine")
  printf '  velmora.exe   %9d bytes\n' "$exe_bytes"
  printf '  SkinH_EL.dll  %9d bytes (carried inside velmora.exe)\n' "$engine_bytes"
  limit=$((2 * 1024 * 1024))
  verdict="PASS"
  [ "$exe_bytes" -lt "$limit" ] || verdict="ABOVE TARGET"
  awk -v e="$exe_bytes" -v d="$engine_bytes" -v v="$verdict" 'BEGIN {
    printf "FIGURE|Size, 32-bit velmora.exe (engine inside: %.0f KiB)|%.0f KiB|< 2048 KiB|%s\n",
           d / 1024, e / 1024, v }' | tee -a "$log"
else
  echo "FAILED: the 32-bit artefact is missing"
  status=1
fi

echo
echo "Velmora benchmark figures (details above; log in $log)"
{
  echo "figure|measured|baseline / target|verdict"
  grep '^FIGURE|' "$log" | cut -d'|' -f2-
} | column -t -s '|'
[ "$status" -eq 0 ] || echo "Some benchmarks failed to run; their figures are missing above."
exit "$status"
