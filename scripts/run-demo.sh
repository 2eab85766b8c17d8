#!/usr/bin/env bash
# Runs the Skin Tool on the bundled demo: builds win64, lays out a tool folder
# and a stand-in suite from demo/, and starts the tool under Wine.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"
"$root/scripts/build.sh" win64
cat <<'MSG'
The Skin Tool is not built yet. When it is, this command will:
  1. lay out a tool folder (SkinTool.exe, rcc.exe, classic\, public\) from demo/,
  2. install the stand-in suite (Pavo.exe, its uninstall entry, Skin\ and Main.ini),
  3. start the tool in a Wine desktop, make the skin "demo" and show the result.
MSG
