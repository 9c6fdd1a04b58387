#!/bin/sh
# Builds the libraries that the Windows show links against (SFML and what it
# needs: OpenAL Soft, FreeType, Ogg, Vorbis, FLAC, and the JSON headers)
# with MinGW-w64, from Debian's own source packages of the versions that this
# machine's archive holds. They go into a cache keyed by those versions, so
# a second build, or another clone, reuses them. Prints the prefix.
# Usage: scripts/build-windows-deps.sh
set -eu

here=$(cd "$(dirname "$0")" && pwd)
jobs=$(nproc)
cache=${XDG_CACHE_HOME:-$HOME/.cache}/bouncefest

# One binary package of each source package; apt-cache tells its source's
# name and version.
BINARIES="libogg-dev libvorbis-dev libflac-dev libfreetype-dev libopenal-dev libsfml-dev nlohmann-json3-dev"

log() {
    echo "build-windows-deps: $*" >&2
}

source_of() {
    apt-cache show --no-all-versions "$1" | awk '
        /^Package:/ { name = $2 }
        /^Version:/ { version = $2 }
        /^Source:/ { name = $2; source_version = $3; gsub(/[()]/, "", source_version) }
        END { print name "=" (source_version != "" ? source_version : version) }'
}

sources=""
for binary in $BINARIES; do
    sources="$sources $(source_of "$binary")"
done
# The key: the sources' versions, the compiler's, and this recipe.
key=$( (echo "$sources"; x86_64-w64-mingw32-g++-posix --version | head -1; cat "$0" "$here/../cmake/mingw-w64.cmake") \
    | sha256sum | cut -c1-16)
prefix=$cache/windows-deps-$key
if [ -f "$prefix/.complete" ]; then
    echo "$prefix"
    exit 0
fi

