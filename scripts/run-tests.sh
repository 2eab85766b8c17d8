#!/usr/bin/env bash
# Runs the native and the win64 tests of builds that scripts/build.sh made.
# Meant to run inside scripts/with-wine.sh, which provides the Wine session.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
status=0
echo "=== native tests ==="
ctest --test-dir "$root/build/native" --output-on-failure || status=1
echo "=== win64 tests (Wine) ==="
ctest --test-dir "$root/build/win64" --output-on-failure || status=1
exit $status
