#!/usr/bin/env bash
# The project's test command: installs what is missing, builds native (with
# AddressSanitizer and UBSan), win64 and win32, runs the native tests directly
# and the win64 tests under Wine, and exits non-zero when anything fails.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

"$root/scripts/install-deps.sh" || exit 1
"$root/scripts/build.sh" || exit 1

status=0
echo "=== native tests ==="
ctest --test-dir "$root/build/native" --output-on-failure || status=1
echo "=== win64 tests (Wine) ==="
"$root/scripts/with-wine.sh" ctest --test-dir "$root/build/win64" --output-on-failure || status=1
exit $status
