#!/usr/bin/env bash
# avvio_file.sh PROCESS RUNS PROBE VIEWER EXPORT: start to first frame of the
# viewer with the built-in surface, with the same surface from a file
# (superficie-export's NOFF: smooth, vertex normals), and with it as a plain
# OFF without the normals (flat, its edges drawn), the three in turn, on the
# X server named by $DISPLAY. Prints bench_processi's lines, roles builtin,
# file and flat.
set -euo pipefail
process="$1" runs="$2" probe="$3" viewer="$4" export="$5"
dir="$(mktemp -d)"
trap 'rm -rf "$dir"' EXIT

"$export" "$dir/surface.off"
# NOFF to OFF: the keyword, the counts, each vertex's first three numbers;
# the faces as they are.
awk 'NR == 1 { if ($1 != "NOFF") exit 1; print "OFF"; next }
     NR == 2 { nv = $1; print; next }
     nv > 0 { print $1, $2, $3; nv--; next }
     { print }' "$dir/surface.off" >"$dir/flat.off"

"$process" start "$runs" "$probe" -- builtin "$viewer" -- file "$viewer" "$dir/surface.off" \
  -- flat "$viewer" "$dir/flat.off"
