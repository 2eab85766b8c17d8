#!/usr/bin/env bash
# Builds the optimised native build in build/bench and runs every benchmark
# (or those named: scripts/bench.sh bench_hash).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"
dir=$root/build/bench
[ -f "$dir/build.ninja" ] || cmake -S "$root" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DRD_BENCH=ON -DRD_TESTS=OFF
cmake --build "$dir"
names=("$@")
if [ ${#names[@]} -eq 0 ]; then
  mapfile -t names < <(find "$dir/bench" -maxdepth 2 -type f -executable -name 'bench_*' -printf '%f\n' | sort)
fi
for n in "${names[@]}"; do
  exe=$(find "$dir/bench" -maxdepth 2 -type f -executable -name "$n" | head -n1)
  [ -n "$exe" ] || { echo "no benchmark $n" >&2; exit 2; }
  echo "=== $n ==="
  (cd "$(dirname "$exe")" && "$exe")
done
