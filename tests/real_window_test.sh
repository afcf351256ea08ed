#!/usr/bin/env bash
# The player in a real X server with a window manager, driven by keys as a
# user drives it: the picture on the screen pixel for pixel, the display
# window, the segments dialog, and the end of the program.
# Usage: real_window_test.sh BUILD_FOLDER [SCREENSHOT_FOLDER]
set -euo pipefail
build=$(cd "$1" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
shots=${2:-}
for tool in xvfb-run openbox xdotool xwininfo import convert; do
  command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 0; }
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$build/tools/moviewriter/ekmoviewrite" --still 640 480 150 "$work/MyFilm.~ekflm" "$work/still.ppm"
(cd "$work" && gcab -c -z still.ekcab MyFilm.~ekflm >/dev/null)
export EK_PLAYER="$build/player/ekPlayer" EK_BUILD="$build" EK_WORK="$work" EK_HERE="$here" EK_SHOTS="$shots"
export TMPDIR="$work"

xvfb-run -a -s "-screen 0 1280x800x24" bash -euo pipefail -c '
fail() { echo "FAILED: $*"; exit 1; }
shot() {  # screenshot of the root window as PPM, kept as PNG when asked
  import -window root "$EK_WORK/screen.png"
  convert "$EK_WORK/screen.png" "$EK_WORK/screen.ppm"
  if [ -n "$EK_SHOTS" ]; then mkdir -p "$EK_SHOTS"; cp "$EK_WORK/screen.png" "$EK_SHOTS/$1.png"; fi
}
openbox >/dev/null 2>&1 &
sleep 1
"$EK_PLAYER" "$EK_WORK/still.ekcab" >"$EK_WORK/player.log" 2>&1 &
player=$!
main=$(xdotool search --sync --onlyvisible --name "^ekPlayer v1.4$" | head -n 1)
sleep 2
shot main
read -r x y < <(python3 "$EK_HERE/find_picture.py" "$EK_WORK/screen.ppm" "$EK_WORK/still.ppm") ||
  fail "the movie picture is not on the screen pixel for pixel"
echo "picture found in the main window at $x, $y"

# F8: the display window, whose client area is exactly the movie.
xdotool windowactivate --sync "$main" key F8
display=$(xdotool search --sync --onlyvisible --name "still.ekcab:  Still" | head -n 1)
sleep 1
info=$(xwininfo -id "$display")
X=$(sed -n "s/.*Absolute upper-left X: *//p" <<<"$info")
Y=$(sed -n "s/.*Absolute upper-left Y: *//p" <<<"$info")
WIDTH=$(sed -n "s/.*Width: *//p" <<<"$info")
HEIGHT=$(sed -n "s/.*Height: *//p" <<<"$info")
[ "$WIDTH" = 640 ] && [ "$HEIGHT" = 480 ] || fail "display window client area $WIDTH x $HEIGHT, not 640 x 480"
shot display
read -r dx dy < <(python3 "$EK_HERE/find_picture.py" "$EK_WORK/screen.ppm" "$EK_WORK/still.ppm") ||
  fail "the movie picture is not in the display window"
[ "$dx" = "$X" ] && [ "$dy" = "$Y" ] || fail "picture at $dx, $dy but the client area is at $X, $Y"
echo "display window $WIDTH x $HEIGHT at $X, $Y shows the picture"

# F8 again, from the display window: back in the main window.
xdotool windowactivate --sync "$display" key F8
sleep 1
xdotool search --onlyvisible --name "still.ekcab:  Still" >/dev/null && fail "F8 left the display window up"

# On and off again, three times: the display window comes back exactly where
# it was, with the frame of the window manager taken into account (F9 plays on if the
# movie has ended meanwhile).
for round in 1 2 3; do
  xdotool windowactivate --sync "$main" key F8 F9
  display=$(xdotool search --sync --onlyvisible --name "still.ekcab:  Still" | head -n 1)
  sleep 1
  info=$(xwininfo -id "$display")
  RX=$(sed -n "s/.*Absolute upper-left X: *//p" <<<"$info")
  RY=$(sed -n "s/.*Absolute upper-left Y: *//p" <<<"$info")
  [ "$RX" = "$X" ] && [ "$RY" = "$Y" ] || fail "after F8 off and on ($round) the display window is at $RX, $RY, not $X, $Y"
  xdotool windowactivate --sync "$display" key F8
  sleep 1
