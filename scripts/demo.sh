#!/usr/bin/env bash
# Installs what is missing, builds, and plays the bundled demo movie in both
# wrappings: as a cabinet, and as a packaged movie made from it that starts
# the player by itself. Without a display both run in a virtual X server and
# screenshots are saved, to show that they ran.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
dir=$(bash scripts/build.sh | tail -n 1)
player="$PWD/$dir/player/ekPlayer"
movie="$PWD/$dir/demo/demo.ekcab"
packaged="$PWD/$dir/demo/demo.exe"
"$PWD/$dir/player/ekpack" "$PWD/$dir/player/ekcab_Exe" "$movie" "$packaged"

if [ -n "${DISPLAY:-}" ]; then
  "$packaged"
  exec "$player" "$movie"
fi

shots="$PWD/$dir/demo"
xvfb-run -a -s "-screen 0 1280x800x24" bash -c '
  shoot() { sleep 4; xwd -root -silent | xwdtopnm 2>/dev/null | pnmtopng > "$1"; }
  "$1" "$2" & pid=$!
  shoot "$4/screenshot.png"
  kill "$pid"; wait "$pid" 2>/dev/null || true
  "$3"
  shoot "$4/screenshot-packaged.png"
  pkill -f "ekPlayer-$(id -u).*/ekPlayer.exe" || true
' _ "$player" "$movie" "$packaged" "$shots"
echo "No display here: the player ran on the demo movie in a virtual X server, first as a cabinet, then as a"
echo "packaged movie that started it by itself; screenshots: $shots/screenshot.png, $shots/screenshot-packaged.png"
