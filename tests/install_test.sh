#!/usr/bin/env bash
# Installs the build into a temporary root, and packs and unpacks the Debian package when the tools
# are here.
# Usage: install_test.sh <build dir>. Everything goes to a fresh temporary folder of its own,
# so two builds can run it at the same time.
set -euo pipefail

build=$(cd "$1" && pwd)
sources=$(cd "$(dirname "$0")/.." && pwd)
root=$(mktemp -d "${TMPDIR:-/tmp}/trimora-install.XXXXXX")
trap 'rm -rf "$root"' EXIT

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

# An installed tree must hold the tool, its manual page, the copyright file, the changelog and the
# documents of doc/, and the tool must run.
check_tree() {
  local prefix=$1 what=$2
  [ -x "$prefix/bin/trimora" ] || fail "$what: no bin/trimora"
  [ -f "$prefix/share/man/man1/trimora.1.gz" ] || fail "$what: no share/man/man1/trimora.1.gz"
  gzip -dc "$prefix/share/man/man1/trimora.1.gz" | cmp -s - "$sources/doc/trimora.1" ||
    fail "$what: trimora.1.gz is not the manual page"
  grep -q '^License: Expat$' "$prefix/share/doc/trimora/copyright" ||
    fail "$what: no copyright file naming the licence"
  gzip -dc "$prefix/share/doc/trimora/changelog.gz" | head -1 | grep -q '^trimora (' ||
    fail "$what: no changelog.gz"
  # Every document of doc/ beside them, as it is in the sources.
  local document
  for document in "$sources"/doc/*.md; do
    cmp -s "$document" "$prefix/share/doc/trimora/$(basename "$document")" ||
      fail "$what: no share/doc/trimora/$(basename "$document")"
  done
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
  # The tool's package, and the library's -dev companion.
  [ ${#packages[@]} -eq 2 ] || fail "cpack made ${#packages[@]} packages"
  tool_package= dev_package=
  for package in "${packages[@]}"; do
    case $(dpkg-deb -f "$package" Package) in
      trimora) tool_package=$package ;;
      trimora-dev) dev_package=$package ;;
    esac
  done
  [ -n "$tool_package" ] || fail "no package is named trimora"
  [ -n "$dev_package" ] || fail "no package is named trimora-dev"
  packages=("$tool_package")
  # The -dev package holds the library and nothing of the tool.
  dpkg-deb -x "$dev_package" "$root/dev"
  [ -f "$root/dev/usr/include/trimora/trimora.h" ] || fail "trimora-dev: no trimora.h"
  [ -n "$(find "$root/dev/usr/lib" -name libtrimora.a)" ] || fail "trimora-dev: no libtrimora.a"
  [ -n "$(find "$root/dev/usr/lib" -name trimoraConfig.cmake)" ] || fail "trimora-dev: no trimoraConfig.cmake"
  [ ! -e "$root/dev/usr/bin" ] || fail "trimora-dev holds the tool"
  grep -q '^License: Expat$' "$root/dev/usr/share/doc/trimora-dev/copyright" || fail "trimora-dev: no copyright file"
  echo "ok: trimora-dev"
  dpkg-deb -x "${packages[0]}" "$root/deb"
  check_tree "$root/deb/usr" "Debian package"
  # The packaged tool is stripped: no symbol table is left.
  if command -v readelf >/dev/null; then
    ! readelf -S "$root/deb/usr/bin/trimora" | grep -q '\.symtab' || fail "Debian package: trimora is not stripped"
  fi
else
  echo "skip: cpack or dpkg-deb is not here"
fi
