#!/bin/sh
# Encodes the party's delivery video from the 60 fps master: H.264 Main at
# level 4.1, 1920 x 1080 at 30 fps, two passes at 8 Mbit/s, AAC stereo at
# 192 kbit/s, its index at the front.
# Usage: scripts/party-video.sh MASTER OUTPUT
set -eu

master=$1
output=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT INT TERM

video="-vf fps=30 -pix_fmt yuv420p -c:v libx264 -preset medium -profile:v main -level:v 4.1
-b:v 8M -maxrate 12M -bufsize 16M -passlogfile $work/pass"
# shellcheck disable=SC2086
ffmpeg -nostdin -loglevel error -y -i "$master" $video -pass 1 -an -f mp4 /dev/null
# shellcheck disable=SC2086
ffmpeg -nostdin -loglevel error -y -i "$master" $video -pass 2 \
    -c:a aac -b:a 192k -ac 2 -movflags +faststart "$work/party.mp4"
mv "$work/party.mp4" "$output"
echo "Wrote $output"
