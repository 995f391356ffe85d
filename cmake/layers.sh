#!/usr/bin/env bash
# The folders' layers, and a check that every include looks down.
#
#   cmake/layers.sh check [root]   lists each include that looks up a layer; 1 if any does
#   cmake/layers.sh graph [root]   prints the folder-level include edges with their counts
#
# Tests, fuzz targets and benchmarks may include anything, and are not read.
set -euo pipefail
mode=${1:-check}
root=${2:-$(cd "$(dirname "$0")/.." && pwd)}
cd "$root"

files() {
  git ls-files -- '*.h' '*.cpp' '*.c' '*.inl' | grep -vE '(^|/)(tests|fuzz|bench)/' || true
}

# Each file's project includes as "file<TAB>line<TAB>included path", a bare name taken as
# one beside the file.
includes() {
  files | xargs -r awk '
    match($0, /^[ \t]*#[ \t]*include[ \t]*"[^"]+"/) {
      path = substr($0, RSTART, RLENGTH); sub(/^[^"]*"/, "", path); sub(/"$/, "", path)
      if (path !~ /\//) { dir = FILENAME; sub(/[^\/]*$/, "", dir); path = dir path }
      print FILENAME "\t" FNR "\t" path
    }'
}

# Bottom to top, one layer a line: a file belongs to the layer of the longest folder listed
# that holds it, and may include files of its own layer and of the layers below.
layers='
framework
platform
settings
engine/core
engine/bridge engine/gl
engine/world
engine/plugins
audio
scene
input
text
menus
editor
shell
simulation
characters
ai
pitch
match
frontend
tools'

case $mode in
check)
  includes | awk -F'\t' -v layers="$layers" '
    BEGIN {
      n = split(layers, lines, "\n"); rank = 0
      for (i = 1; i <= n; i++) {
        if (lines[i] == "") continue
        rank++; m = split(lines[i], names, " ")
        for (j = 1; j <= m; j++) { layer[names[j]] = rank; top[names[j]] = names[1] }
      }
    }
    # The longest listed folder that holds the path, or "" for none.
    function owner(p) {
      while (sub(/\/[^\/]*$/, "", p)) if (p in layer) return p
      return ""
    }
    {
      from = owner($1); to = owner($3)
      if (from == "" || to == "") { unlisted[from == "" ? $1 : $3] = 1; next }
      if (layer[to] > layer[from]) {
        printf "%s:%s: includes %s: %s looks up at %s\n", $1, $2, $3, top[from], top[to]
        bad++
      }
    }
    END {
      for (f in unlisted) { print f ": in no listed folder"; bad++ }
      exit bad > 0
    }'
  ;;
graph)
  # tools/ counts as one folder: its programs stand above everything.
  includes | awk -F'\t' '
    function folder(p) { sub(/\/[^\/]*$/, "", p); if (p ~ /^tools(\/|$)/) p = "tools"; return p }
    { from = folder($1); to = folder($3); if (from != to) n[from " -> " to]++ }
    END { for (e in n) print e " " n[e] }' | sort
  ;;
*)
  echo "usage: $0 check|graph [root]" >&2
  exit 2
  ;;
esac
