#!/usr/bin/env bash
# Installs what is missing, builds Velmora and starts it under Wine. With a
# display the window shows there; without one a private Xvfb is started, the
# program runs for a few seconds and a screenshot is saved.
set -uo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/environment.sh"

mkdir -p "$VELMORA_BUILD"
velmora_install_packages || exit 1
# The release artefact is the 32-bit build; these machines run the 64-bit
# build of the same sources.
velmora_configure_and_build win64 --target velmora || exit 1
velmora_prepare_wine
program="$VELMORA_BUILD/win64/src/velmora.exe"

if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
  velmora_log "Starting Velmora on $DISPLAY (close the window or press Esc to end it)"
  "$WINE64" "$program"
  code=$?
  velmora_log "Velmora ended with exit code $code"
  exit "$code"
fi

velmora_start_display || exit 1
trap velmora_stop_display EXIT
shot="$VELMORA_BUILD/velmora-screenshot.png"
velmora_log "No display: running Velmora on a private Xvfb ($DISPLAY) for a few seconds"
"$WINE64" "$program" &
pid=$!
sleep "${VELMORA_RUN_SECONDS:-12}"
# The window is centred on the 1920x1080 virtual desktop: 882x570 at 519,255.
import -window root -crop 882x570+519+255 +repage "$shot" 2>/dev/null ||
  import -window root "$shot"
wineserver -k 2>/dev/null || true
wait "$pid" 2>/dev/null
velmora_log "Screenshot saved to $shot"
