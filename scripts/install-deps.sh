#!/usr/bin/env bash
# Installs the Debian packages that building, the demo and the tests need.
# Does nothing when they are all there already.
set -euo pipefail

packages=(
  build-essential cmake pkg-config
  qt6-base-dev qt6-translations-l10n libjpeg62-turbo-dev libmspack-dev libisal-dev libgcab-dev libchm-dev fp-utils
  googletest libgtest-dev libbenchmark-dev
  libtesseract-dev libleptonica-dev tesseract-ocr-rus tesseract-ocr-eng libsqlite3-dev libssl-dev fonts-dejavu-core fonts-liberation2 xclip
  libavcodec-dev libavformat-dev libavutil-dev libswscale-dev libpng-dev ffmpeg
  gcab cabextract xvfb xauth x11-apps x11-utils netpbm python3
  openbox xdotool imagemagick clang libclang-rt-14-dev
  dpkg-dev desktop-file-utils xdg-utils appstream libxml2-utils shared-mime-info libglib2.0-bin lintian man-db bubblewrap
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
