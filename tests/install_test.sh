#!/usr/bin/env bash
# Installation as a user's system meets it: `cmake --install` into a
# temporary prefix, with the desktop files checked by the desktop's own
# tools; then the Debian package built by CPack, installed with apt-get,
# played from under Xvfb with F1 opening the help, and removed again.
#   install_test.sh BUILD_FOLDER
set -euo pipefail
build=$(cd "$1" && pwd)
work=$(mktemp -d)
package_installed=
cleanup() {
  [ -n "$package_installed" ] && apt-get remove -y -qq ekplayer >/dev/null 2>&1
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*"; exit 1; }
for tool in desktop-file-validate xmllint appstreamcli update-mime-database gio gcab xvfb-run openbox xdotool import convert; do
  command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 0; }
done

# A small movie of our own, as a cabinet.
"$build/tools/moviewriter/ekmoviewrite" --still 320 200 300 "$work/MyFilm.~ekflm" "$work/still.ppm"
(cd "$work" && gcab -c -z movie.ekcab MyFilm.~ekflm >/dev/null)
printf 'MSCF\0\0\0\0not a movie' >"$work/other.cab"

# --- A temporary prefix -----------------------------------------------------
prefix="$work/prefix"
cmake --install "$build" --prefix "$prefix" >/dev/null
private=$(dirname "$(find "$prefix" -name cabinet.dll)")
for file in bin/ekPlayer bin/ekconvert bin/ekpack share/man/man1/ekconvert.1.gz share/doc/ekplayer/copyright \
  share/bash-completion/completions/ekconvert share/zsh/vendor-completions/_ekconvert \
  share/applications/org.example.ekplayer.desktop share/mime/packages/org.example.ekplayer.xml \
  share/metainfo/org.example.ekplayer.metainfo.xml share/thumbnailers/org.example.ekplayer.thumbnailer \
  share/icons/hicolor/scalable/apps/org.example.ekplayer.svg \
  share/icons/hicolor/scalable/mimetypes/application-x-ekplayer-movie.svg; do
  [ -f "$prefix/$file" ] || fail "$file is not installed"
done
[ -e "$prefix/bin/ekcab_Exe" ] && fail "the launcher, no command for users, is in bin"
for file in HHCtrl.OCX ekPlayer.chm ekconvert-video.so ekcab_Exe; do
  [ -f "$private/$file" ] || fail "$file is not in the private library folder $private"
done
for size in 16 32 48 64 128 256; do
  for icon in apps/org.example.ekplayer mimetypes/application-x-ekplayer-movie; do
    png="$prefix/share/icons/hicolor/${size}x${size}/$icon.png"
    [ "$(python3 -c 'import struct,sys; d=open(sys.argv[1],"rb").read(24); print(*struct.unpack(">II", d[16:24]))' "$png")" = "$size $size" ] ||
      fail "$png is not $size x $size"
  done
done
"$prefix/bin/ekPlayer" --help | grep -q "^Usage:" || fail "ekPlayer --help gives no usage"
[ "$("$prefix/bin/ekPlayer" --version)" = "ekPlayer 1.4" ] || fail "ekPlayer --version is not 1.4"
# The installed converter finds the cabinet library and its video module there.
"$prefix/bin/ekconvert" info "$work/movie.ekcab" >/dev/null || fail "the installed ekconvert can't read a cabinet movie"
"$prefix/bin/ekconvert" video "$work/movie.ekcab" "$work/movie.mkv" || fail "the installed ekconvert can't make a video"
# The installed packer takes the installed launcher.
"$prefix/bin/ekpack" "$work/movie.ekcab" "$work/packed.exe" || fail "the installed ekpack can't make a packaged movie"
"$prefix/bin/ekconvert" info "$work/packed.exe" >/dev/null || fail "the packaged movie of the installed ekpack can't be read"
"$prefix/bin/ekpack" --help | grep -q "^usage: ekpack" || fail "ekpack --help says no usage"
MANPAGER=cat man -l "$prefix/share/man/man1/ekconvert.1.gz" | grep -q "thumbnail" || fail "the manual page of ekconvert can't be read"

desktop-file-validate "$prefix/share/applications/org.example.ekplayer.desktop" || fail "the desktop entry is not valid"
xmllint --noout "$prefix/share/mime/packages/org.example.ekplayer.xml" || fail "the MIME package is not well-formed"
appstreamcli validate --no-net "$prefix/share/metainfo/org.example.ekplayer.metainfo.xml" >/dev/null ||
  fail "the AppStream metadata is not valid"
update-mime-database "$prefix/share/mime" >/dev/null 2>&1
export XDG_DATA_DIRS="$prefix/share:/usr/share"
# The type as desktops see it (GLib reads the MIME database's globs and
# magic); xdg-mime outside a desktop session asks file(1), which has no globs.
filetype() { gio info -a standard::content-type "$1" | sed -n 's/^ *standard::content-type: //p'; }
[ "$(filetype "$work/movie.ekcab")" = application/x-ekplayer-cabinet ] ||
  fail "a .ekcab is $(filetype "$work/movie.ekcab")"
[ "$(filetype "$work/MyFilm.~ekflm")" = application/x-ekplayer-movie ] || fail "a .~ekflm is not a movie file"
# Other cabinets stay what they are, with or without their extension.
cp "$work/other.cab" "$work/other"
for other in other.cab other; do
  [ "$(filetype "$work/$other")" = application/vnd.ms-cab-compressed ] ||
    fail "$other became $(filetype "$work/$other")"
