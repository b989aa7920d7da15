#!/usr/bin/env bash
# Builds the Debian packages of a build and runs Debian's lintian on it: any error fails, and every
# tag it shows is printed. Skips (77) without lintian, cpack or dpkg-deb.
# Usage: lintian_test.sh <build dir>
set -euo pipefail

build=$(cd "$1" && pwd)
for tool in lintian cpack dpkg-deb; do
  command -v "$tool" >/dev/null || { echo "skip: $tool is not here"; exit 77; }
done
root=$(mktemp -d "${TMPDIR:-/tmp}/trimora-lintian.XXXXXX")
trap 'rm -rf "$root"' EXIT

(cd "$root" && cpack -G DEB --config "$build/CPackConfig.cmake" -B "$root/pack" >/dev/null)
packages=("$root"/pack/*.deb)
[ -f "${packages[0]}" ] || { echo "FAIL: cpack made no .deb" >&2; exit 1; }
# Informational tags too, so that a reader of the test's output sees all there is. Every package:
# the tool's and the library's -dev companion.
for package in "${packages[@]}"; do
  if ! lintian --fail-on error --display-info "$package" 2>&1; then
    echo "FAIL: lintian finds errors in $(basename "$package")" >&2
    exit 1
  fi
  echo "ok: lintian finds no error in $(basename "$package")"
done
