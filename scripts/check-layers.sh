#!/usr/bin/env bash
# Fails when an include under src/ points up or sideways between folders, when
# a Qt-free folder includes Qt or builds into the window library, or when a
# folder is in neither list below. The lists are the layers, lowest first: a
# folder may include only from folders before it. Window folders share one
# layer and never include each other; only shell/ opens other folders' windows.
set -euo pipefail
cd "$(dirname "$0")/.."

# Qt-free, into tamrel_core.
core=(base ledger detail analysis store report import)
# Qt, into tamrel_ui; the windows sit between widgets and shell.
ui_below=(state widgets)
windows=(entry browse stats switch trend cross years export benchmark income budget ticketlist intake)
ui_above=(shell app)

declare -A rank kind
r=0
for f in "${core[@]}"; do rank[$f]=$r; kind[$f]=core; r=$((r + 1)); done
for f in "${ui_below[@]}"; do rank[$f]=$r; kind[$f]=ui; r=$((r + 1)); done
for f in "${windows[@]}"; do rank[$f]=$r; kind[$f]=window; done
r=$((r + 1))
for f in "${ui_above[@]}"; do rank[$f]=$r; kind[$f]=ui; r=$((r + 1)); done

faults=()
for dir in src/*/; do
  folder=$(basename "$dir")
  if [[ -z "${rank[$folder]+set}" ]]; then
    faults+=("src/$folder/ is in no layer: add it to scripts/check-layers.sh")
    continue
  fi
  # Which library a folder builds into says which side it is on.
  if [[ -f "$dir/CMakeLists.txt" ]]; then
    if [[ ${kind[$folder]} == core ]] && grep -q 'tamrel_ui' "$dir/CMakeLists.txt"; then
      faults+=("src/$folder/ is Qt-free but builds into tamrel_ui")
    elif [[ ${kind[$folder]} != core ]] && grep -q 'tamrel_core' "$dir/CMakeLists.txt"; then
      faults+=("src/$folder/ is user interface but builds into tamrel_core")
    fi
  fi
done

while IFS= read -r hit; do
  file=${hit%%:*}
  rest=${hit#*:}
  line=${rest%%:*}
  text=${rest#*:}
  from=$(cut -d/ -f2 <<<"$file")
  [[ -n "${rank[$from]+set}" ]] || continue
  if [[ $text =~ \#include[[:space:]]*\<Q ]]; then
    [[ ${kind[$from]} == core ]] && faults+=("$file:$line: a Qt-free folder includes Qt: $text")
    continue
  fi
  [[ $text =~ \#include[[:space:]]*\"([a-z_]+)/ ]] || continue
  to=${BASH_REMATCH[1]}
  [[ $to == "$from" ]] && continue
  if [[ -z "${rank[$to]+set}" ]]; then
    faults+=("$file:$line: includes from src/$to/, which is in no layer")
  elif ((rank[$to] > rank[$from])); then
    faults+=("$file:$line: points up, from $from/ to $to/")
  elif ((rank[$to] == rank[$from])); then
    faults+=("$file:$line: points sideways, from $from/ to $to/")
  fi
done < <(git grep --untracked -n -E '^[[:space:]]*#[[:space:]]*include' -- 'src/*.h' 'src/*.cpp')

if ((${#faults[@]} > 0)); then
  printf '%s\n' "${faults[@]}" >&2
  echo "layers: ${#faults[@]} fault(s)" >&2
  exit 1
fi
echo "layers: every include under src/ points down"
