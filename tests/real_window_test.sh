#!/usr/bin/env bash
# The player in a real X server with a window manager, driven by keys as a
# user drives it: the picture on the screen pixel for pixel, the display
# window, the segments dialog, finding and copying text, and the end of the
# program.
# Usage: real_window_test.sh BUILD_FOLDER [SCREENSHOT_FOLDER]
set -euo pipefail
build=$(cd "$1" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
shots=${2:-}
for tool in xvfb-run openbox xdotool xwininfo import convert xclip; do
  command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 0; }
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$build/tools/moviewriter/ekmoviewrite" --still 640 480 150 "$work/MyFilm.~ekflm" "$work/still.ppm"
(cd "$work" && gcab -c -z still.ekcab MyFilm.~ekflm >/dev/null)
# A smaller movie to drop on the window, and a damaged one: its movie file ends
# in the middle of the frames.
mkdir "$work/small" "$work/damaged"
"$build/tools/moviewriter/ekmoviewrite" --still 320 240 50 "$work/small/MyFilm.~ekflm" "$work/small.ppm"
(cd "$work/small" && gcab -c -z ../small.ekcab MyFilm.~ekflm >/dev/null)
head -c "$(($(stat -c %s "$work/MyFilm.~ekflm") / 2))" "$work/MyFilm.~ekflm" >"$work/damaged/MyFilm.~ekflm"
(cd "$work/damaged" && gcab -c -z ../damaged.ekcab MyFilm.~ekflm >/dev/null)
# A short movie whose last frames are cut off, and what rescue makes of it.
mkdir "$work/broken"
"$build/tools/moviewriter/ekmoviewrite" --still 320 240 30 "$work/broken/whole.~ekflm" "$work/broken.ppm"
head -c "$(($(stat -c %s "$work/broken/whole.~ekflm") - 100))" "$work/broken/whole.~ekflm" >"$work/broken/MyFilm.~ekflm"
(cd "$work/broken" && gcab -c -z ../broken.ekcab MyFilm.~ekflm >/dev/null)
"$build/player/ekconvert" rescue "$work/broken.ekcab" "$work/rescued.ekcab" >"$work/rescue.log"
# A movie of known text, and the moments a search finds a word at, with the
# line's box: the find window must go to the same moments.
mkdir "$work/text"
"$build/bench/ek_text_corpus" "DejaVu Sans" 11,14 "$work/text/MyFilm.~ekflm" 2>/dev/null
(cd "$work/text" && gcab -c -z ../text.ekcab MyFilm.~ekflm >/dev/null)
export XDG_CACHE_HOME="$work/cache"
"$build/player/ekconvert" search --json "Справка" "$work/text.ekcab" >"$work/hits.json"
python3 - "$work/hits.json" >"$work/hits.txt" <<'PY'
import json, sys
for hit in json.load(open(sys.argv[1]))["hits"][:2]:
    line = hit["line"]
    print(line["first_frame"], *line["box"])
PY
read -r hit1 bx by bw bh < <(sed -n 1p "$work/hits.txt")
read -r hit2 _ < <(sed -n 2p "$work/hits.txt")
"$build/player/ekconvert" frame "$work/text.ekcab" "$hit1" "$work/hit1.png"
"$build/player/ekconvert" frame "$work/text.ekcab" "$hit2" "$work/hit2.png"
convert "$work/hit1.png" "$work/hit1.ppm"
convert "$work/hit2.png" "$work/hit2.ppm"
rm -rf "$work/cache"
export EK_BOX="$bx $by $bw $bh"
export XDG_CONFIG_HOME="$work/config"
export EK_PLAYER="$build/player/ekPlayer" EK_BUILD="$build" EK_WORK="$work" EK_HERE="$here" EK_SHOTS="$shots"
export TMPDIR="$work"

