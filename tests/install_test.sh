#!/usr/bin/env bash
# Installs the build into a temporary root, and packs and unpacks the Debian package when the tools are here.
# Usage: install_test.sh <build dir>. Everything goes to a fresh temporary folder of its own,
# so two builds can run it at the same time.
set -euo pipefail

build=$(cd "$1" && pwd)
root=$(mktemp -d "${TMPDIR:-/tmp}/trimora-install.XXXXXX")
trap 'rm -rf "$root"' EXIT

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

# An installed tree must hold the tool and its manual page, and the tool must run.
check_tree() {
  local prefix=$1 what=$2
  [ -x "$prefix/bin/trimora" ] || fail "$what: no bin/trimora"
  [ -f "$prefix/share/man/man1/trimora.1" ] || fail "$what: no share/man/man1/trimora.1"
  local version
  version=$("$prefix/bin/trimora" --version)
  [ "$version" = $'TRIMORA - Version 1.3 - August 2014\r' ] || fail "$what: --version printed '$version'"
  echo "ok: $what"
}

cmake --install "$build" --prefix "$root/install" >/dev/null
check_tree "$root/install" "cmake --install"

if command -v cpack >/dev/null && command -v dpkg-deb >/dev/null; then
  (cd "$root" && cpack -G DEB --config "$build/CPackConfig.cmake" -B "$root/pack" >/dev/null)
  packages=("$root"/pack/*.deb)
  [ -f "${packages[0]}" ] || fail "cpack made no .deb"
  [ ${#packages[@]} -eq 1 ] || fail "cpack made ${#packages[@]} packages"
  [ "$(dpkg-deb -f "${packages[0]}" Package)" = trimora ] || fail "package is not named trimora"
  dpkg-deb -x "${packages[0]}" "$root/deb"
  check_tree "$root/deb/usr" "Debian package"
else
  echo "skip: cpack or dpkg-deb is not here"
fi
