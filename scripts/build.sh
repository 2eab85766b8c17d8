#!/usr/bin/env bash
# Configures and builds the three builds into build/native, build/win64 and build/win32.
#   scripts/build.sh            all three
#   scripts/build.sh win64      one of them
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

configure_and_build() {
  local name=$1; shift
  local dir=$root/build/$name
  if [ ! -f "$dir/build.ninja" ]; then
    cmake -S "$root" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DRD_WERROR=ON "$@"
  fi
  cmake --build "$dir"
}

builds=("$@")
[ ${#builds[@]} -gt 0 ] || builds=(native win64 win32)
for b in "${builds[@]}"; do
  case $b in
    native) configure_and_build native -DRD_SANITIZE=ON ;;
    win64)  configure_and_build win64 -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchains/mingw-w64-x86_64.cmake" ;;
    win32)  configure_and_build win32 -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchains/mingw-w64-i686.cmake" ;;
    *) echo "unknown build: $b (native, win64, win32)" >&2; exit 2 ;;
  esac
done