xvfb-run -a -s "-screen 0 1280x800x24" bash -euo pipefail -c '
# A failure inside a command substitution ends the test too.
shopt -s inherit_errexit
fail() { echo "FAILED: $*" >&2; exit 1; }
shot() {  # screenshot of the root window as PPM, kept as PNG when asked
  import -window root "$EK_WORK/screen.png"
  convert "$EK_WORK/screen.png" "$EK_WORK/screen.ppm"
  if [ -n "$EK_SHOTS" ]; then mkdir -p "$EK_SHOTS"; cp "$EK_WORK/screen.png" "$EK_SHOTS/$1.png"; fi
}
# The first visible window whose name matches, waited for. xdotool dies of an
# X error when a window it looks at is closed under it (another program
# ending), so a failed look is tried again rather than taken as an answer.
window() {
  local id
  for _ in $(seq 150); do
    id=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n 1) || id=
    if [ -n "$id" ]; then echo "$id"; return 0; fi
    sleep 0.2
  done
  fail "no window named $1"
}
# Tries a check every half second for 20 seconds: what a loaded machine
# (a sanitizer build, or CI compiling beside it) shows late is waited for.
within() {
  for _ in $(seq 40); do
    "$@" && return 0
    sleep 0.5
  done
  return 1
}
# Waits until a window is gone, so that the window of the next program is
# not mistaken for it.
closed() {
  for _ in $(seq 150); do
    xwininfo -id "$1" >/dev/null 2>&1 || return 0
    sleep 0.2
  done
  fail "window $1 stayed"
}
openbox >/dev/null 2>&1 &
sleep 1
"$EK_PLAYER" "$EK_WORK/still.ekcab" >"$EK_WORK/player.log" 2>&1 &
player=$!
main=$(window "^ekPlayer v1.4$")
sleep 2
shot main
read -r x y < <(python3 "$EK_HERE/find_picture.py" "$EK_WORK/screen.ppm" "$EK_WORK/still.ppm") ||
  fail "the movie picture is not on the screen pixel for pixel"
echo "picture found in the main window at $x, $y"

# F8: the display window, whose client area is exactly the movie.
xdotool windowactivate --sync "$main" key F8
display=$(window "still.ekcab:  Still")
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
  display=$(window "still.ekcab:  Still")
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
dialog=$(window "Управление Сегментами")
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

# Space plays and pauses as F9 and F10 do: the bar moves while the movie
# plays and stands while it pauses.
MW=$(sed -n "s/.*Width: *//p" <<<"$info")
bar_moves() {
  import -window root -crop "172x20+$((MX + 184))+$((MY + MH - 22))" "$EK_WORK/bar1.ppm"
  sleep 1.5
  import -window root -crop "172x20+$((MX + 184))+$((MY + MH - 22))" "$EK_WORK/bar2.ppm"
  [ "$(compare -metric AE "$EK_WORK/bar1.ppm" "$EK_WORK/bar2.ppm" null: 2>&1 || true)" != 0 ]
}
xdotool windowactivate --sync "$main" key space
bar_moves || fail "Space on a pause did not play on"
xdotool windowactivate --sync "$main" key space
sleep 0.3
bar_moves && fail "Space while playing did not pause"
echo "Space plays and pauses"

# A movie dragged from another program and dropped on the window opens as
# Ctrl+O would open it (the X drag-and-drop protocol, end to end); F9 plays it.
"$EK_BUILD/tests/drag_source" "$EK_WORK/small.ekcab" >"$EK_WORK/drag.log" 2>&1 &
source=$!
source_window=$(window "^drag source$")
sleep 0.5
info=$(xwininfo -id "$source_window")
SX=$(sed -n "s/.*Absolute upper-left X: *//p" <<<"$info")
SY=$(sed -n "s/.*Absolute upper-left Y: *//p" <<<"$info")
TX=$((MX + MW / 2)) TY=$((MY + 150))
xdotool mousemove --sync $((SX + 60)) $((SY + 40)) mousedown 1
for step in 1 2 3 4 5 6 7 8 9 10; do
  xdotool mousemove --sync $((SX + 60 + (TX - SX - 60) * step / 10)) $((SY + 40 + (TY - SY - 40) * step / 10))
  sleep 0.1
done
xdotool mouseup 1
sleep 1
grep -q dropped "$EK_WORK/drag.log" || fail "the player did not take the dropped file: $(cat "$EK_WORK/drag.log")"
kill "$source"
xdotool windowactivate --sync "$main" key F9
sleep 1.5
shot dropped
python3 "$EK_HERE/find_picture.py" "$EK_WORK/screen.ppm" "$EK_WORK/small.ppm" >/dev/null ||
  fail "the dropped movie does not play"
