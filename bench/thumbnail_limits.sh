#!/usr/bin/env bash
# The thumbnailer on hostile files, as a file manager runs it on downloads:
# for each, the time, the peak memory and what is left in the temporary
# folder afterwards (measured with /usr/bin/time -v).
# Usage: bash bench/thumbnail_limits.sh [BUILD_FOLDER]
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export TMPDIR="$work/tmp"
mkdir -p "$TMPDIR" "$work/in"
cd "$work/in"

python3 - <<'PY'
import os, struct, subprocess
def segment_head(shapes, width, height, frame_bytes, frames, rate=10):
    info = struct.pack('<iiiiBiB', frame_bytes, 0, width, height, 32, frames, rate) + bytes(256)
    return struct.pack('<i', len(shapes)) + b''.join(shapes) + info
def movie(segments):
    table = b''.join(bytes(256) + struct.pack('<iB', 1, 10) for _ in segments)
    return struct.pack('<i', len(segments)) + table + b''.join(segments)
# A gigabyte of empty frames in one segment, written sparse, then cabinets of it.
with open('MyFilm.~ekflm', 'wb') as f:
    f.write(movie([segment_head([], 64, 64, 1 << 30, 0)]))
    f.truncate(f.tell() + (1 << 30))
subprocess.run(['gcab', '-c', '-z', 'bomb.ekcab', 'MyFilm.~ekflm'], check=True)
data = open('bomb.ekcab', 'rb').read()
open('damaged-bomb.ekcab', 'wb').write(data[:len(data) * 3 // 4])
os.remove('MyFilm.~ekflm')
# 400 cursor shapes declaring megapixel colour images with a byte each.
mask = struct.pack('<iiiB', 128, 32, 32, 1) + bytes(128)
shape = struct.pack('<ii', 0, 0) + mask + struct.pack('<iiiB', 1, 1024, 1024, 32) + b'\0'
os.mkdir('shapes')
open('shapes/MyFilm.~ekflm', 'wb').write(movie([segment_head([shape] * 400, 64, 64, 16, 1)]) + struct.pack('<ii', 8, 0) * 2)
subprocess.run(['gcab', '-c', '-z', '../shapes.ekcab', 'MyFilm.~ekflm'], check=True, cwd='shapes')
# A large program that is no packaged movie.
with open('program.exe', 'wb') as f:
    f.write(b'MZ' + os.urandom(1 << 20))
    f.truncate(600 << 20)
PY
mkfifo pipe.~ekflm
ln -s /dev/urandom endless.~ekflm
"$build/tools/moviewriter/ekmoviewrite" --still 8192 8192 2 wide.~ekflm wide.ppm >/dev/null
rm -f wide.ppm
"$build/tools/moviewriter/ekmoviewrite" --still 1920 1080 2 hd.~ekflm hd.ppm >/dev/null
rm -f hd.ppm
# Another program holds a lock on a packaged movie.
cp bomb.ekcab locked.ekcab
flock locked.ekcab sleep 60 &
locker=$!

printf '| input | size | exit | time (s) | peak memory (MB) | files left | message |\n|---|---|---|---|---|---|---|\n'
for file in bomb.ekcab damaged-bomb.ekcab shapes.ekcab program.exe pipe.~ekflm endless.~ekflm locked.ekcab \
            wide.~ekflm hd.~ekflm; do
  size=$(du -k --apparent-size "$file" 2>/dev/null | cut -f1)
  set +e
  /usr/bin/time -v -o time.txt timeout 60 "$build/player/ekconvert" thumbnail "$file" out.png 2>err.txt
  status=$?
  set -e
  seconds=$(sed -n 's/.*Elapsed (wall clock) time (h:mm:ss or m:ss): //p' time.txt | awk -F: '{print $(NF-1)*60+$NF}')
  peak=$(sed -n 's/.*Maximum resident set size (kbytes): //p' time.txt)
  left=$(find "$TMPDIR" -mindepth 1 | wc -l)
  reason=$(head -c 90 err.txt | tr "|\n" "  ")
  printf "| %s | %s KB | %s | %s | %s | %s | %s |\n" "$file" "$size" "$status" "$seconds" "$((peak / 1024))" "$left" "$reason"
  rm -f out.png
done
kill "$locker" 2>/dev/null || true
