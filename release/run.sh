#!/bin/sh
# Starts the show from this folder, wherever it is called from: the show
# reads config.json and assets/ from its current directory.
set -e
cd "$(dirname "$(readlink -f "$0")")"
exec ./bouncefest "$@"
