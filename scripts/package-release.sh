#!/bin/sh
# Packs the party release: one folder holding the show, its launcher, the
# run files that it reads, the shared libraries that it needs beyond the
# base system, and the README, as a tar.gz that is the same byte for byte
# whenever it is made from the same tree. Run it from the run folder (the
# repository root).
# Usage: scripts/package-release.sh BUILD_DIR VERSION ARCHIVE
set -eu

build=$1
version=$2
archive=$3
name=$(basename "$archive" .tar.gz)
here=$(dirname "$0")

fail() {
    echo "package-release: $*" >&2
    exit 1
}

# The base system that every machine able to run the show has: glibc, the
# C++ runtime, libGL, the X11 client libraries and what those pull in.
BASE_SYSTEM='^(ld-linux-x86-64\.so\.2|lib(c|m|dl|rt|pthread|resolv)\.so\.[0-9]+|libstdc\+\+\.so\.6|libgcc_s\.so\.1|libGL(X|dispatch)?\.so\.[0-9]+|libX[A-Za-z0-9]*\.so\.[0-9]+|libxcb[a-z0-9-]*\.so\.[0-9]+|lib(bsd|md)\.so\.0)$'

# The files that the program opens by fixed path, then every file that the
# manifests name. A manifest is user-editable: a named file must be a
# plain file under assets/.
run_files() {
    printf '%s\n' config.json assets/textures.json assets/sprites.json assets/sounds.json assets/music.json \
        assets/roboto-thin.ttf assets/shaders/passthrough.vert assets/shaders/balls.frag assets/shaders/peephole.frag
    for manifest in assets/textures.json assets/sounds.json assets/music.json; do
        jq -r '.[][] | objects | .file | strings' "$manifest" || fail "$manifest is not a manifest that jq can read"
    done
}

stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT INT TERM
folder=$stage/$name
mkdir -p "$folder/lib"

run_files >"$stage/run-files"
sort -u "$stage/run-files" | while IFS= read -r file; do
    case "/$file/" in
        */../* | */./*) fail "$file is not a plain path under assets/" ;;
    esac
    case "$file" in
        config.json | assets/?*) ;;
        *) fail "$file is outside assets/" ;;
    esac
    [ -f "$file" ] || fail "$file is missing; build it first (make build)"
    mkdir -p "$folder/$(dirname "$file")"
    cp "$file" "$folder/$file"
done

# The show stripped of its debugging information, the launcher and the README.
strip -o "$folder/bouncefest" "$build/bouncefest"
cp "$here/../release/run.sh" "$folder/run.sh"
sed "s/@VERSION@/$version/g" "$here/../release/README.txt" >"$folder/README.txt"

# Every library that the loader resolves for the show outside the base
# system, under its soname: the executable's run path is $ORIGIN/lib.
ldd "$build/bouncefest" >"$stage/ldd"
if grep -q 'not found' "$stage/ldd"; then
    fail "the build's executable lacks libraries: $(grep 'not found' "$stage/ldd" | tr -s ' \t' ' ')"
fi
awk '$2 == "=>" { print $1, $3 }' "$stage/ldd" | while read -r soname path; do
    if ! echo "$soname" | grep -Eq "$BASE_SYSTEM"; then
        cp -L "$path" "$folder/lib/$soname"
    fi
done

# Fixed order, owners, modes and times; the time is the last commit's.
epoch=${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct 2>/dev/null || echo 0)}
mkdir -p "$(dirname "$archive")"
tar --sort=name --format=gnu --owner=0 --group=0 --numeric-owner --mode='u=rwX,go=rX' --mtime="@$epoch" \
    -C "$stage" -cf - "$name" | gzip -9 -n >"$archive.part"
mv "$archive.part" "$archive"
echo "Wrote $archive ($(stat -c %s "$archive") bytes)"