done
# The player is offered for its own types alone: other cabinets and programs
# keep the programs they had.
update-desktop-database "$prefix/share/applications" >/dev/null 2>&1
export PATH="$prefix/bin:$PATH"  # the entry is shown only when its TryExec is found
for type in application/x-ekplayer-cabinet application/x-ekplayer-movie; do
  grep -q "org.example.ekplayer.desktop" <<<"$(gio mime "$type")" || fail "the player is not offered for $type"
done
for type in application/vnd.ms-cab-compressed application/x-msdownload application/x-ms-dos-executable; do
  grep -q "org.example.ekplayer.desktop" <<<"$(gio mime "$type")" && fail "the player claims $type"
done
unset XDG_DATA_DIRS
echo "a temporary prefix holds every file, and the desktop's tools accept them"

# --- The Debian package -----------------------------------------------------
if [ "$(id -u)" != 0 ] || ! command -v apt-get >/dev/null || ! command -v dpkg-shlibdeps >/dev/null; then
  echo "SKIP: the package is installed only as root with apt-get and dpkg-shlibdeps"
  exit 0
fi
if dpkg-query -W -f='${Status}' ekplayer 2>/dev/null | grep -q "ok installed"; then
  echo "SKIP: a package ekplayer is installed already"
  exit 0
fi
(cd "$work" && cpack -G DEB --config "$build/CPackConfig.cmake" >"$work/cpack.log" 2>&1) ||
  fail "cpack failed: $(cat "$work/cpack.log")"
deb=$(ls "$work"/ekplayer_*.deb)
depends=$(dpkg-deb -f "$deb" Depends)
for library in libqt6widgets6 libjpeg62-turbo libmspack0 libgcab-1.0-0 libchm1 libavcodec libswscale; do
  grep -q "$library" <<<"$depends" || fail "the package does not depend on $library: $depends"
done
if command -v lintian >/dev/null; then
  lintian --suppress-tags running-with-root-privileges "$deb" >"$work/lintian.log" 2>&1 || true
  grep -q "^[EW]:" "$work/lintian.log" && fail "lintian: $(grep "^[EW]:" "$work/lintian.log")"
  echo "lintian reports no error and no warning"
fi
dpkg-deb -c "$deb" >"$work/contents"
grep -q '/usr/lib/.*ekPlayer/cabinet.dll' "$work/contents" || fail "cabinet.dll is not in the package's private folder"
package_installed=yes
apt-get install -y -qq "$deb" >/dev/null 2>&1 || fail "apt-get could not install $deb"
[ "$(/usr/bin/ekPlayer --version)" = "ekPlayer 1.4" ] || fail "ekPlayer --version says $(/usr/bin/ekPlayer --version)"
files=$(dpkg -L ekplayer)

# Installed, the player has its own types and no other: what gio and
# xdg-open (under GNOME and outside a desktop) take as the default program.
[ "$(filetype "$work/movie.ekcab")" = application/x-ekplayer-cabinet ] || fail "installed, a .ekcab is $(filetype "$work/movie.ekcab")"
for desktop in "" GNOME; do
  [ "$(XDG_CURRENT_DESKTOP=$desktop xdg-mime query default application/x-ekplayer-cabinet)" = org.example.ekplayer.desktop ] ||
    fail "xdg-open (desktop '$desktop') does not open movies with the player"
  for type in application/vnd.ms-cab-compressed application/x-msdownload application/x-ms-dos-executable; do
    [ "$(XDG_CURRENT_DESKTOP=$desktop xdg-mime query default "$type")" = org.example.ekplayer.desktop ] &&
      fail "xdg-open (desktop '$desktop') opens $type with the player"
    grep -q "org.example.ekplayer.desktop" <<<"$(gio mime "$type")" && fail "gio offers the player for $type"
  done
done
MANPAGER=cat man ekconvert 2>/dev/null | grep -q "thumbnail" || man -w ekconvert >/dev/null 2>&1 ||
  fail "man ekconvert finds no page"
echo "installed, the player has its own types alone, and its manual pages"

# The installed player plays the movie, and F1 opens its help; its temporary
# folder is its own, not the one other tests' players share.
mkdir -m 700 "$work/tmp"
TMPDIR="$work/tmp" xvfb-run -a -s "-screen 0 1280x800x24" bash -c '
  openbox >/dev/null 2>&1 &
  sleep 1
  /usr/bin/ekPlayer "$1" >/dev/null 2>&1 &
  player=$!
  main=$(timeout 20 xdotool search --sync --onlyvisible --name "^ekPlayer v1.4$" | head -n 1) || exit 3
  sleep 2
  import -window root "$2/screen.png"
  convert "$2/screen.png" "$2/screen.ppm"
  python3 "$3/find_picture.py" "$2/screen.ppm" "$2/still.ppm" >/dev/null || exit 6
  xdotool windowactivate --sync "$main" key F1
  timeout 20 xdotool search --sync --onlyvisible --name "ekPlayer: справка" >/dev/null || exit 4
  kill -0 "$player" || exit 5
  kill "$player"
' _ "$work/movie.ekcab" "$work" "$(dirname "$0")" || fail "the installed player did not play the movie and open its help (step $?)"
echo "the installed package plays a movie and opens its help"

apt-get remove -y -qq ekplayer >/dev/null 2>&1 || fail "apt-get could not remove the package"
package_installed=
while read -r path; do
  [ -f "$path" ] || [ -L "$path" ] && fail "$path is left after removal"
done <<<"$files"
[ -e /usr/lib/x86_64-linux-gnu/ekPlayer ] || [ -e /usr/lib/ekPlayer ] && fail "the private library folder is left after removal"
dpkg-query -W ekplayer >/dev/null 2>&1 && fail "the package database still knows ekplayer: $(dpkg-query -W -f='${Status}' ekplayer)"
echo "removing the package leaves none of its files"
