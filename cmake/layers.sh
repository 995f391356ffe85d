#!/usr/bin/env bash
# The folders' layers, and a check that every include looks down.
#
#   cmake/layers.sh check [root]   lists each include that looks up a layer, and each header
#                                  above platform/ that names the window system; 1 if any
#   cmake/layers.sh graph [root]   prints the folder-level include edges with their counts
#   cmake/layers.sh selftest       checks the check on a small tree of its own
#
# Tests, fuzz targets and benchmarks may include anything, and are not read.
set -euo pipefail

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
tools
'

# The sources, tracked or new, outside the build trees.
files() {
  if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
    git ls-files --cached --others --exclude-standard -- '*.h' '*.cpp' '*.c' '*.inl'
  else
    find . -type f \( -name '*.h' -o -name '*.cpp' -o -name '*.c' -o -name '*.inl' \) -not -path './build*' |
      sed 's#^\./##'
  fi | grep -vE '(^|/)(tests|fuzz|bench)/' || true
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

check() {
  local status=0
  check_includes || status=1
  check_window_system || status=1
  return $status
}

check_includes() {
  includes | awk -F'\t' -v layers="$layers" '
    BEGIN {
      n = split(layers, lines, "\n"); rank = 0
      for (i = 1; i <= n; i++) {
        if (lines[i] == "") continue
        rank++; m = split(lines[i], names, " ")
        for (j = 1; j <= m; j++) layer[names[j]] = rank
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
        printf "%s:%s: includes %s: %s looks up at %s\n", $1, $2, $3, from, to
        bad++
      }
    }
    END {
      for (f in unlisted) { print f ": in no folder of the layers"; bad++ }
      if (bad) print bad " includes look up a layer or leave the layers"
      exit bad > 0
    }'
}

# Only platform's headers name the window system (SDL); the layers above see its objects
# through platform/Handles.h, and only .cpp files read them. The programs in tools/ push
# window-system events themselves, like the tests, and are not read. Comments and strings
# may name it.
check_window_system() {
  files | grep -E '\.(h|inl)$' | grep -vE '^(platform|tools)/' | xargs -r awk '
    {
      line = $0; gsub(/"([^"\\]|\\.)*"/, "\"\"", line); sub(/\/\/.*/, "", line)
      if (match(line, /SDL_[A-Za-z0-9_]+|<SDL[^>]*>/)) {
        printf "%s:%d: names %s: only platform/ headers name the window system\n", FILENAME, FNR,
          substr(line, RSTART, RLENGTH)
        bad++
      }
    }
    END { exit bad > 0 }'
}

graph() {
  # tools/ counts as one folder: its programs stand above everything.
  includes | awk -F'\t' '
    function folder(p) { sub(/\/[^\/]*$/, "", p); if (p ~ /^tools(\/|$)/) p = "tools"; return p }
    { from = folder($1); to = folder($3); if (from != to) n[from " -> " to]++ }
    END { for (e in n) print e " " n[e] }' | sort
}

# The check over the tree in $1 fails with exactly the report $2, as $3 says.
expect_report() {
  local out
  if out=$(cd "$1" && check); then
    echo "selftest: $3 passed"
    return 1
  fi
  if [ "$out" != "$2" ]; then
    printf 'selftest: unexpected report for %s:\n%s\n' "$3" "$out"
    return 1
  fi
}

# The check over the tree in $1 passes, as $2 says.
expect_pass() {
  local out
  if ! out=$(cd "$1" && check); then
    printf 'selftest: %s failed:\n%s\n' "$2" "$out"
    return 1
  fi
}

# A tree where scene/ looks down at framework/ and up at match/, and a test may include
# anything: the check must name the one upward include and fail, then pass once it is gone.
# Then a header of scene/ that includes SDL and names its event must fail the same way;
# platform/ may name SDL, and comments and strings anywhere.
selftest() {
  local tree
  tree=$(mktemp -d)
  trap 'rm -rf "$tree"' RETURN
  mkdir -p "$tree/framework" "$tree/scene/tests" "$tree/match" "$tree/platform"
  printf 'struct SDL_Window;\n' >"$tree/platform/Window.h"
  printf '// drawn into an SDL_Window\nconst char* driver = "SDL_VIDEODRIVER";\n' >"$tree/scene/View.h"
  printf '#include "framework/Debug.h"\n#include "match/Match.h"\n' >"$tree/scene/Scene.cpp"
  printf '#include "match/Match.h"\n' >"$tree/scene/tests/scene_test.cpp"
  touch "$tree/framework/Debug.h" "$tree/match/Match.h"
  expect_report "$tree" $'scene/Scene.cpp:2: includes match/Match.h: scene looks up at match\n1 includes look up a layer or leave the layers' \
    "the upward include" || return 1
  sed -i 2d "$tree/scene/Scene.cpp"
  expect_pass "$tree" "a tree that looks down" || return 1
  printf '#pragma once\n#include <SDL.h>\nvoid Filter(SDL_Event& event);\n' >"$tree/scene/Input.h"
  expect_report "$tree" $'scene/Input.h:2: names <SDL.h>: only platform/ headers name the window system\nscene/Input.h:3: names SDL_Event: only platform/ headers name the window system' \
    "a header naming SDL" || return 1
  rm "$tree/scene/Input.h"
  expect_pass "$tree" "a tree without SDL in its headers above platform" || return 1
  echo "selftest: passed"
}

mode=${1:-check}
case $mode in
check | graph)
  cd "${2:-$(dirname "$0")/..}"
  "$mode"
  ;;
selftest) selftest ;;
*)
  echo "usage: $0 check|graph [root] | selftest" >&2
  exit 2
  ;;
esac
