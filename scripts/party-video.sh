#!/bin/sh
# Encodes the party's delivery video from the 60 fps master: H.264 Main at
# level 4.1, 1920 x 1080 at 30 fps, two passes at a constant 8 Mbit/s (the
# dark and still stretches padded, so that the rate holds throughout, as
# the party asks), the adaptive quantiser leaning towards the dark sky and
# the quantiser keeping small coefficients, as for film grain, since
# otherwise the sky's grain flattens back into bands, AAC stereo at
# 320 kbit/s (the music's silences take far less), its index at the front.
# Usage: scripts/party-video.sh MASTER OUTPUT
set -eu

master=$1
output=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT INT TERM

video="-vf fps=30 -pix_fmt yuv420p -c:v libx264 -preset medium -profile:v main -level:v 4.1
-b:v 8M -minrate 8M -maxrate 8M -bufsize 8M -x264-params nal-hrd=cbr:aq-mode=3:deadzone-inter=6:deadzone-intra=6:no-dct-decimate=1:psy-rd=1.0,0.25:qcomp=0.8 -passlogfile $work/pass"
# shellcheck disable=SC2086
ffmpeg -nostdin -loglevel error -y -i "$master" $video -pass 1 -an -f mp4 /dev/null
# shellcheck disable=SC2086
ffmpeg -nostdin -loglevel error -y -i "$master" $video -pass 2 \
    -c:a aac -b:a 320k -ac 2 -movflags +faststart "$work/party.mp4"
mv "$work/party.mp4" "$output"
echo "Wrote $output"
