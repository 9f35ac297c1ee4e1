#!/usr/bin/env bash
# Builds the Debian package tavlex_<version>_amd64.deb in the top folder and checks it (lintian,
# the desktop entry, the AppStream metadata, the manual page). The program is built in
# build-package/ with Debian's release and hardening flags; its dependencies are read from the
# libraries it links (dpkg-shlibdeps).
# Usage: scripts/package.sh [--build-dir DIR]
#   --build-dir DIR: package the program of an existing build folder instead (CI, after its tests)
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh --packaging

if [ "${1:-}" = --build-dir ]; then
  build="${2:?--build-dir needs a folder}"
  cmake -S . -B "$build" -DTAVLEX_PACKAGE=ON >/dev/null
else
  build=build-package
  # CMake takes no CPPFLAGS: the preprocessor's flags (_FORTIFY_SOURCE) go with the compiler's.
  eval "$(DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --export=sh)"
  export CFLAGS="$CPPFLAGS $CFLAGS -DNDEBUG" CXXFLAGS="$CPPFLAGS $CXXFLAGS -DNDEBUG"
  launcher=()
  if command -v ccache >/dev/null; then
    launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
  fi
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=None -DTAVLEX_TESTS=OFF -DTAVLEX_BENCH=OFF \
    -DTAVLEX_PACKAGE=ON "${launcher[@]}" >/dev/null
fi
cmake --build "$build" --target tavlex tavlex_packaging
rm -f "$build"/tavlex_*.deb
(cd "$build" && cpack -G DEB >/dev/null)
deb=$(ls "$build"/tavlex_*_amd64.deb)
rm -f tavlex_*.deb
mv "$deb" .
deb=$(basename "$deb")

# What lintian reports at warning level and above is listed; an error fails the build.
lintian --fail-on error --display-level '>=warning' "$deb"
desktop-file-validate packaging/tavlex.desktop
appstreamcli validate --no-net --pedantic packaging/org.example.tavlex.metainfo.xml >/dev/null
troff=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l -Tutf8 -Z \
  "$build/packaging/tavlex.1" 2>&1 >/dev/null)
[ -z "$troff" ] || { echo "tavlex.1: $troff" >&2; exit 1; }
echo "$deb"
