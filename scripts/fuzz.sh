#!/usr/bin/env bash
# Builds the libFuzzer targets with clang in build/fuzz and runs one of them:
#   scripts/fuzz.sh NAME [SECONDS] [corpus folder...]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
[ $# -ge 1 ] || { echo "usage: $0 NAME [SECONDS] [CORPUS...]" >&2; exit 2; }
name=$1 seconds=${2:-60}; shift; [ $# -gt 0 ] && shift
"$root/scripts/install-deps.sh"
dir=$root/build/fuzz
[ -f "$dir/build.ninja" ] || CC=clang CXX=clang++ cmake -S "$root" -B "$dir" -G Ninja \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DRD_FUZZ=ON -DRD_SANITIZE=ON -DRD_TESTS=OFF
cmake --build "$dir" --target "$name"
exe=$(find "$dir/fuzz" -type f -executable -name "$name" | head -n1)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$exe" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 "$work" "$@"
