#!/usr/bin/env bash
# The project's test command: installs what is missing, builds native (with
# AddressSanitizer and UBSan), win64 and win32, then runs the native tests
# directly and the win64 tests under Wine, all in one Wine session (native
# tests may start win64 programs too), then a bounded fuzz run of the PNG
# codec over the PNG corpus, and exits non-zero when anything fails.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

"$root/scripts/install-deps.sh" || exit 1
"$root/scripts/build.sh" || exit 1
status=0
"$root/scripts/with-wine.sh" "$root/scripts/run-tests.sh" || status=1
"$root/scripts/fuzz-smoke.sh" || status=1
exit $status
