# Shared by the scripts that cross-build the Windows program and run it under wine. Source it
# from the repository's top folder.

source scripts/lib/packages.sh
source scripts/lib/display.sh

WINDOWS_BUILD_PACKAGES=(cmake make g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix mingw-w64-tools
  libz-mingw-w64-dev libgcrypt-mingw-w64-dev libksba-mingw-w64-dev libgpg-error-mingw-w64-dev
  nlohmann-json3-dev libgtest-dev)
WINE_PACKAGES=(wine wine64 fonts-wine xvfb locales)
# 32-bit programs run in the same prefix through wine32, from Debian's i386 architecture: call
# add_i386_architecture before installing it.
WINE32_PACKAGES=(wine32:i386)

# add_i386_architecture: lets apt install i386 packages, once.
add_i386_architecture() {
  dpkg --print-foreign-architectures | grep -qx i386 && return 0
  local sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  $sudo dpkg --add-architecture i386
}

# windows_configure <architecture> <build folder> [cmake option...]: configures the MinGW-w64
# cross-build for x86_64 (64-bit) or i686 (32-bit) there, without Qt: Windows has its own window.
# Optimised as the Linux build (-O2) but without debug information: the zips are stripped, and
# linking every statically linked test program with it took minutes of the test run.
windows_configure() {
  local arch=$1 build=$2
  shift 2
  cmake -S . -B "$build" -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/mingw-w64-$arch.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_FLAGS_RELEASE="-O2 -DNDEBUG" -DTOVRIN_QT=OFF "$@" \
    >/dev/null
}

# windows_build <build folder> [target...]: the 64-bit cross-build there, of the targets given
# or of everything.
windows_build() {
  local build=$1
  shift
  windows_configure x86_64 "$build"
  if [ $# -gt 0 ]; then cmake --build "$build" -j2 --target "$@"; else cmake --build "$build" -j2; fi
}

# wine_prefix <folder>: makes the wine prefix there once and exports what every wine call
# needs. The locale is pinned: wine takes its code pages (1252 and 437 here) and its mapping
# of file names from it. A prefix made by another set of wine packages is made anew: one made
# before wine32 was installed, say, cannot load kernel32.dll after it.
wine_prefix() {
  export WINEPREFIX=$1 WINEDEBUG=-all WINEDLLOVERRIDES="winemenubuilder.exe=d" LC_ALL=C.UTF-8
  local wine_packages
  wine_packages=$(dpkg-query -W -f='${Package}:${Architecture} ${Version}\n' 'wine*' 'libwine*' 2>/dev/null | sort)
  if [ -f "$WINEPREFIX/system.reg" ] && [ "$(cat "$WINEPREFIX/.tovrin-wine" 2>/dev/null)" != "$wine_packages" ]; then
    wineserver -k 2>/dev/null || true
    rm -rf "${WINEPREFIX:?}"
  fi
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    wineboot -i </dev/null >/dev/null 2>&1
    wineserver -w
    # Debian's wine does not find its own fonts: the prefix gets the dialog font and the glyphs
    # of the caption buttons.
    cp /usr/share/wine/fonts/{tahoma.ttf,tahomabd.ttf,marlett.ttf} "$WINEPREFIX/drive_c/windows/Fonts/"
    printf '%s\n' "$wine_packages" >"$WINEPREFIX/.tovrin-wine"
  fi
  # No window manager runs on the virtual display: wine manages its windows itself and draws
  # their captions (a managed window that closes waits 2 s for a manager that never answers).
  if ! grep -q '^"Managed"="N"' "$WINEPREFIX/user.reg"; then
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f </dev/null >/dev/null 2>&1
    wineserver -w
  fi
}

# wine_locales: the glibc locales whose code pages the tests run under wine with (simplified
# Chinese 936, Japanese 932): wine takes its code pages and its reading of Unix file names and
# arguments from the locale, and falls back to 7 bits for a locale that is not there.
wine_locales() {
  local sudo="" locale
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  for locale in zh_CN ja_JP; do
    locale -a | grep -qix "$locale.utf-\?8" || $sudo localedef -i "$locale" -f UTF-8 "$locale.UTF-8"
  done
}

# wine_display: a virtual display of our own, exported as DISPLAY, and one wine server for the
# whole run with wine's own services started here, their standard files away from the
# caller's: services started by a test would hold ctest's output open for ever. The caller
# stops both with wine_display_stop, from its own exit trap.
wine_display() {
  virtual_display
  wineserver -p
  # The first program of a server session starts the desktop: it must see the display.
  wine cmd.exe /c exit </dev/null >/dev/null 2>&1
}

wine_display_stop() {
  wineserver -k 2>/dev/null || true
  wineserver -w 2>/dev/null || true
  virtual_display_stop
}
