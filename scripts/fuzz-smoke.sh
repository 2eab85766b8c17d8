#!/usr/bin/env bash
# A bounded fuzz run as part of the tests: png_codec_fuzz for 60 s, seeded
# with the PNG corpus; fails when the target crashes, leaks or hangs. Builds
# only the fuzz target and what it links.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
echo "=== fuzz smoke: png_codec_fuzz, 60 s over the PNG corpus ==="
"$root/scripts/fuzz.sh" png_codec_fuzz 60 "$root/../shared/png-corpus"
