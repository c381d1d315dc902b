# Shared by play.sh and test.sh: package installation, the Wine prefix and the virtual display.
# Sourced, not run.

TIREMOLA_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
TIREMOLA_BUILD="$TIREMOLA_ROOT/build"

TIREMOLA_PACKAGES=(
  cmake make g++ python3
  g++-mingw-w64-x86-64-posix mingw-w64-tools
  wine wine64 fonts-wine
  xvfb xauth xdotool x11-utils imagemagick
  googletest fonts-liberation fonts-dejavu-core sox
  # The text fuzzer: clang with the sanitizer runtimes of the distribution's own clang version.
  # clang is also the Windows build's second compiler, with its linker and the static analysers.
  clang libclang-rt-dev lld clang-tidy cppcheck
  # The release files: the commit's files, the installer and a look into the zip.
  git nsis unzip
)

as_root() {
  if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

missing_packages() {
  local p
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || echo "$p"
  done
}

# Installs only the packages that are not installed yet.
ensure_packages() {
  local missing
  missing=$(missing_packages "${TIREMOLA_PACKAGES[@]}")
  [ -z "$missing" ] && return 0
  as_root env DEBIAN_FRONTEND=noninteractive apt-get update -q
  echo "Installing:" $missing
  # shellcheck disable=SC2086
  as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends $missing
}

# Configures and builds a preset: everything, or only the targets named after it.
build_preset() {
  local preset=$1
  shift
  [ $# -eq 0 ] || set -- --target "$@"
  cmake --preset "$preset" >/dev/null && cmake --build --preset "$preset" "$@"
}

# Makes a Wine prefix whose fonts resolve the faces the program names. With "desktop" as the
# second argument every window of the prefix opens inside one 1024 x 768 virtual desktop, which
# gives title bars and reliable focus on a display without a window manager; "desktop=WxH" gives it
# another size. A third argument sets the display's scale in dots per inch (96 is 100 %), which
# Wine reports to every program.
ensure_wine_prefix() {
  local prefix desktop=${2:-} dpi=${3:-96} size=1024x768
  prefix=$(realpath -m "$1")
  if [[ $desktop == desktop=* ]]; then
    size=${desktop#desktop=}
    desktop=desktop
  fi
  export WINEPREFIX=$prefix WINEDEBUG=-all
  if [ ! -f "$prefix/.tiremola-ready-3" ]; then
    echo "Preparing the Wine prefix $prefix"
    mkdir -p "$prefix"
    wineboot -i >/dev/null 2>&1 || true
    mkdir -p "$prefix/drive_c/windows/Fonts"
    cp /usr/share/wine/fonts/*.ttf "$prefix/drive_c/windows/Fonts/"
    wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v 'Lucida Console' /t REG_SZ /d 'Liberation Mono' /f >/dev/null 2>&1
    wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v 'Arial' /t REG_SZ /d 'Liberation Sans' /f >/dev/null 2>&1
    if [ "$dpi" != 96 ]; then
      wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1
    fi
    if [ "$desktop" = desktop ]; then
      wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /t REG_SZ /d Default /f >/dev/null 2>&1
      wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /t REG_SZ /d "$size" /f >/dev/null 2>&1
    fi
    hide_keyboard_cues
    # A crash ends the process at once instead of waiting in Wine's debugger.
    wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' /v Debugger /t REG_SZ /d '' /f >/dev/null 2>&1
    wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
    if [ ! -e /dev/snd ]; then
      # No sound card: keep Wine from probing audio back ends on every sound.
      wine reg add 'HKCU\Software\Wine\Drivers' /v Audio /t REG_SZ /d '' /f >/dev/null 2>&1
    fi
    wineserver -w
    touch "$prefix/.tiremola-ready-3"
  fi
}

# Wine's users see focus rectangles always ("always show keyboard cues", bit 0x20 of the first
# byte of UserPreferencesMask, on in a new prefix); Windows' users see them once they use the
# keyboard. The prefixes are set as Windows ships, so that what a player who never touches the
# keyboard sees is what the tests see.
hide_keyboard_cues() {
  local mask first
  mask=$(wine reg query 'HKCU\Control Panel\Desktop' /v UserPreferencesMask 2>/dev/null |
    tr -d '\r' | awk '$1 == "UserPreferencesMask" { print $3 }')
  [ -n "$mask" ] || mask=1000028012000000
  first=$((16#${mask:0:2} & ~0x20))
  mask=$(printf '%02X' "$first")${mask:2}
  wine reg add 'HKCU\Control Panel\Desktop' /v UserPreferencesMask /t REG_BINARY /d "$mask" /f >/dev/null 2>&1
}

# The size of the virtual screen at a scale (dots per inch): the same 1024 x 768 screen as at
# 100 %, in device pixels that size times the scale.
scaled_screen() {
  echo "$((1024 * $1 / 96))x$((768 * $1 / 96))"
}

# Prepares the prefixes of a build's scaled tests, one for each scale its configuration lists.
ensure_scaled_wine_prefixes() {
  local build=$1 dpi dpis
  dpis=$(sed -n 's/^TIREMOLA_TEST_DPIS:[A-Z]*=//p' "$build/CMakeCache.txt")
  for dpi in ${dpis//;/ }; do
    ensure_wine_prefix "$build/wineprefix-$dpi" "desktop=$(scaled_screen "$dpi")" "$dpi"
  done
}

# Starts Xvfb on a free display number and exports DISPLAY; stop_virtual_display ends it. The
# screen is 1024 x 768 unless a size is given (WxH).
start_virtual_display() {
  local fifo dir size=${1:-1024x768}
  dir=$(mktemp -d)
  fifo="$dir/display"
  mkfifo "$fifo"
  Xvfb -displayfd 3 -screen 0 "${size}x24" -nolisten tcp 3>"$fifo" >/dev/null 2>&1 &
  TIREMOLA_XVFB_PID=$!
  local number
  read -r number <"$fifo"
  rm -rf "$dir"
  export DISPLAY=":$number"
}

stop_virtual_display() {
  if [ -n "${TIREMOLA_XVFB_PID:-}" ]; then
    kill "$TIREMOLA_XVFB_PID" 2>/dev/null || true
    wait "$TIREMOLA_XVFB_PID" 2>/dev/null || true
    TIREMOLA_XVFB_PID=
  fi
}

# Keeps one Wine server and its services running for the whole run. They are started here with
# their output sent nowhere, so that no long-lived Wine process holds on to a pipe that ctest or a
# caller waits to see closed.
start_wine() {
  # Fails harmlessly when a server for this prefix is already running; the run then shares it.
  wineserver -p 2>/dev/null || true
  wine wineboot </dev/null >/dev/null 2>&1
}

stop_wine() {
  [ -n "${WINEPREFIX:-}" ] && [ -d "$WINEPREFIX" ] && wineserver -k 2>/dev/null || true
}
