#!/bin/bash
# Usage: tools/package.sh gp2x|handheld [--toolchain FILE]
#        tools/package.sh deb [--no-root]
# Builds Vesperalia for a handheld and packs it, then checks the package
# (tools/package/check.sh):
#   gp2x      dist/vesperalia-gp2x.zip: the folder vesperalia/ with the game, data/, lang/,
#             licenses/, the menu launcher vesperalia.gpe and its icon (GP2X family).
#   handheld  the community package manager's port for today's aarch64 handhelds, in its
#             two forms: dist/portmaster/vesperalia/, the submission to the manager's port
#             repository (port.json, README.md, gameinfo.xml, screenshot.png and
#             Vesperalia.sh beside the game folder vesperalia/), and dist/vesperalia.zip,
#             the install zip made from it. The SDL add-ons go inside the game
#             (tools/cross/make-addons.sh); libs.aarch64/ holds the SDL 1.2 layer over the
#             firmware's SDL2 (tools/cross/make-layer.sh). port.json's min_glibc is what
#             objdump -T finds, and must be 2.30 or lower. Checked on two firmware-like
#             roots (tools/cross/make-firmware-root.sh).
# Every bundled library goes with its Debian package's copyright file in licenses/, and
# so does the game's own LICENSE. FILE is a CMake toolchain file (default
# tools/cross/toolchain-armel.cmake for gp2x, tools/cross/toolchain-arm64.cmake for
# handheld, whose system roots are made with tools/cross/make-sysroot.sh when missing;
# with another one the handheld game links its toolchain's add-ons and the package
# carries them). Builds in build-pkg*/, writes only dist/.
#   deb       dist/vesperalia_VERSION_ARCH.deb for this machine's Debian (tools/deb/make-deb.sh).
set -euo pipefail
[ "${1:-}" = deb ] && shift && exec "$(dirname "$0")/deb/make-deb.sh" "$@"

say() { echo "package: $*"; }
die() {
    echo "package: $*" >&2
    exit 1
}

target=${1:-}
[ $# -gt 0 ] && shift
toolchain=""
while [ $# -gt 0 ]; do
    case "$1" in
    --toolchain)
        [ $# -ge 2 ] || die "--toolchain needs a file"
        toolchain=$2
        shift 2
        ;;
    *) die "unknown argument '$1' (usage: tools/package.sh gp2x|handheld [--toolchain FILE])" ;;
    esac
done
case "$target" in
gp2x) arch=armel triplet=arm-linux-gnueabi ;;
handheld) arch=arm64 triplet=aarch64-linux-gnu ;;
*) die "usage: tools/package.sh gp2x|handheld [--toolchain FILE], or tools/package.sh deb [--no-root]" ;;
esac
if [ -n "$toolchain" ]; then
    [ -f "$toolchain" ] || die "no toolchain file '$toolchain'"
    toolchain=$(cd "$(dirname "$toolchain")" && pwd)/$(basename "$toolchain")
fi

cd "$(dirname "$0")/.."
root=$(pwd)
started=$(date +%s)

# Debian packages: the native build's, and the cross compilers, emulator and archivers;
# only the missing ones are installed.
./tools/install-deps.sh zip unzip qemu-user-static g++-aarch64-linux-gnu g++-arm-linux-gnueabi \
    binutils-aarch64-linux-gnu binutils-arm-linux-gnueabi >/dev/null ||
    die "cannot install the Debian packages packaging needs"

if [ -z "$toolchain" ]; then
    toolchain=$root/tools/cross/toolchain-$arch.cmake
    [ -f "$toolchain" ] || die "no $toolchain: the cross-build files are missing"
    ./tools/cross/make-sysroot.sh "$arch" >/dev/null || die "cannot make the $arch system root"
    default_sysroot=$root/build-cross/$arch/sysroot
else
    default_sysroot=""
fi

build=$root/build-pkg-$target
stage=$build/stage
mkdir -p "$build"
mkdir -p dist

