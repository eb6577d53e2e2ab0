#!/usr/bin/env bash
# Fails when a source file includes a header of a layer above its own. The layers, lowest
# first: platform/core; then platform/database and data on one side (the library every program
# links) and platform/toolkit on the other (widgets); windows sit on both; app on everything.
# platform/card draws message cards with Qt Gui alone; the windows use it, and quelmar-frase
# takes its Qt Core headers and loads the drawing as a module. The command-line tools stay off
# the widgets.
#   check_layers.sh SOURCE_DIR
set -euo pipefail
top=${1:?usage: check_layers.sh SOURCE_DIR}

# The folders each folder may include from, besides its own.
declare -A allowed=(
  [src/platform/core]=""
  [src/platform/database]="platform/core"
  [src/data]="platform/core platform/database"
  [src/platform/card]=""
  [src/platform/toolkit]="platform/core"
  [src/windows]="platform/core platform/database data platform/card platform/toolkit"
  [src/app]="platform/core platform/database data platform/card platform/toolkit windows app"
  [tools/colecoes]="platform/core platform/database data"
  [tools/frase]="platform/core platform/database data platform/card"
)

status=0
checked=0
for folder in "${!allowed[@]}"; do
  [[ -d $top/$folder ]] || continue
  own=${folder#src/}
  while IFS= read -r -d '' file; do
    checked=$((checked + 1))
    while IFS=: read -r line header; do
      # A bare name is a header beside the file: its own layer.
      [[ $header == */* ]] || continue
      layer=${header%/*}
      # Only folders of the source tree are layers; anything else is a system header.
      [[ $layer == "$own" || ! -d $top/src/$layer ]] && continue
      ok=false
      for permitted in ${allowed[$folder]}; do
        [[ $layer == "$permitted" ]] && ok=true
      done
      if ! $ok; then
        echo "${file#"$top"/}:$line: includes \"$header\" from $layer, which $folder may not use" >&2
        status=1
      fi
    done < <(grep -nE '^[[:space:]]*#[[:space:]]*include[[:space:]]*"' "$file" |
             sed -E 's/^([0-9]+):[^"]*"([^"]+)".*/\1:\2/' || true)
  done < <(find "$top/$folder" -type f \( -name '*.cpp' -o -name '*.h' \) -print0)
done

if [[ $checked -eq 0 ]]; then
  echo "no source file found under $top" >&2
  exit 1
fi
[[ $status -eq 0 ]] && echo "$checked files include only from their own layer or those below it"
exit $status
