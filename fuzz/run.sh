#!/usr/bin/env bash
# Runs every fuzz target, one after the other on one core, for the given number of seconds each.
# Each starts from a fresh scratch copy of its seed corpus under the build directory, so the
# corpus in the repository only changes by hand. Ends with an error when any target found a
# fault; the inputs that cause them are left in <build>/fuzz-runs/<target>/findings.
#
#   fuzz/run.sh <build directory> <seconds per target> [target...]
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "$1" && pwd)
seconds=$2
shift 2
targets=("$@")
[[ ${#targets[@]} -gt 0 ]] || targets=(fuzz-criteria fuzz-like fuzz-conversions)

failed=()
for target in "${targets[@]}"; do
  work=$build/fuzz-runs/$target
  rm -rf "$work"
  mkdir -p "$work/corpus" "$work/findings"
  cp "$here/corpus/$target/"* "$work/corpus/"
  dictionary=()
  [[ -f $here/$target.dict ]] && dictionary=("-dict=$here/$target.dict")

  echo "== $target: $seconds s (registro em $work/log)"
  # A single input may take 10 s and 2 GB at most; past that it is a finding in itself.
  if "$build/fuzz/$target" "${dictionary[@]}" -max_total_time="$seconds" -timeout=10 \
      -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix="$work/findings/" \
      "$work/corpus" >"$work/log" 2>&1; then
    grep -E '^#[0-9]+[[:space:]]+DONE|^stat::number_of_executed_units' "$work/log" || true
    echo "   corpus: $(find "$work/corpus" -type f | wc -l) entradas"
  else
    tail -n 40 "$work/log"
    echo "!! $target encontrou uma falha: $(ls "$work/findings")"
    failed+=("$target")
  fi
done

if [[ ${#failed[@]} -gt 0 ]]; then
  echo "Falhas encontradas por: ${failed[*]}" >&2
  exit 1
fi
echo "Nenhuma falha encontrada."