done
echo "F8 off and on three times leaves the display window at $X, $Y"


# F6 shows the segments dialog, F6 there hides it again.
xdotool windowactivate --sync "$main" key F6
dialog=$(xdotool search --sync --onlyvisible --name "Управление Сегментами" | head -n 1)
shot segments
xdotool windowactivate --sync "$dialog" key F6
sleep 1
xdotool search --onlyvisible --name "Управление Сегментами" >/dev/null && fail "F6 in the dialog left it up"

# A click on the middle of the progress bar, then the step, segment and speed
# keys on a pause: the picture stays in place and the player goes on.
info=$(xwininfo -id "$main")
MX=$(sed -n "s/.*Absolute upper-left X: *//p" <<<"$info")
MY=$(sed -n "s/.*Absolute upper-left Y: *//p" <<<"$info")
MH=$(sed -n "s/.*Height: *//p" <<<"$info")
xdotool mousemove --sync $((MX + 184 + 86)) $((MY + MH - 24 + 12)) click 1
xdotool windowactivate --sync "$main" key F10 Left Left Right Next Prior Home plus minus
sleep 1
kill -0 "$player" 2>/dev/null || fail "the player ended after the seeking keys"
shot seeking
read -r sx sy < <(python3 "$EK_HERE/find_picture.py" "$EK_WORK/screen.ppm" "$EK_WORK/still.ppm") ||
  fail "after a click on the bar and the seeking keys the picture is gone"
[ "$sx" = "$x" ] && [ "$sy" = "$y" ] || fail "after seeking the picture is at $sx, $sy, not $x, $y"
echo "the bar and the seeking keys leave the picture at $sx, $sy"

# Alt+F4 in the main window ends the program.
xdotool windowactivate --sync "$main" key alt+F4
for i in $(seq 50); do kill -0 "$player" 2>/dev/null || break; sleep 0.1; done
kill -0 "$player" 2>/dev/null && fail "Alt+F4 did not end the program"
wait "$player" || true
echo "Alt+F4 ended the program"

# A packaged movie started as a user starts it: the launcher writes the player
# into the private folder and starts it on the movie, which it then plays. Its
# name is in Windows-1251 ("Урок 1.exe"), as such movies often are: the player
# must take the bytes as they are, not as text of the locale.
# It lies in a folder whose path has blanks and letters beyond ASCII, and is
# started from there as a file manager starts it.
mkdir -p "$EK_WORK/Мои фильмы"
packaged_movie="$EK_WORK/Мои фильмы/$(printf "\323\360\356\352 1.exe")"
"$EK_BUILD/player/ekpack" "$EK_BUILD/player/ekcab_Exe" "$EK_WORK/still.ekcab" "$packaged_movie"
(cd "$EK_WORK/Мои фильмы" && "$packaged_movie")
packaged=$(xdotool search --sync --onlyvisible --name "^ekPlayer v1.4$" | head -n 1)
sleep 2
shot packaged
python3 "$EK_HERE/find_picture.py" "$EK_WORK/screen.ppm" "$EK_WORK/still.ppm" >/dev/null ||
  fail "the packaged movie is not on the screen"
echo "the packaged movie plays"
private="$TMPDIR/ekPlayer-$(id -u)"
cmp -s "$private/cabinet.dll" "$EK_BUILD/player/cabinet.dll" || fail "no cabinet.dll in $private"
[ -x "$private/ekPlayer.exe" ] || fail "no ekPlayer.exe in $private"
[ -f "$private/MyFilm.~ekflm" ] || fail "the movie file is not in $private"
[ ! -e "$private/temp.ekcab" ] || fail "temp.ekcab stayed after a good opening"
echo "the temporary files are where they belong"
xdotool windowactivate --sync "$packaged" key alt+F4
'
echo "1 passed, 0 failed"