echo "a dropped movie opens and plays"

# The open dialog (open only when the movie is stopped), then a damaged movie
# after the good one: the error box, and after it nothing plays (no picture,
# the bar stands).
open_in_dialog() {
  xdotool windowactivate --sync "$main" key F11 ctrl+o
  sleep 1.5
  [ -n "$EK_SHOTS" ] && shot "open-dialog-$(basename "$1")"
  xdotool type --delay 5 "$1"
  xdotool key Return
}
open_in_dialog "$EK_WORK/damaged.ekcab"
sleep 1.5
shot damaged
xdotool key Return
sleep 0.5
xdotool windowactivate --sync "$main" key F9
bar_moves && fail "a refused damaged movie plays"
shot after-damaged
python3 "$EK_HERE/find_picture.py" "$EK_WORK/screen.ppm" "$EK_WORK/small.ppm" >/dev/null &&
  fail "the movie before the damaged one is still shown"
echo "after a damaged movie nothing plays"

# Opening a movie with the display window on: while it loads (kept waiting here
# by another program holding the private folder) the display window is up and
# shows the notice at its top left: dark letters on the light empty window.
# The folder is held until the notice has been seen, however late that is.
xdotool windowactivate --sync "$main" key F8
private="$TMPDIR/ekPlayer-$(id -u)"
mkfifo "$EK_WORK/let-go"
flock "$private" timeout 60 cat "$EK_WORK/let-go" >/dev/null 2>&1 &
holder=$!
sleep 0.3
open_in_dialog "$EK_WORK/still.ekcab"
display= letters= light=
loading_notice() {
  shot loading
  display=$(xdotool search --onlyvisible --name "frmDisplay|ekcab:" 2>/dev/null | head -n 1) || display=
  [ -n "$display" ] || return 1
  local info X Y crop
  info=$(xwininfo -id "$display" 2>/dev/null) || return 1
  X=$(sed -n "s/.*Absolute upper-left X: *//p" <<<"$info")
  Y=$(sed -n "s/.*Absolute upper-left Y: *//p" <<<"$info")
  crop=("$EK_WORK/screen.ppm" -crop "160x30+$X+$Y" -colorspace gray)
  letters=$(convert "${crop[@]}" -threshold 20% -negate -format "%[fx:round(mean*w*h)]" info:)
  light=$(convert "${crop[@]}" -threshold 60% -format "%[fx:round(mean*w*h)]" info:)
  [ "$letters" -ge 100 ] && [ "$light" -ge 2000 ]
}
within loading_notice ||
  fail "no loading notice in the display window (window ${display:-none}, ${letters:-no} dark and ${light:-no} light pixels)"
# Beside the display window the main window shows its empty picture area, not
# what the closed dialog left there.
colours=$(convert "$EK_WORK/screen.ppm" -crop "140x200+$((MX + MW / 2 + 160))+$((MY + MH / 2 - 100))" -format %k info:)
[ "$colours" = 1 ] || fail "the closed open dialog is still painted over the main window ($colours colours)"
# The folder let go: the movie loads.
echo >"$EK_WORK/let-go"
wait "$holder"
echo "the display window shows the loading notice, the main window is repainted"

# The About box, from the help menu, comes up at the same place each time.
about_place() {
  xdotool windowactivate --sync "$main"
  xdotool mousemove --window "$main" 186 8 click 1
  sleep 0.5
  xdotool key Down Down Return
  about=$(window "^О программе$")
  sleep 0.5
  xwininfo -id "$about" | sed -n "s/.*Absolute upper-left [XY]: *//p" | tr "\n" " "
  xdotool key Escape
  sleep 0.5
}
first=$(about_place)
for round in 2 3; do
  again=$(about_place)
  [ "$again" = "$first" ] || fail "the About box came up at $again the $round. time, at $first the first"
done
echo "the About box comes up at $first each time"

# Alt+F4 in the main window ends the program.
xdotool windowactivate --sync "$main" key alt+F4
for i in $(seq 50); do kill -0 "$player" 2>/dev/null || break; sleep 0.1; done
kill -0 "$player" 2>/dev/null && fail "Alt+F4 did not end the program"
wait "$player" || true
echo "Alt+F4 ended the program"

