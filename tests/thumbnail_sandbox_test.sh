#!/usr/bin/env bash
# The thumbnailer as GNOME's thumbnail factory runs it: inside bubblewrap,
# with nothing but a fresh folder of the factory's own to write to, which the
# factory removes afterwards. The thumbnail of a movie, of a damaged movie and
# of a program that is no movie must leave nothing in it but the thumbnail.
# Usage: thumbnail_sandbox_test.sh BUILD_FOLDER
set -euo pipefail
build=$(cd "$1" && pwd)
command -v bwrap >/dev/null || { echo "SKIP: bwrap is not installed"; exit 0; }
bwrap --ro-bind / / --unshare-all true 2>/dev/null || { echo "SKIP: bwrap can't make a sandbox here"; exit 0; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAILED: $*"; exit 1; }

"$build/tools/moviewriter/ekmoviewrite" --still 64 48 3 "$work/MyFilm.~ekflm" "$work/still.ppm" >/dev/null
(cd "$work" && gcab -c -z movie.ekcab MyFilm.~ekflm >/dev/null)
head -c 700 "$work/movie.ekcab" >"$work/damaged.ekcab"
{ printf 'MZ'; head -c 200000 /dev/zero; printf '\x10\x00\x00\x00'; } >"$work/program.exe"

thumbnail() {  # INPUT: runs the thumbnailer as the factory does; prints what its folder holds after
  # The build and the input are bound outside the sandbox's /tmp, so that no
  # mount point lands in the factory's folder.
  local input=$1 folder
  folder=$(mktemp -d "$work/gnome-desktop-thumbnailer-XXXXXX")
  local binds=()
  for path in /usr /etc /lib /lib64 /bin; do
    [ -L "$path" ] && binds+=(--symlink "$(readlink "$path")" "$path") || { [ -e "$path" ] && binds+=(--ro-bind "$path" "$path"); }
  done
  bwrap "${binds[@]}" --proc /proc --dev /dev --chdir / --unshare-all --die-with-parent \
    --bind "$folder" /tmp --ro-bind "$build" /run/build --ro-bind "$input" "/run/input/${input##*/}" \
    --setenv TMPDIR /tmp --setenv GIO_USE_VFS local \
    /run/build/player/ekconvert thumbnail "/run/input/${input##*/}" /tmp/gnome-desktop-file-to-thumbnail.png --size 128 \
    >/dev/null 2>&1 || true
  (cd "$folder" && find . -mindepth 1 | sort | tr '\n' ' ')
}

left=$(thumbnail "$work/movie.ekcab")
[ "$left" = "./gnome-desktop-file-to-thumbnail.png " ] || fail "a movie's thumbnail left: $left"
for input in damaged.ekcab program.exe; do
  left=$(thumbnail "$work/$input")
  [ -z "$left" ] || fail "the thumbnail of $input left: $left"
done
echo "in the sandbox, the thumbnailer leaves nothing but its thumbnail"