# The cross build; prints nothing unless it fails. Extra cmake arguments come from the
# array cmake_extra.
cmake_extra=()
cross_build() { # DIR TARGETS...
    local dir=$1
    shift
    local log=$dir.log
    # Configured afresh each time: the toolchain file's flags only reach a new cache.
    rm -f "$dir/CMakeCache.txt"
    if ! CXXFLAGS="${cross_cxxflags:-}" cmake -S "$root" -B "$dir" -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
        -DVESPERALIA_PLATFORM="$target" -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_PROJECT_INCLUDE="$root/tools/package/sysroot.cmake" \
        -DGTest_DIR="$root/tools/package/no-tests" "${cmake_extra[@]}" >"$log" 2>&1; then
        tail -n 20 "$log" >&2
        die "configuring the $target build failed (log: ${log#$root/})"
    fi
    if ! cmake --build "$dir" -j2 --target "$@" >>"$log" 2>&1; then
        grep -E 'error|undefined reference|cannot find' "$log" | head -n 20 >&2
        die "building $* for $target failed (log: ${log#$root/})"
    fi
}

cache_value() { # DIR NAME
    sed -n "s/^$2:[A-Z]*=//p" "$1/CMakeCache.txt" | head -n 1
}

# The libraries a program needs beyond glibc's (and beyond the ones named in $2, which the
# device provides), found by following DT_NEEDED through the system root; one
# "soname=path" a line.
glibc_libs="ld-linux-aarch64.so.1 ld-linux.so.3 ld-linux-armhf.so.3 libc.so.6 libm.so.6
libpthread.so.0 libdl.so.2 librt.so.1 libresolv.so.2 libutil.so.1 libanl.so.1 libnsl.so.1
libBrokenLocale.so.1"
lib_dirs="lib/$triplet usr/lib/$triplet lib usr/lib"
find_lib() { # SYSROOT SONAME -> path
    local d
    for d in $lib_dirs; do
        [ -e "$1/$d/$2" ] && { echo "$1/$d/$2"; return 0; }
    done
    return 1
}
needed_closure() { # SYSROOT "PROVIDED SONAMES" BINARY...
    local sysroot=$1 provided=" $(echo $glibc_libs $2) " queue seen=" " lib path d
    shift 2
    queue=$(readelf -d "$@" | sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p')
    while [ -n "$queue" ]; do
        set -- $queue
        lib=$1
        shift
        queue="$*"
        case "$seen$provided" in *" $lib "*) continue ;; esac
        seen="$seen$lib "
        path=$(find_lib "$sysroot" "$lib") || die "$lib, needed by the game, is not in $sysroot"
        echo "$lib=$path"
        # Its own search path (libpulse keeps a private library in a folder of its own).
        for d in $(readelf -d "$path" | sed -n 's/.*(R[UN]*PATH).*\[\(.*\)\]/\1/p' | tr ':' ' '); do
            case " $lib_dirs " in *" ${d#/} "*) ;; *) lib_dirs="$lib_dirs ${d#/}" ;; esac
        done
        queue="$queue $(readelf -d "$path" | sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p' | tr '\n' ' ')"
    done
}
bundle_libs() { # DEST SONAME=PATH...
    local dest=$1 lib
    shift
    mkdir -p "$dest"
    for lib in "$@"; do
        cp -L "${lib#*=}" "$dest/${lib%%=*}"
    done
}