# A private apt configuration that adds deb-src entries for the archives and
# suites that the machine already uses; the system's own stays as it is.
apt_dir=$cache/apt
mkdir -p "$apt_dir/lists/partial" "$apt_dir/parts"
apt_options="-o Dir::Etc::SourceList=$apt_dir/sources.list -o Dir::Etc::SourceParts=$apt_dir/parts
-o Dir::State::Lists=$apt_dir/lists -o Debug::NoLocking=1"
grep -h '^deb .*debian\.org' /etc/apt/sources.list 2>/dev/null | sed 's/^deb /deb-src /' >"$apt_dir/sources.list" || true
for file in /etc/apt/sources.list.d/*.sources; do
    if [ -f "$file" ]; then
        awk 'BEGIN { RS = ""; ORS = "\n\n" } /debian\.org/ { sub(/Types: deb/, "Types: deb-src"); print }' "$file"
    fi
done >"$apt_dir/parts/debian-src.sources"
# The archive keeps only the files of current releases: where it no longer
# holds a source of this machine's release (OpenAL Soft 1.19.1 today), the
# same package comes from the release after it.
NEXT_RELEASE=trixie
echo "deb-src [signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] http://deb.debian.org/debian $NEXT_RELEASE main" \
    >>"$apt_dir/sources.list"

work=$(mktemp -d "$cache/windows-deps-build.XXXXXX")
trap 'rm -rf "$work"' EXIT INT TERM
stage=$work/prefix
log "fetching sources:$sources"
# shellcheck disable=SC2086
apt-get $apt_options -qq update
cd "$work"

# Fetches a source package (NAME=VERSION or NAME/RELEASE) file by file, each
# checked against the archive's signed index, and unpacks it as
# NAME-VERSION. Where the archive has lost the Debian part and kept the
# upstream tarball (OpenAL Soft today), the tarball alone is unpacked.
fetch_source() {
    # shellcheck disable=SC2086
    apt-get $apt_options -qq source --print-uris "$1" 2>/dev/null | grep "^'" >"$work/uris" || return 1
    complete=yes
    while read -r uri file size hash; do
        /usr/lib/apt/apt-helper -qq download-file "$(echo "$uri" | tr -d "'")" "$file" "$hash" >/dev/null 2>&1 \
            || complete=no
    done <"$work/uris"
    if [ $complete = yes ]; then
        dpkg-source --no-check -x ./"$(awk '/\.dsc /{print $2}' "$work/uris")" >/dev/null
    else
        orig=$(awk '/\.orig\.tar\./ && !/-[a-z0-9]+\.tar|\.asc /{print $2}' "$work/uris")
        [ -n "$orig" ] && [ -f "$orig" ] || return 1
        log "only the upstream tarball $orig is in the archive; building it without the Debian changes"
        tar -xf "$orig"
    fi
}

for source in $sources; do
    fetch_source "$source" || { log "$source is gone from the archive; taking ${source%%=*}/$NEXT_RELEASE";
                                fetch_source "${source%%=*}/$NEXT_RELEASE"; } \
        || { log "no source of ${source%%=*} in the archive"; exit 1; }
done

# One folder per source package: name-upstreamversion.
folder_of() {
    name=${1%%=*}
    find . -maxdepth 1 -type d -name "$name-*" | head -1
}

cmake_build() {
    folder=$(folder_of "$1")
    shift
    log "building $folder"
    cmake -S "$folder" -B "$folder/build-windows" -G "Unix Makefiles" \
        -DCMAKE_TOOLCHAIN_FILE="$here/../cmake/mingw-w64.cmake" -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_INSTALL_PREFIX="$stage" -DCMAKE_PREFIX_PATH="$stage" "$@" >"$folder.log" 2>&1 \
        && cmake --build "$folder/build-windows" -j "$jobs" >>"$folder.log" 2>&1 \
        && cmake --install "$folder/build-windows" >>"$folder.log" 2>&1 \
        || { tail -30 "$folder.log" >&2; log "$folder failed"; exit 1; }
}

# Everything static but OpenAL Soft, which stays a DLL beside the show as
# its licence, the LGPL, expects; the GCC runtime is linked into each file.
cmake_build libogg -DBUILD_SHARED_LIBS=OFF -DINSTALL_DOCS=OFF
cmake_build libvorbis -DBUILD_SHARED_LIBS=OFF
cmake_build flac -DBUILD_SHARED_LIBS=OFF -DBUILD_PROGRAMS=OFF -DBUILD_EXAMPLES=OFF -DBUILD_TESTING=OFF \
    -DBUILD_DOCS=OFF -DBUILD_CXXLIBS=OFF -DINSTALL_MANPAGES=OFF -DWITH_OGG=ON
cmake_build freetype -DBUILD_SHARED_LIBS=OFF -DFT_DISABLE_ZLIB=ON -DFT_DISABLE_BZIP2=ON -DFT_DISABLE_PNG=ON \
    -DFT_DISABLE_HARFBUZZ=ON -DFT_DISABLE_BROTLI=ON
cmake_build openal-soft -DLIBTYPE=SHARED -DALSOFT_UTILS=OFF -DALSOFT_EXAMPLES=OFF -DALSOFT_TESTS=OFF \
    -DALSOFT_INSTALL_CONFIG=OFF -DALSOFT_INSTALL_HRTF_DATA=OFF -DALSOFT_INSTALL_AMBDEC_PRESETS=OFF \
    -DALSOFT_UPDATE_BUILD_VERSION=OFF
cmake_build libsfml -DBUILD_SHARED_LIBS=OFF -DSFML_USE_SYSTEM_DEPS=ON -DSFML_BUILD_NETWORK=OFF \
    -DSFML_BUILD_EXAMPLES=OFF -DSFML_BUILD_DOCS=OFF -DSFML_INSTALL_PKGCONFIG_FILES=OFF
cmake_build nlohmann-json3 -DJSON_BuildTests=OFF

# Each package's licence: its Debian copyright file, or the source's own.
mkdir -p "$stage/licences"
for source in $sources; do
    folder=$(folder_of "$source")
    for licence in "$folder/debian/copyright" "$folder/COPYING"; do
        if [ -f "$licence" ]; then
            cp "$licence" "$stage/licences/${source%%=*}.txt"
            break
        fi
    done
done
echo "$sources" >"$stage/sources"
touch "$stage/.complete"
rm -rf "$prefix"
mv "$stage" "$prefix"
echo "$prefix"