# The rescued movie opens as any movie does and plays to its end: its
# picture is shown, and then the end clears it while the player stays.
"$EK_PLAYER" "$EK_WORK/rescued.ekcab" >"$EK_WORK/rescued-player.log" 2>&1 &
rescued_player=$!
rescued=$(window "^ekPlayer v1.4$")
sleep 1
shot rescued-playing
python3 "$EK_HERE/find_picture.py" "$EK_WORK/screen.ppm" "$EK_WORK/broken.ppm" >/dev/null ||
  fail "the rescued movie is not on the screen"
for i in $(seq 30); do
  sleep 0.5
  shot rescued-ended
  python3 "$EK_HERE/find_picture.py" "$EK_WORK/screen.ppm" "$EK_WORK/broken.ppm" >/dev/null || break
done
python3 "$EK_HERE/find_picture.py" "$EK_WORK/screen.ppm" "$EK_WORK/broken.ppm" >/dev/null &&
  fail "the rescued movie did not come to its end"
kill -0 "$rescued_player" 2>/dev/null || fail "the player ended with the rescued movie"
echo "the rescued movie played to its end"
xdotool windowactivate --sync "$rescued" key alt+F4
wait "$rescued_player" || true

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
packaged=$(window "^ekPlayer v1.4$")
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
closed "$packaged"

# Ctrl+F, a word, Enter: the first line with it is chosen, the picture is
# paused at its moment and the line outlined; F3 goes to the next one. The
# player reads the text itself; the search waits for its reading to end.
"$EK_PLAYER" "$EK_WORK/text.ekcab" >"$EK_WORK/text-player.log" 2>&1 &
text_player=$!
text_main=$(window "^ekPlayer v1.4$")
sleep 1
"$EK_BUILD/player/ekconvert" search "Справка" "$EK_WORK/text.ekcab" >/dev/null || fail "the text was not read"
xdotool windowactivate --sync "$text_main" key ctrl+f
find=$(window "^Поиск$")
sleep 0.5
xdotool type --delay 40 "Справка"
xdotool key Return
# The search, the seek and the outline take their time in a sanitizer build:
# the screen is looked at until they are there, for up to 20 seconds.
outlined() {
  shot find-outlined
  red=$(convert "$EK_WORK/screen.ppm" -fill black +opaque "rgb(255,48,48)" -fill white -opaque "rgb(255,48,48)" \
    -colorspace gray -format "%[fx:round(mean*w*h)]" info:)
  [ "$red" -ge 200 ]
}
shows() {  # the picture of $2 on the screen pixel for pixel; prints where
  shot "$1"
  python3 "$EK_HERE/find_picture.py" "$EK_WORK/screen.ppm" "$2"
}
within outlined || fail "the found line is not outlined ($red outline pixels)"
xdotool key Escape
# The outline goes after two and a half seconds; the paused picture stays.
sleep 3
read -r tx ty < <(within shows find-hit "$EK_WORK/hit1.ppm") || fail "the picture is not paused at the first line found"
xdotool windowactivate --sync "$text_main" key F3
sleep 3
within shows find-next "$EK_WORK/hit2.ppm" >/dev/null || fail "F3 did not go to the next line found"
echo "Ctrl+F found the line, paused at its moment and outlined it; F3 went to the next"

# Shift+drag around the line on the paused picture: its text is on the
# clipboard and in the selection.
read -r bx by bw bh <<<"$EK_BOX"
xdotool mousemove $((tx + bx - 6)) $((ty + by - 5)) keydown shift mousedown 1
xdotool mousemove $((tx + bx + bw / 2)) $((ty + by + bh / 2)) mousemove $((tx + bx + bw + 6)) $((ty + by + bh + 5))
sleep 0.3
shot copy-selecting
xdotool mouseup 1 keyup shift
has_copied() { copied=$(xclip -o 2>/dev/null) && grep -q "Справка" <<<"$copied"; }
within has_copied || fail "Shift+drag copied \"$copied\""
grep -q "Справка" <<<"$(xclip -o -selection clipboard)" || fail "the clipboard does not hold the text"
echo "Shift+drag copied: $copied"
xdotool windowactivate --sync "$text_main" key alt+F4
wait "$text_player" || true
'
echo "1 passed, 0 failed"
