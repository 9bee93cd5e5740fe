#!/usr/bin/env bash
# Builds a release of Mayorin。 in build-package/ and makes a Debian binary package of it, checks
# the package (its files and fields, lintian, and the packaged program run under a HOME of its
# own), and prints the package's path as its last line.
#
#   ./scripts/package.sh
#   sudo apt install ./build-package/mayorin_1.1.68_amd64.deb
#
# The packaged program keeps each account's data in $XDG_DATA_HOME/mayorin (by default
# ~/.local/share/mayorin); a build from source keeps it beside the program.
set -euo pipefail
cd "$(dirname "$0")/.."

build="${MAYORIN_PACKAGE_BUILD_DIR:-build-package}"

./scripts/install-deps.sh --package >&2

# The compiler and linker flags Debian builds its own packages with (optimising, hardening: every
# hardening feature, binding every symbol at the start, -z now, among them); the release adds only
# NDEBUG to them. Given on the command line, so that a build folder configured before takes them too.
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
cppflags=$(dpkg-buildflags --get CPPFLAGS)
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_FLAGS_RELEASE=-DNDEBUG \
    -DCMAKE_CXX_FLAGS="$(dpkg-buildflags --get CXXFLAGS) $cppflags" \
    -DCMAKE_EXE_LINKER_FLAGS="$(dpkg-buildflags --get LDFLAGS)" \
    -DMAYORIN_PACKAGE=ON -DCMAKE_INSTALL_PREFIX=/usr >&2
cmake --build "$build" -j "$(nproc)" --target mayorin mayorin_docs >&2
if [ ! -f "$build/Mayorin。ヘルプ.chm" ]; then
    echo "package.sh: the help file was not built (chmcmd from fp-utils is missing)" >&2
    exit 1
fi
rm -f "$build"/mayorin_*.deb
(cd "$build" && cpack -G DEB) >&2
deb=$(ls "$build"/mayorin_*.deb)

bash tests/package/PackageCheck.sh "$deb" >&2
realpath "$deb"
