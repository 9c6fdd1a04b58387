#!/bin/sh
# Packs the party release: one folder holding the Windows show and its
# DLL, the Linux show with its launcher and the shared libraries that it
# needs beyond the base system, the run files that both read, the README
# and every packed library's licence, as a zip that is the same byte for
# byte whenever it is made from the same tree. Run it from the run folder
# (the repository root).
# Usage: scripts/package-release.sh BUILD_DIR WINDOWS_BUILD_DIR VERSION ARCHIVE
set -eu

build=$1
windows=$2
version=$3
archive=$(realpath -m "$4")
name=$(basename "$archive" .zip)
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
mkdir -p "$folder/lib" "$folder/licences/linux" "$folder/licences/windows"

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
# The party's copy starts full screen: the organisers edit nothing. The
# repository's own stays windowed for development.
jq --indent 4 '.fullscreen = true' config.json >"$folder/config.json" || fail "config.json is not JSON that jq can read"

# The time of every file, the last commit's; strip writes it into a PE
# file's header too.
epoch=${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct 2>/dev/null || echo 0)}
export SOURCE_DATE_EPOCH=$epoch

# The shows stripped of their debugging information, the launcher and the README.
strip -o "$folder/bouncefest" "$build/bouncefest"
for file in bouncefest.exe OpenAL32.dll; do
    [ -f "$windows/$file" ] || fail "$windows/$file is missing; build it first (make windows)"
    x86_64-w64-mingw32-strip -o "$folder/$file" "$windows/$file"
done
cp "$here/../release/run.sh" "$folder/run.sh"
sed "s/@VERSION@/$version/g" "$here/../release/README.txt" >"$folder/README.txt"

# Every library that the loader resolves for the show outside the base
# system, under its soname: the executable's run path is $ORIGIN/lib.
ldd "$build/bouncefest" >"$stage/ldd"
if grep -q 'not found' "$stage/ldd"; then
    fail "the build's executable lacks libraries: $(grep 'not found' "$stage/ldd" | tr -s ' \t' ' ')"
fi
# Each with the licence of the Debian package that it comes from.
awk '$2 == "=>" { print $1, $3 }' "$stage/ldd" | while read -r soname path; do
    if ! echo "$soname" | grep -Eq "$BASE_SYSTEM"; then
        cp -L "$path" "$folder/lib/$soname"
        package=$(dpkg -S "*/$soname" | head -1 | cut -d: -f1)
        cp "/usr/share/doc/$package/copyright" "$folder/licences/linux/$package.txt"
    fi
done

# The Windows libraries' licences, from the cache that they were built in,
# and those of the GCC runtime and MinGW-w64's (winpthread) linked into each file.
cp "$(scripts/build-windows-deps.sh)"/licences/*.txt "$folder/licences/windows/"
for package in gcc-mingw-w64-x86-64-posix-runtime mingw-w64-common; do
    cp "/usr/share/doc/$package/copyright" "$folder/licences/windows/$package.txt"
done

# Fixed order, modes and times.
chmod -R u=rwX,go=rX "$folder"
find "$folder" -exec touch -h -d "@$epoch" {} +
mkdir -p "$(dirname "$archive")"
rm -f "$archive.part"
(cd "$stage" && find "$name" | LC_ALL=C sort | TZ=UTC zip -q -X -9 -@ "$archive.part")
mv "$archive.part" "$archive"
echo "Wrote $archive ($(stat -c %s "$archive") bytes)"
