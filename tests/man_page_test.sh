#!/usr/bin/env bash
# Renders the manual page with every groff warning on; any warning fails. Skips (77) without groff.
# Usage: man_page_test.sh <manual page> [<readers/reader_messages.h>]
set -euo pipefail

page=$1
table=${2:-}
command -v groff >/dev/null || { echo "skip: groff is not here"; exit 77; }
[ -f "$page" ] || { echo "FAIL: no $page" >&2; exit 1; }
warnings=$(groff -man -Tutf8 -ww -z "$page" 2>&1)
if [ -n "$warnings" ]; then
  echo "FAIL: groff warns about $page:" >&2
  echo "$warnings" >&2
  exit 1
fi
# The page must say something under each of its main headings.
text=$(groff -man -Tutf8 -P-c "$page" 2>/dev/null | sed 's/.\x08//g')
for heading in NAME SYNOPSIS DESCRIPTION OPTIONS INPUT "OUTPUT FORMS" MESSAGES "EXIT STATUS"; do
  grep -q "^$heading\$" <<<"$text" || { echo "FAIL: no $heading section" >&2; exit 1; }
done
# Every console message of the tool is explained.
messages=(
  "Cannot open file: [" "File open: [" "File closed: [" "nfacet = " "Unknown code word ["
  "Unexpected code word [" "Unexpected default case [" "Too many vertices at line "
  "Wrong number of vertices [" "Line list overflow: [5000]" "Line list overflow: [5000]: [" "Cannot write file: ["
  "*****  An error has occurred  *****" "output_code = TEXT [2]" "output_code = NUMBER [1]"
  "output_code = WIRE [3]" "output_code = NULL [0]" "Data after the last record: ["
  "Output already written in this run: [" "Output is an input of this run: ["
  "Existing mesh file kept (--force replaces it): [" "Cannot make the folder of the output: [" "Old output kept: [" "No output written: ["
  "trimora: cannot write the console: " "output_code = STL [4]" "Cannot read file: ["
  "trimora: cannot make the folder [" "Out of memory: [" "Internal error: [" "trimora: internal error: "
  "trimora: out of memory"
  # The mesh readers' messages (the table of readers/reader_messages.h), each up to its first value.
  "Cannot read file in [" "Compressed data cut short in [" "Compressed data corrupt [" "Compressed data grows beyond ["
  "Line longer than [" "Vertex index out of range [" "Bad vertex index ["
  "Face with fewer than three vertices [" "Face with fewer indices than its count ["
  "Vertex with fewer than three coordinates [" "Data ends after [" "Bad counts line ["
  "Bad OFF header [" "No PLY header in [" "Bad PLY header line [" "PLY header without end_header in [" "Unknown PLY header line ["
  "PLY element lacks property [" "Bad list count [" "Binary PLY data cut short in ["
  "Broken zip archive [" "Encrypted zip entry [" "Unsupported zip compression ["
  "No 3D model in [" "Model part not found [" "XML error [" "Unknown model unit ["
  "Missing attribute [" "Bad attribute [" "Object not found [" "Component cycle at object [" "Bad transform ["
  "Build gives more than ["
  "Wire frame holds edges, not facets in [" "Unknown line [" "Bad number ["
  "Binary STL cut short after [" "UTF-16 text is not read in [" "No facet to convert in ["
)
# The list keeps in step with the readers' table: each text up to its first value, or whole with
# the " in [" of the file after it.
if [ -n "$table" ]; then
  [ -f "$table" ] || { echo "FAIL: no $table" >&2; exit 1; }
  texts=$(sed -n 's/^inline constexpr char k[A-Za-z0-9]*\[\] = "\([^"]*\)";.*/\1/p' "$table")
  [ -n "$texts" ] || { echo "FAIL: no message texts in $table" >&2; exit 1; }
  while IFS= read -r entry; do
    case $entry in
      *%*) start=${entry%%%*} ;;
      *) start="$entry in [" ;;
    esac
    listed=0
    for message in "${messages[@]}"; do
      if [ "$message" = "$start" ]; then listed=1; fi
    done
    [ $listed -eq 1 ] || { echo "FAIL: the reader message '$start' is not in this test's list" >&2; exit 1; }
  done <<<"$texts"
fi
for message in "${messages[@]}"; do
  grep -qF -- "$message" <<<"$text" || { echo "FAIL: the message '$message' is not explained" >&2; exit 1; }
done
echo "ok: $page renders without warnings"
