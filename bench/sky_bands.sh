#!/bin/sh
# Bands in the finale's sky as the party's video shows it: a stretch of the
# flight out captured as the master, encoded by scripts/party-video.sh, one
# frame decoded, and in every 8th column of the sky beside the closing face
# the longest run of rows that hold one value, for each of red, green and
# blue (the gradient runs down the screen). Prints the median and the
# largest run of the columns, in the decoded video and in the render itself.
# Run it as: scripts/with-xvfb.sh bench/sky_bands.sh
set -eu
cd "$(dirname "$0")/.."
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT INT TERM

./build/bouncefest-capture --seconds 104-107 "$work/master.mp4" >/dev/null
scripts/party-video.sh "$work/master.mp4" "$work/party.mp4" >/dev/null
# The party video's 43rd frame, inside its first group of pictures, is the
# show's frame 6324.
./build/bouncefest-capture --frames 6324 "$work/frames" >/dev/null

# Rows of one plane, one line of 1920 values each, for the columns left and
# right of the room and its face; the longest run per column, then the median
# and the largest of all columns.
runs() {
    ffmpeg -nostdin -loglevel error -i "$1" -vf "select=eq(n\\,$2),format=gbrp,extractplanes=$3" -frames:v 1 \
        -f rawvideo -pix_fmt gray - |
        od -An -v -tu1 -w1920 |
        awk '{ for (x = 1; x <= NF; x += 8) { if (x > 560 && x < 1500) continue
                   if ($x == last[x]) run[x]++; else run[x] = 1
                   last[x] = $x; if (run[x] > longest[x]) longest[x] = run[x] } }
             END { for (x in longest) print longest[x] }' |
        sort -n | awk '{ runs[NR] = $1 } END { printf "median %d px, largest %d px", runs[int((NR + 1) / 2)], runs[NR] }'
}

for plane in r g b; do
    echo "sky bands, $plane: master $(runs "$work/master.mp4" 84 "$plane"); party video $(runs "$work/party.mp4" 42 "$plane"); render $(runs "$work/frames/frame-006324.png" 0 "$plane")"
done
