# Shared by the scripts that cross-build the Windows program and run it under wine. Source it
# from the repository's top folder.

source scripts/lib/packages.sh

WINDOWS_BUILD_PACKAGES=(cmake make g++-mingw-w64-x86-64-posix mingw-w64-tools libz-mingw-w64-dev libgtest-dev)
WINE_PACKAGES=(wine wine64 fonts-wine xvfb)

# windows_build <build folder> [target...]: configures the MinGW-w64 cross-build there (no Qt:
# Windows has its own window) and builds the targets given, or everything.
windows_build() {
  local build=$1
  shift
  cmake -S . -B "$build" -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/mingw-w64-x86_64.cmake" \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTOVRIN_QT=OFF >/dev/null
  if [ $# -gt 0 ]; then cmake --build "$build" -j2 --target "$@"; else cmake --build "$build" -j2; fi
}

# wine_prefix <folder>: makes the wine prefix there once and exports what every wine call
# needs. The locale is pinned: wine takes its code pages (1252 and 437 here) and its mapping
# of file names from it.
wine_prefix() {
  export WINEPREFIX=$1 WINEDEBUG=-all WINEDLLOVERRIDES="winemenubuilder.exe=d" LC_ALL=C.UTF-8
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    wineboot -i </dev/null >/dev/null 2>&1
    wineserver -w
    # Debian's wine does not find its own fonts: the prefix gets the dialog font and the glyphs
    # of the caption buttons.
    cp /usr/share/wine/fonts/{tahoma.ttf,tahomabd.ttf,marlett.ttf} "$WINEPREFIX/drive_c/windows/Fonts/"
  fi
  # No window manager runs on the virtual display: wine manages its windows itself and draws
  # their captions (a managed window that closes waits 2 s for a manager that never answers).
  if ! grep -q '^"Managed"="N"' "$WINEPREFIX/user.reg"; then
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f </dev/null >/dev/null 2>&1
    wineserver -w
  fi
}

# wine_display: a virtual display of our own on the first free number, exported as DISPLAY, and
# one wine server for the whole run with wine's own services started here, their standard
# files away from the caller's: services started by a test would hold ctest's output open for
# ever. Both are stopped when the script exits.
wine_display() {
  local display=90
  while [ -e "/tmp/.X11-unix/X$display" ] || [ -e "/tmp/.X$display-lock" ]; do display=$((display + 1)); done
  Xvfb ":$display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
  WINE_XVFB_PID=$!
  export DISPLAY=":$display"
  wineserver -p
  trap wine_display_stop EXIT
  for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$display" ] && break; sleep 0.1; done
  # The first program of a server session starts the desktop: it must see the display.
  wine cmd.exe /c exit </dev/null >/dev/null 2>&1
}

wine_display_stop() {
  wineserver -k 2>/dev/null || true
  wineserver -w 2>/dev/null || true
  kill "$WINE_XVFB_PID" 2>/dev/null || true
}
