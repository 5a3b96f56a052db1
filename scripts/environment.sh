# Shared by the run and test commands: the packages Velmora's build needs, a
# private Wine prefix inside the build tree, and a private X display.
# Source it; it defines functions and sets no options of the caller's shell.

VELMORA_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
VELMORA_BUILD="${VELMORA_BUILD:-$VELMORA_ROOT/build}"
WINE64=/usr/lib/wine/wine64

VELMORA_PACKAGES=(
  cmake make g++ googletest
  clang libclang-rt-14-dev
  g++-mingw-w64-i686 g++-mingw-w64-x86-64
  wine wine64 xvfb x11-utils imagemagick fonts-wqy-microhei locales
)

velmora_log() { printf '\033[1m==> %s\033[0m\n' "$*"; }

# Installs only what is missing, so a prepared machine starts at once.
velmora_install_packages() {
  local missing=()
  for package in "${VELMORA_PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing+=("$package")
  done
  if [ ${#missing[@]} -eq 0 ]; then return 0; fi
  velmora_log "Installing ${missing[*]}"
  local sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}

# Wine takes its code page and CJK fonts from the locale, so the Chinese
# captions render as text only when zh_CN.UTF-8 exists.
velmora_ensure_locale() {
  locale -a 2>/dev/null | grep -qi '^zh_CN\.utf-\?8$' && return 0
  local sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  $sudo localedef -i zh_CN -f UTF-8 zh_CN.UTF-8
}

# velmora_configure_and_build PRESET [build arguments, e.g. --target velmora]
velmora_configure_and_build() {
  local preset="$1"
  shift
  velmora_log "Building the $preset configuration"
  cmake --preset "$preset" >"$VELMORA_BUILD/$preset-configure.log" 2>&1 ||
    { cat "$VELMORA_BUILD/$preset-configure.log"; return 1; }
  cmake --build "$VELMORA_BUILD/$preset" -j"$(nproc)" "$@"
}

# A Wine prefix of our own, never the user's ~/.wine. Every program of the
# prefix shares one virtual desktop, so a test can find and drive the window
# of a program it started; "small" is a second desktop for small screens.
velmora_prepare_wine() {
  velmora_ensure_locale || true
  export WINEPREFIX="$VELMORA_BUILD/wineprefix"
  export WINEDEBUG=-all
  export WINEDLLOVERRIDES="mscoree="
  export WINEARCH=win64
  export LANG=zh_CN.UTF-8 LC_ALL=
  if [ ! -f "$WINEPREFIX/.velmora-ready" ]; then
    velmora_log "Creating the Wine prefix in $WINEPREFIX"
    mkdir -p "$WINEPREFIX"
    "$WINE64" wineboot -i >/dev/null 2>&1 || true
    "$WINE64" reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null 2>&1
    "$WINE64" reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1920x1080 /f >/dev/null 2>&1
    "$WINE64" reg add 'HKCU\Software\Wine\Explorer\Desktops' /v small /d 800x600 /f >/dev/null 2>&1
    # Windows draw their own caption and frame (the skin engine paints them)
    # instead of leaving them to an X window manager.
    "$WINE64" reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /d N /f >/dev/null 2>&1
    /usr/lib/wine/wineserver -w 2>/dev/null || wineserver -w 2>/dev/null || true
    touch "$WINEPREFIX/.velmora-ready"
  fi
}

# A private Xvfb on a free display, stopped by its process id on exit.
VELMORA_XVFB_PID=""
velmora_start_display() {
  local number
  for number in $(seq 90 140); do
    [ -e "/tmp/.X11-unix/X$number" ] || [ -e "/tmp/.X$number-lock" ] && continue
    Xvfb ":$number" -screen 0 1920x1080x24 -nolisten tcp >/dev/null 2>&1 &
    VELMORA_XVFB_PID=$!
    for _ in $(seq 1 50); do
      [ -e "/tmp/.X11-unix/X$number" ] && break
      sleep 0.1
    done
    if kill -0 "$VELMORA_XVFB_PID" 2>/dev/null; then
      export DISPLAY=":$number"
      return 0
    fi
  done
  echo "No free X display number found" >&2
  return 1
}

velmora_stop_display() {
  if [ -n "$VELMORA_XVFB_PID" ]; then
    wineserver -k 2>/dev/null || true
    kill "$VELMORA_XVFB_PID" 2>/dev/null || true
    wait "$VELMORA_XVFB_PID" 2>/dev/null || true
    VELMORA_XVFB_PID=""
  fi
}
