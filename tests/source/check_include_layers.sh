#!/usr/bin/env bash
# Checks that includes between the folders of a source tree point downward only: a file may
# include headers of its own folder and of the layers below it, never of its peers or of the
# layers above. Prints every include that breaks the order and fails if there is one.
#   check_include_layers.sh SOURCE_DIR
set -euo pipefail
src=${1:?usage: check_include_layers.sh SOURCE_DIR}

# The layers, lowest first; folders on one line are peers and include nothing of each other.
layers=(
  "base"       # leaf helpers: module handle, intrusive list, build facts
  "memory"     # the block heap, the allocation-failure hook, checked sizes
  "text"       # text values and their conversions
  "json http"  # answer documents; the transport
  "state ui"   # LibraryState; the progress window, which hands what it made to its caller
  "flows"      # the request flows, which record that in the state, and the answer walkers
  "runtime"    # start-up and shutdown, and the load-time layers
  "api"        # the exports and the entry function
)
declare -A rank
for level in "${!layers[@]}"; do
  for folder in ${layers[$level]}; do rank[$folder]=$level; done
done

violations=0
while IFS=: read -r file line text; do
  relative=${file#"$src"/}
  folder=${relative%%/*}
  [[ $folder == "$relative" ]] && continue  # files at the top of the tree belong to no layer
  target=${text#*\"}
  target=${target%%/*}
  [[ $target == "$folder" ]] && continue
  if [[ -z ${rank[$folder]+set} ]]; then
    echo "$relative:$line: the folder $folder/ has no place in the layers"
  elif [[ -z ${rank[$target]+set} ]]; then
    echo "$relative:$line: includes $target/, which has no place in the layers"
  elif ((rank[$target] >= rank[$folder])); then
    echo "$relative:$line: $folder/ includes $target/, which is not below it"
  else
    continue
  fi
  violations=$((violations + 1))
done < <(grep -rn --include='*.h' --include='*.cpp' --include='*.inc' --include='*.in' \
           -E '^[[:space:]]*#[[:space:]]*include[[:space:]]*"[^"/]+/' "$src" | sort)

if ((violations > 0)); then
  echo "FAILED: $violations include(s) against the layer order"
  exit 1
fi
echo "includes point downward only"
