#!/usr/bin/env bash
# Fails when a source file includes a header of a layer above its own, or Qt outside the window.
# Headers are named from the source root ("wave/...", "run/..."), so the first part of an
# include's path names its layer; a path climbing with ".." is refused, as it would hide one.
# Usage: check_layers.sh SRC_ROOT
set -euo pipefail
root="${1:?usage: check_layers.sh SRC_ROOT}"

# Each folder and the folders whose headers it may include (itself first).
declare -A below=(
  [wave]="wave"
  [log]="log"
  [options]="options wave log"
  [signal]="signal options wave"
  [metadata]="metadata wave"
  [run]="run signal metadata options wave log"
  [preview]="preview run signal metadata options wave log"
  [cli]="cli options run preview log"
  [main]="main options run preview log"
)
qtAllowed=main

status=0
refuse() {
  echo "$1: $2" >&2
  status=1
}

for dir in "$root"/*/; do
  layer="$(basename "$dir")"
  if [ -z "${below[$layer]+set}" ]; then
    refuse "$dir" "folder with no place among the layers (add it to ${0##*/})"
    continue
  fi
  while IFS=: read -r file line text; do
    path=""
    [[ "$text" =~ include[[:space:]]*[\<\"]([^\>\"]*) ]] && path="${BASH_REMATCH[1]}"
    if [[ "$path" == *..* ]]; then
      refuse "$file:$line" "include climbs out of the source root: $path"
    elif [[ "$path" == */* && -d "$root/${path%%/*}" ]]; then
      case " ${below[$layer]} " in
        *" ${path%%/*} "*) ;;
        *) refuse "$file:$line" "$layer may not include ${path%%/*}/: $path" ;;
      esac
    elif [[ "$path" =~ ^Q[A-Za-z]*(/|$) && "$layer" != "$qtAllowed" ]]; then
      refuse "$file:$line" "Qt belongs to the window only: $path"
    fi
  done < <(grep -rnE '^[[:space:]]*#[[:space:]]*include[[:space:]]*[<"]' "$dir" || true)
done
exit "$status"
