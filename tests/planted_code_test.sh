#!/usr/bin/env bash
# Code planted by another account, or carried by a movie, never runs: a
# library that leaves a mark when loaded is put where a packaged movie's
# player and the converter would once have looked, and into a cabinet under
# the names of the player's own files.
# Usage: planted_code_test.sh BUILD_FOLDER
set -euo pipefail
build=$(cd "$1" && pwd)
mark_library="$build/tests/libplanted_mark.so"
work=$(mktemp -d)
player_pid=
cleanup() {
  [ -n "$player_pid" ] && kill "$player_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAILED: $*"; exit 1; }
export EK_PLANT_MARK="$work/mark" QT_QPA_PLATFORM=offscreen

# A temporary folder that every account can write, as /tmp is.
export TMPDIR="$work/tmp"
mkdir -m 1777 "$TMPDIR"
private="$TMPDIR/ekPlayer-$(id -u)"

# Planted by another account: the private library folder as computed from
# the packaged movie's player, and a program folder anyone can write.
plant() {  # FOLDER NAME...
  local folder=$1; shift
  mkdir -p "$folder"
  for name in "$@"; do cp "$mark_library" "$folder/$name"; done
  chmod -R a+rwX "$folder"
  if [ "$(id -u)" = 0 ]; then chown -R 65534:65534 "$folder"; fi
}
for triplet in "$(gcc -print-multiarch 2>/dev/null || true)" x86_64-linux-gnu; do
  [ -n "$triplet" ] && plant "$TMPDIR/lib/$triplet/ekPlayer" HHCtrl.OCX cabinet.dll ekconvert-video.so
done
# Left in the private folder by a movie that an older player extracted whole.
mkdir -m 700 "$private"
cp "$mark_library" "$private/HHCtrl.OCX"

# A movie whose cabinet carries libraries and help under the player's names.
"$build/tools/moviewriter/ekmoviewrite" --still 64 48 5 "$work/MyFilm.~ekflm" "$work/still.ppm"
cp "$mark_library" "$work/HHCtrl.OCX"
cp "$mark_library" "$work/cabinet.dll"
echo "not help" >"$work/ekPlayer.chm"
(cd "$work" && gcab -c -z movie.ekcab MyFilm.~ekflm HHCtrl.OCX cabinet.dll ekPlayer.chm >/dev/null)
"$build/player/ekpack" "$build/player/ekcab_Exe" "$work/movie.ekcab" "$work/movie.exe" >/dev/null

# The packaged movie: its player starts from the private folder and opens the movie.
"$work/movie.exe" || fail "the packaged movie did not start"
for _ in $(seq 100); do
  player_pid=$(pgrep -f "^$private/ekPlayer.exe" | head -n 1 || true)
  [ -n "$player_pid" ] && [ -f "$private/MyFilm.~ekflm" ] && break
  sleep 0.2
done
[ -f "$private/MyFilm.~ekflm" ] || fail "the packaged movie's player did not open its movie"
sleep 1
kill -0 "$player_pid" 2>/dev/null || fail "the packaged movie's player has ended"
kill "$player_pid"
player_pid=
[ -e "$work/mark" ] && fail "the packaged movie's player loaded planted code"
cmp -s "$private/cabinet.dll" "$build/player/cabinet.dll" || fail "the movie replaced the cabinet library"
[ -e "$private/ekPlayer.chm" ] && fail "the movie's help file was extracted"
echo "the packaged movie's player loaded nothing planted and took only the movie out of its cabinet"

# The converter copied into a folder anyone can write, beside a planted video module.
plant "$work/shared" ekconvert-video.so
cp "$build/player/ekconvert" "$work/shared/"
chmod a+rwx "$work/shared"
"$work/shared/ekconvert" video "$work/MyFilm.~ekflm" "$work/movie.mkv" >/dev/null 2>&1 || true
[ -e "$work/mark" ] && fail "the converter loaded a planted video module"
echo "the converter loaded no planted video module"