# The copyright file of the Debian package each library came from, in DEST/PACKAGE/,
# and DEST/libraries.txt naming each library's package and version.
bundle_licences() { # DEST PACKAGES-DIR SONAME=PATH...
    local dest=$1 info=$2 lib real rel list pkg from
    shift 2
    mkdir -p "$dest"
    for lib in "$@"; do
        real=$(readlink -f "${lib#*=}")
        rel=${real#"$(readlink -f "$info/..")"/}
        list=$(grep -lxF "./$rel" "$info"/*.list || true)
        list=${list%%$'\n'*}
        [ -n "$list" ] || die "no Debian package in ${info#$root/} holds $rel: its licence is unknown"
        pkg=$(basename "$list" .list)
        from=$pkg
        [ -f "$info/$from.copyright" ] || from=$(cat "$info/$pkg.copyright-in" 2>/dev/null || true)
        [ -s "$info/$from.copyright" ] || die "no copyright file for the Debian package $pkg (${lib%%=*})"
        mkdir -p "$dest/$pkg"
        cp "$info/$from.copyright" "$dest/$pkg/copyright"
        echo "${lib%%=*} $pkg $(cat "$info/$pkg.version" 2>/dev/null)" >>"$dest/libraries.txt"
    done
}

# The SDL 1.2 layer over SDL2 for firmwares that have SDL2 only, as
# tools/cross/make-layer.sh makes it in build-cross/arm64/layer/lib.
bundle_sdl12_layer() { # LIBDIR LICENCES
    local layer=$root/build-cross/arm64/layer/lib pkg
    ./tools/cross/make-layer.sh >/dev/null || die "cannot make the SDL 1.2 layer (tools/cross/make-layer.sh)"
    cp "$layer/libSDL-1.2.so.0" "$1/libSDL-1.2.so.0"
    pkg=$(cut -d' ' -f1 "$layer/version")
    mkdir -p "$2/$pkg"
    cp "$layer/copyright" "$2/$pkg/copyright"
    echo "libSDL-1.2.so.0 $(cat "$layer/version") (sdl12-compat from Debian 13, its libdl calls at GLIBC_2.17)" >>"$2/libraries.txt"
}

# The game's own licence, in licenses/vesperalia/ beside the libraries'.
game_licence() { # LICENCES
    [ -s "$root/LICENSE" ] || die "no LICENSE file in the source tree: the game's licence is missing"
    mkdir -p "$1/vesperalia"
    cp "$root/LICENSE" "$1/vesperalia/LICENSE"
}

copy_game_files() { # DEST
    cp -r "$root/data" "$root/lang" "$1/"
}

release_date=$(git -C "$root" log -1 --format=%cd --date=format:%Y%m%d 2>/dev/null || date +%Y%m%d)

# The firmwares the package manager lists a port on, by the glibc it takes each to have;
# it takes 2.30 for one it does not recognise.
FIRMWARE_GLIBC="ArkOS=2.30 muOS=2.38 Knulli=2.38 ROCKNIX=2.40"
UNKNOWN_FIRMWARE_GLIBC=2.30
version_le() { [ "$(printf '%s\n%s\n' "$1" "$2" | sort -V | head -n 1)" = "$1" ]; }
# The highest GLIBC_ version that objdump -T finds in FILES.
glibc_needed() { # FILES...
    local f
    for f in "$@"; do
        "$triplet-objdump" -T "$f" || die "$triplet-objdump cannot read $f"
    done | grep -o 'GLIBC_[0-9][0-9.]*' | sed 's/GLIBC_//' | sort -uV | tail -n 1
}
# "ArkOS (glibc 2.30), muOS (glibc 2.38), ..." for those whose glibc is VERSION or later.
firmwares_admitted() { # VERSION
    local f list=""
    for f in $FIRMWARE_GLIBC; do
        version_le "$1" "${f#*=}" && list="$list, ${f%=*} (glibc ${f#*=})"
    done
    version_le "$1" "$UNKNOWN_FIRMWARE_GLIBC" &&
        list="$list and every firmware the package manager does not recognise (taken as $UNKNOWN_FIRMWARE_GLIBC)"
    echo "${list#, }"
}

# The match the catalogue shows: the game's own drawing, enlarged twice, after the first
# player has opened a few coffins against the computer.
SCREENSHOT_SCENE=(-scale 2 -seed 6 -keys "+30 space +20 space +200 right*10 space +200 down*10 space +200 left*20 space +200 up*15 space +200")

package_handheld() {
    local addons=$root/build-cross/arm64/addons/lib
    if [ -n "$default_sysroot" ]; then
        ./tools/cross/make-addons.sh >/dev/null || die "cannot make the SDL add-ons (tools/cross/make-addons.sh)"
        # SDL_image (PNG), SDL_ttf with FreeType and SDL_mixer (WAV) go inside the game, with
        # libpng and zlib: firmwares have a zlib of their own, which one in libs.aarch64 would
        # replace for the firmware's own drivers too.
        local d=$default_sysroot/usr/lib/$triplet
        cmake_extra=("-DSDL_IMAGE_LIB=$addons/libSDL_image.a;$d/libpng16.a;$d/libz.a"
            "-DSDL_TTF_LIB=$d/libSDL_ttf.a;$addons/libfreetype.a" "-DSDL_MIXER_LIB=$addons/libSDL_mixer.a")
    fi
    say "building the aarch64 game, profile tool and screenshot program in ${build#$root/}/cross"
    cross_build "$build/cross" vesperalia vesperalia-profile vesperalia-screenshot
    ./tools/cross/make-firmware-root.sh >/dev/null || die "cannot make the firmware-like roots for the check"
    local sysroot strip
    sysroot=$(cat "$build/cross/vesperalia-sysroot.txt")
    strip=$(cache_value "$build/cross" CMAKE_STRIP)
    [ -d "$sysroot" ] || die "the toolchain names no system root (CMAKE_SYSROOT)"

    # The test command's build/ serves when it is a plain desktop build of this tree (brought
    # up to date here); otherwise a build of its own.
    local native=$build/native
    if [ -f "$root/build/CMakeCache.txt" ] && [ "$(cache_value "$root/build" CMAKE_HOME_DIRECTORY)" = "$root" ] &&
        [ -z "$(cache_value "$root/build" CMAKE_TOOLCHAIN_FILE)" ] && [ "$(cache_value "$root/build" SANITIZE)" != ON ] &&
        case "$(cache_value "$root/build" VESPERALIA_PLATFORM)" in "" | desktop) true ;; *) false ;; esac; then
        native=$root/build
    else
        cmake -S "$root" -B "$native" -DCMAKE_BUILD_TYPE=Release >"$build/native.log" 2>&1 ||
            die "configuring the screenshot program failed (log: ${build#$root/}/native.log)"
    fi
    say "building the screenshot program for this machine in ${native#$root/}"
    cmake --build "$native" -j2 --target vesperalia-screenshot >>"$build/native.log" 2>&1 ||
        die "building the screenshot program failed (log: ${build#$root/}/native.log)"

    # The submission: the metadata beside the launcher and the game folder.
    rm -rf "$stage"
    local port=$stage/vesperalia
    local game=$port/vesperalia
    mkdir -p "$game"
    install -m 755 "$root/tools/package/Vesperalia.sh" "$port/Vesperalia.sh"
    install -m 755 "$build/cross/vesperalia" "$game/vesperalia.aarch64"
    install -m 755 "$build/cross/vesperalia-profile" "$game/vesperalia-profile.aarch64"
    [ -n "$strip" ] && "$strip" "$game/vesperalia.aarch64" "$game/vesperalia-profile.aarch64"
    copy_game_files "$game"
    cp "$root/tools/package/vesperalia.gptk" "$game/"
    sed "s/@RELEASEDATE@/$release_date/" "$root/tools/package/gameinfo.xml" >"$port/gameinfo.xml"

    local libs
    # SDL 1.2 is the layer, added below; SDL2 is the firmware's own, which knows the
    # device's screen and pad. With the add-ons inside the game nothing else is left.
    libs=$(needed_closure "$sysroot" "libSDL-1.2.so.0 libSDL2-2.0.so.0" "$game/vesperalia.aarch64" "$game/vesperalia-profile.aarch64")
    mkdir -p "$game/libs.aarch64" "$game/licenses"
    # shellcheck disable=SC2086
    [ -z "$libs" ] || bundle_libs "$game/libs.aarch64" $libs
    # shellcheck disable=SC2086
    [ -z "$libs" ] || bundle_licences "$game/licenses" "$sysroot/.packages" $libs
    bundle_sdl12_layer "$game/libs.aarch64" "$game/licenses"
    if [ -n "$default_sysroot" ]; then
        # The licences of what the game carries inside.
        local info=$default_sysroot/.packages pkg
        cp -r "$addons/licences/." "$game/licenses/"
        for pkg in libsdl-ttf2.0-0 libpng16-16 zlib1g; do
            mkdir -p "$game/licenses/$pkg"
            cp "$info/$pkg.copyright" "$game/licenses/$pkg/copyright" || die "no copyright file of $pkg in the sysroot"
        done
        {
            sed 's/)$/; inside the game)/' "$addons/libraries.txt"
            echo "libSDL_ttf.a libsdl-ttf2.0-0 $(cat "$info/libsdl-ttf2.0-0.version") (Debian 11; inside the game)"
            echo "libpng16.a libpng16-16 $(cat "$info/libpng16-16.version") (Debian 11; inside the game)"
            echo "libz.a zlib1g $(cat "$info/zlib1g.version") (Debian 11; inside the game)"
        } >>"$game/licenses/libraries.txt"
    fi
    game_licence "$game/licenses"
    say "bundled $(ls "$game/libs.aarch64" | wc -l) libraries in libs.aarch64 ($(du -sh "$game/libs.aarch64" | cut -f1)): $(ls "$game/libs.aarch64" | tr '\n' ' ')"

    # What the package needs of the firmware's glibc, measured; ArkOS, the oldest, must list it.
    local min_glibc
    min_glibc=$(glibc_needed "$game/vesperalia.aarch64" "$game/vesperalia-profile.aarch64" "$game/libs.aarch64"/*)
    [ -n "$min_glibc" ] || die "objdump -T found no GLIBC_ version in the package"
    version_le "$min_glibc" "$UNKNOWN_FIRMWARE_GLIBC" ||
        die "the package needs glibc $min_glibc: above $UNKNOWN_FIRMWARE_GLIBC, so ArkOS and unrecognised firmwares would not list it"
    say "the package needs glibc $min_glibc (port.json's min_glibc)"
    /usr/bin/python3 -c 'import json, sys
port = json.load(open(sys.argv[1]))
port["attr"]["min_glibc"] = sys.argv[3]
with open(sys.argv[2], "w") as f:
    json.dump(port, f, indent=4)
    f.write("\n")' "$root/tools/package/port.json" "$port/port.json" "$min_glibc" || die "cannot write port.json"
    local admitted
    admitted=$(firmwares_admitted "$min_glibc")
    sed -e "s/@MIN_GLIBC@/$min_glibc/g" -e "s/@FIRMWARES@/$admitted/g" "$root/tools/package/README.md" >"$port/README.md"

    # The catalogue's picture, and the title screen the check compares with the layer's.
    (cd "$root" && "$native/vesperalia-screenshot" "${SCREENSHOT_SCENE[@]}" "$build/screenshot.bmp" 1 &&
        "$native/vesperalia-screenshot" "$build/title.bmp") || die "the screenshot program failed"
    /usr/bin/python3 -c 'import sys; from PIL import Image; Image.open(sys.argv[1]).convert("RGB").save(sys.argv[2], optimize=True)' \
        "$build/screenshot.bmp" "$port/screenshot.png" || die "cannot convert the screenshot to PNG"

    local out=$root/dist/portmaster/vesperalia
    rm -rf "$out"
    mkdir -p "$(dirname "$out")"
    cp -a "$port" "$out"
    say "wrote dist/portmaster/vesperalia/ (the submission)"
    # The install zip, as the manager makes it from the submission: the launcher and the
    # game folder on top, the metadata inside the game folder.
    local zipstage=$stage/zip
    mkdir -p "$zipstage"
    cp -a "$port/Vesperalia.sh" "$port/vesperalia" "$zipstage/"
    cp "$port/port.json" "$port/README.md" "$port/gameinfo.xml" "$port/screenshot.png" "$zipstage/vesperalia/"
    make_zip dist/vesperalia.zip "$zipstage" Vesperalia.sh vesperalia
    rm -f "$root/dist/vesperalia-handheld.zip" # the zip's name before it took the port's
    ./tools/package/check.sh dist/vesperalia.zip --submission "$out" \
        --sysroot "$root/build-cross/arm64/firmware-root" --sysroot "$root/build-cross/arm64/firmware-root-13" \
        --screenshot-program "$build/cross/vesperalia-screenshot" --title-picture "$build/title.bmp"
}

# Static archives for every library of the dynamic build, named by their sonames; prints
# the sonames that have none.
missing_archives() { # SYSROOT SONAMES...
    local sysroot=$1 lib dev soname d
    shift
    declare -A archive=()
    for d in lib/$triplet usr/lib/$triplet lib usr/lib; do
        for dev in "$sysroot/$d"/lib*.so; do
            [ -e "$dev" ] || continue
            soname=$(readelf -d "$(readlink -f "$dev")" 2>/dev/null | sed -n 's/.*(SONAME).*\[\(.*\)\]/\1/p')
            [ -n "$soname" ] && [ -f "${dev%.so}.a" ] && archive[$soname]=${dev%.so}.a
        done
    done
    for lib in "$@"; do
        lib=${lib%%=*}
        [ -n "${archive[$lib]:-}" ] || echo "$lib"
    done
}
archive_flags() { # SYSROOT SONAMES... -> -l flags in link order
    local sysroot=$1 lib dev d
    shift
    for lib in "$@"; do
        lib=${lib%%=*}
        for d in lib/$triplet usr/lib/$triplet lib usr/lib; do
            for dev in "$sysroot/$d"/lib*.so; do
                [ -e "$dev" ] || continue
                if [ "$(readelf -d "$(readlink -f "$dev")" 2>/dev/null | sed -n 's/.*(SONAME).*\[\(.*\)\]/\1/p')" = "$lib" ]; then
                    dev=$(basename "$dev" .so)
                    echo "-l${dev#lib}"
                    continue 3
                fi
            done
        done
    done
}

package_gp2x() {
    # 64-bit file offsets: otherwise readdir of lang/ fails (EOVERFLOW) on file systems
    # with large directory offsets, as under emulation on a 64-bit machine.
    cross_cxxflags="-D_FILE_OFFSET_BITS=64"
    # Old device C libraries: the C++ runtime always goes inside the program.
    cmake_extra=("-DCMAKE_EXE_LINKER_FLAGS=-static-libstdc++ -static-libgcc")
    say "building the armel game in ${build#$root/}/cross"
    cross_build "$build/cross" vesperalia
    local sysroot strip program=$build/cross/vesperalia libs="" missing
    sysroot=$(cat "$build/cross/vesperalia-sysroot.txt")
    strip=$(cache_value "$build/cross" CMAKE_STRIP)

    # A program linked statically needs nothing from the device's old C library. The
    # toolchain links it so when it has a static archive for every library involved.
    if readelf -d "$program" | grep -q NEEDED; then
        [ -d "$sysroot" ] || die "the toolchain names no system root (CMAKE_SYSROOT)"
        libs=$(needed_closure "$sysroot" "" "$program")
        # shellcheck disable=SC2086
        missing=$(missing_archives "$sysroot" $libs)
        if [ -z "$missing" ]; then
            say "linking statically in ${build#$root/}/static"
            # shellcheck disable=SC2046,SC2086
            cmake_extra=("-DCMAKE_EXE_LINKER_FLAGS=-static" "-DCMAKE_FIND_LIBRARY_SUFFIXES=.a"
                "-DCMAKE_CXX_STANDARD_LIBRARIES=-Wl,--start-group $(archive_flags "$sysroot" $libs | tr '\n' ' ') -Wl,--end-group -lpthread -lm -ldl")
            cross_build "$build/static" vesperalia
            program=$build/static/vesperalia
            libs=""
        else
            say "no static link with this toolchain: it has no static archive for $(echo $missing | sed 's/ /, /g');"
            say "the program links them dynamically and the package carries them in vesperalia/lib/"
        fi
    fi

    rm -rf "$stage"
    local game=$stage/vesperalia
    mkdir -p "$game"
    install -m 755 "$program" "$game/vesperalia"
    [ -n "$strip" ] && "$strip" "$game/vesperalia"
    copy_game_files "$game"
    game_licence "$game/licenses"
    local env=""
    if [ -n "$libs" ]; then
        # shellcheck disable=SC2086
        bundle_libs "$game/lib" $libs
        # shellcheck disable=SC2086
        bundle_licences "$game/licenses" "$sysroot/.packages" $libs
        env='LD_LIBRARY_PATH=./lib${LD_LIBRARY_PATH:+:$LD_LIBRARY_PATH} '
        say "bundled $(echo "$libs" | wc -l) libraries in lib/ ($(du -sh "$game/lib" | cut -f1))"
    fi
    sed "s|@GP2X_ENV@|$env|" "$root/tools/package/vesperalia.gpe" >"$game/vesperalia.gpe"
    chmod 755 "$game/vesperalia.gpe"
    # The menu's icon: the game's 24-pixel registry icon in the middle of 32x32.
    /usr/bin/python3 -c 'import sys; from PIL import Image
icon = Image.open(sys.argv[1]).convert("RGBA")
out = Image.new("RGBA", (32, 32), (0, 0, 0, 0))
out.paste(icon, ((32 - icon.width) // 2, (32 - icon.height) // 2))
out.save(sys.argv[2])' "$root/data/exp.icon.bmp" "$game/vesperalia.png" || die "cannot make the icon"

    make_zip dist/vesperalia-gp2x.zip "$stage" vesperalia
    if [ -d "$sysroot" ]; then
        ./tools/package/check.sh dist/vesperalia-gp2x.zip --sysroot "$sysroot"
    else
        ./tools/package/check.sh dist/vesperalia-gp2x.zip
    fi
}

make_zip() { # ZIP DIR ITEMS... (from DIR)
    local out=$root/$1 from=$2
    shift 2
    rm -f "$out"
    (cd "$from" && zip -q -r -X "$out" "$@") || die "cannot write $out"
    say "wrote ${out#$root/} ($(du -h "$out" | cut -f1))"
}

case "$target" in
handheld) package_handheld ;;
gp2x) package_gp2x ;;
esac
say "done in $(($(date +%s) - started)) s"
