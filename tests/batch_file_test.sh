#!/usr/bin/env bash
# Runs trimora.exe from a batch file under Wine's cmd, as a Windows user would: the command line
# arrives as cmd passes it on and the tool splits it itself. Skips (77) without Wine.
# Usage: batch_file_test.sh <trimora.exe>
set -euo pipefail
exe=$1
command -v wine >/dev/null || { echo "skip: wine is not here"; exit 77; }
export WINEDEBUG=-all
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
cp "$exe" "$dir/trimora.exe"
printf 'solid t\nfacet normal 0 0 -2\nouter loop\nvertex 0 0 0\nvertex 1 0 0\nvertex 1 1 0\nendloop\nendfacet\nendsolid t\n' \
  > "$dir/my part.stl"
# Three backslashes and a quote: one backslash and a literal quote; "c" is no form word.
printf '@echo off\r\ntrimora.exe a\\\\\\"b c\r\ntrimora.exe "my part" wi""re\r\ntrimora.exe my* numb\r\n' > "$dir/check.bat"
actual=$(cd "$dir" && wine cmd /c check.bat < /dev/null | od -An -c)
banner='TRIMORA - Version 1.3 - August 2014\r\n'
error='*****  An error has occurred  *****\r\n'
expected=$(printf "%b" "${banner}output_code = NULL [0]\r\nCannot open file: [a\\\\\"b.stl]\r\n$error" \
  "${banner}output_code = WIRE [3]\r\nFile open: [my part.stl]\r\nFile open: [my part.kpf]\r\n" \
  "File closed: [my part.stl]\r\nFile closed: [my part.kpf]\r\nnfacet = 1\r\n" \
  "${banner}output_code = NUMBER [1]\r\nCannot open file: [my*.stl]\r\n$error" | od -An -c)
if [ "$actual" != "$expected" ]; then
  echo "FAIL: the batch file's console differs" >&2
  diff <(echo "$expected") <(echo "$actual") >&2 || true
  exit 1
fi
echo "batch file: console as expected"
