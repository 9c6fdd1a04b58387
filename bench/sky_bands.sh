#!/bin/sh
# Bands in the finale's sky as the party's video shows it: the flight out
# captured as the master from 100 s, encoded by scripts/party-video.sh and
# decoded again (so that the encoder has settled by 104 s, where the sky
# opens beside the closing face), and in every 8th column of that sky the
# longest run of rows that hold one value, for each of red, green and blue
# (the gradient runs down the screen). Prints the median and the largest
# run of the columns, over every 15th frame from 104 s to the fade to black
# at 109.5 s, in the master, in the party video and in one frame of the
# render itself.
# Run it as: scripts/with-xvfb.sh bench/sky_bands.sh
set -eu
cd "$(dirname "$0")/.."
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT INT TERM

./build/bouncefest-capture --seconds 100-109.5 "$work/master.mp4" >/dev/null
scripts/party-video.sh "$work/master.mp4" "$work/party.mp4" >/dev/null
./build/bouncefest-capture --frames 6324 "$work/frames" >/dev/null

# Rows of one plane of every STEP-th frame from FIRST (the arguments after
# the file), every 8th column of each and only those left and right of the
# room and its face; the longest run per column and frame, then the median
# and the largest of them all.
runs() {
    ffmpeg -nostdin -loglevel error -i "$1" \
        -vf "select=gte(n\\,$2)*not(mod(n\\,$3)),scale=240:1080:flags=neighbor,format=gbrp,extractplanes=$4" \
        -f rawvideo -pix_fmt gray - |
        od -An -v -tu1 -w240 |
        awk '(NR - 1) % 1080 == 0 { for (x in longest) print longest[x]; delete longest; delete last }
             { for (x = 1; x <= NF; x++) { if (x > 62 && x < 188) continue
                   if ($x == last[x]) run[x]++; else run[x] = 1
                   last[x] = $x; if (run[x] > longest[x]) longest[x] = run[x] } }
             END { for (x in longest) print longest[x] }' |
        sort -n | awk '{ runs[NR] = $1 } END { printf "median %d px, largest %d px", runs[int((NR + 1) / 2)], runs[NR] }'
}

for plane in r g b; do
    echo "sky bands, $plane: master $(runs "$work/master.mp4" 240 30 "$plane"); party video $(runs "$work/party.mp4" 120 15 "$plane"); render $(runs "$work/frames/frame-006324.png" 0 1 "$plane")"
done
