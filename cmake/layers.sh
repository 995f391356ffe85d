#!/usr/bin/env bash
# The folders' layers, and a check that every include looks down.
#
#   cmake/layers.sh check [root]   lists each include that looks up a layer, and each header
#                                  above platform/ that names the window system; 1 if any
#   cmake/layers.sh graph [root]   prints the folder-level include edges with their counts
#   cmake/layers.sh links <file>   lists each library that links one of a higher layer, or
#                                  whose sources lie in two layers; 1 if any. The file is
#                                  build/link-graph.txt, which configuring the build writes
#   cmake/layers.sh linkgraph <file>  prints which libraries link which, by layer
#   cmake/layers.sh selftest       checks the checks on small trees of their own
#
# Tests, fuzz targets and benchmarks may include and link anything, and are not read; nor are
# the programs, which stand above every library they link.
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
input
scene
text
menus
simulation
characters
ai
pitch
match
editor
shell
frontend
game
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

# The awk program that ranks the layers: layer[folder] is its rank from the bottom, and
# owner(path) the longest listed folder that holds the path, or "" for none.
ranks='
  BEGIN {
    n = split(layers, lines, "\n"); rank = 0
    for (i = 1; i <= n; i++) {
      if (lines[i] == "") continue
      rank++; m = split(lines[i], names, " ")
      for (j = 1; j <= m; j++) layer[names[j]] = rank
    }
  }
  function owner(p) {
    while (sub(/\/[^\/]*$/, "", p)) if (p in layer) return p
    return ""
  }'

check() {
  local status=0
  check_includes || status=1
  check_window_system || status=1
  return $status
}

check_includes() {
  includes | awk -F'\t' -v layers="$layers" "$ranks"'
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

# The libraries of the link graph in $1 (see cmake/Turfbolt.cmake) as "library<TAB>layer",
# a library's layer being its sources' own, then its links as "link<TAB>library<TAB>library".
# A library whose sources are all tests has no layer; one whose sources lie in two layers,
# or in none, is reported as "mixed<TAB>library<TAB>layers".
library_layers() {
  awk -F'\t' -v layers="$layers" "$ranks"'
    $1 == "source" && $3 !~ /(^|\/)(tests|fuzz|bench)\// {
      o = owner($3)
      if (o == "") o = "(none: " $3 ")"
      if (!(($2, o) in seen)) { seen[$2, o] = 1; names[$2] = names[$2] (names[$2] == "" ? "" : " and ") o }
      if (!($2 in at)) at[$2] = o
      else if (at[$2] != o && layer[at[$2]] != layer[o]) mixed[$2] = 1
      if (!(o in layer)) mixed[$2] = 1
    }
    $1 == "link" { print "link\t" $2 "\t" $3 }
    END {
      for (lib in at) print (lib in mixed) ? "mixed\t" lib "\t" names[lib] : lib "\t" at[lib]
    }' "$1"
}

# Each library links only libraries of its own layer and of the layers below, and its
# sources lie in one layer.
links() {
  library_layers "$1" | sort | awk -F'\t' -v layers="$layers" "$ranks"'
    $1 == "mixed" { printf "%s: holds sources of %s\n", $2, $3; bad++; next }
    $1 == "link" { from[++n] = $2; to[n] = $3; next }
    { at[$1] = $2 }
    END {
      for (i = 1; i <= n; i++) {
        if (!(from[i] in at) || !(to[i] in at)) continue
        if (layer[at[to[i]]] > layer[at[from[i]]]) {
          printf "%s links %s: %s looks up at %s\n", from[i], to[i], at[from[i]], at[to[i]]
          bad++
        }
      }
      if (bad) print bad " libraries link up a layer or mix layers"
      exit bad > 0
    }'
}

# The links between layers, "layer -> layer: library>library ...", and within each layer.
linkgraph() {
  library_layers "$1" | sort | awk -F'\t' '
    $1 == "mixed" { at[$2] = "(" $3 ")"; next }
    $1 == "link" { from[++n] = $2; to[n] = $3; next }
    { at[$1] = $2 }
    END {
      for (i = 1; i <= n; i++) {
        if (!(from[i] in at) || !(to[i] in at)) continue
        e = at[from[i]] " -> " at[to[i]]
        pairs[e] = pairs[e] " " from[i] ">" to[i]
      }
      for (e in pairs) print e ":" pairs[e]
    }' | sort
}

# The check over the tree in $1.
check_tree() {
  (cd "$1" && check)
}

# The command after $2 fails with exactly the report $1, as $2 says.
expect_report() {
  local report=$1 what=$2 out
  shift 2
  if out=$("$@"); then
    echo "selftest: $what passed"
    return 1
  fi
  if [ "$out" != "$report" ]; then
    printf 'selftest: unexpected report for %s:\n%s\n' "$what" "$out"
    return 1
  fi
}

# The command after $1 passes, as $1 says.
expect_pass() {
  local what=$1 out
  shift
  if ! out=$("$@"); then
    printf 'selftest: %s failed:\n%s\n' "$what" "$out"
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
  expect_report $'scene/Scene.cpp:2: includes match/Match.h: scene looks up at match\n1 includes look up a layer or leave the layers' \
    "the upward include" check_tree "$tree" || return 1
  sed -i 2d "$tree/scene/Scene.cpp"
  expect_pass "a tree that looks down" check_tree "$tree" || return 1
  printf '#pragma once\n#include <SDL.h>\nvoid Filter(SDL_Event& event);\n' >"$tree/scene/Input.h"
  expect_report $'scene/Input.h:2: names <SDL.h>: only platform/ headers name the window system\nscene/Input.h:3: names SDL_Event: only platform/ headers name the window system' \
    "a header naming SDL" check_tree "$tree" || return 1
  rm "$tree/scene/Input.h"
  expect_pass "a tree without SDL in its headers above platform" check_tree "$tree" || return 1
  selftest_links "$tree/link-graph.txt" || return 1
  echo "selftest: passed"
}

# A graph where the match's library links the scene's and a library of the front end's tests,
# which has no layer: the check passes. Then the match's library links the front end's, and
# the scene's holds a source of the match: the check names both.
selftest_links() {
  local graph=$1
  printf '%s\t%s\t%s\n' source tb_scene scene/Scene.cpp source tb_match match/Match.cpp \
    source tb_match match/game/Game.cpp link tb_match tb_scene source tb_frontend frontend/Menu.cpp \
    link tb_frontend tb_match source tb_match_tests frontend/tests/support/Screens.cpp \
    link tb_match tb_match_tests >"$graph"
  expect_pass "a graph that links down" links "$graph" || return 1
  printf '%s\t%s\t%s\n' link tb_match tb_frontend source tb_scene match/Hud.cpp >>"$graph"
  expect_report $'tb_scene: holds sources of scene and match\ntb_match links tb_frontend: match looks up at frontend\n2 libraries link up a layer or mix layers' \
    "a link up and a library of two layers" links "$graph" || return 1
}

mode=${1:-check}
case $mode in
check | graph)
  cd "${2:-$(dirname "$0")/..}"
  "$mode"
  ;;
links | linkgraph)
  if [ ! -f "${2:-}" ]; then
    echo "$0 $mode: no link graph \"${2:-}\"; configuring the build writes build/link-graph.txt" >&2
    exit 2
  fi
  "$mode" "$2"
  ;;
selftest) selftest ;;
*)
  echo "usage: $0 check|graph [root] | links|linkgraph <link graph> | selftest" >&2
  exit 2
  ;;
esac
