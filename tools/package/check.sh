#!/bin/bash
# Usage: tools/package/check.sh ZIP [--sysroot DIR] [--seconds N] [--screenshot-program FILE]
# Checks a package made by tools/package.sh: unpacks it under build-pkg-check/, checks
# its layout, launchers, metadata, binaries and licences, then runs the packaged game
# under qemu-user (SDL's dummy drivers) for a bounded time and checks the achievement
# registry it writes on its first run. Every failure is named; the exit status is 1 if any.
# DIR is the system root for the emulator: for the handheld package a firmware-like one
# without SDL 1.2 (default: build-cross/arm64/firmware-root, made by
# tools/cross/make-firmware-root.sh), for the GP2X family's the build's (default:
# build-cross/armel/sysroot). N is the seconds the game runs (default 20). FILE is the
# aarch64 screenshot program (default: build-pkg-handheld/cross/vesperalia-screenshot),
# whose title screen drawn through the package's SDL 1.2 layer must match the package's
# screenshot.png, drawn by the same program on this machine.
set -uo pipefail

root=$(cd "$(dirname "$0")/../.." && pwd)
zip="" sysroot="" seconds=20 shooter=$root/build-pkg-handheld/cross/vesperalia-screenshot
while [ $# -gt 0 ]; do
    case "$1" in
    --screenshot-program) shooter=${2:-}; shift 2 || break ;;
    --sysroot) sysroot=${2:-}; shift 2 || break ;;
    --seconds) seconds=${2:-}; shift 2 || break ;;
    -*) echo "check: unknown option $1" >&2; exit 2 ;;
    *) zip=$1; shift ;;
    esac
done
[ -n "$zip" ] && [ -f "$zip" ] || { echo "check: usage: check.sh ZIP [--sysroot DIR] [--seconds N] (no such zip: '$zip')" >&2; exit 2; }
[[ "$seconds" =~ ^[1-9][0-9]*$ ]] || { echo "check: --seconds takes a whole number above 0" >&2; exit 2; }
zip=$(cd "$(dirname "$zip")" && pwd)/$(basename "$zip")
# The emulated runs change directory: the system root must not be relative.
if [ -n "$sysroot" ]; then
    [ -d "$sysroot" ] || { echo "check: no system root at $sysroot" >&2; exit 2; }
    sysroot=$(cd "$sysroot" && pwd)
fi

failures=0
fail() { echo "check: FAIL: $*" >&2; failures=$((failures + 1)); }
ok() { echo "check: ok: $*"; }

mkdir -p "$root/build-pkg-check"
work=$(mktemp -d "$root/build-pkg-check/$(basename "$zip" .zip).XXXXXX") || exit 1
trap 'rm -rf "$work"' EXIT
unpacked=$work/ports
mkdir -p "$unpacked"
unzip -q "$zip" -d "$unpacked" || { echo "check: FAIL: $zip does not unzip" >&2; exit 1; }

# What a package must hold: a file (f), an executable (x), a directory (d).
need() {
    local kind=$1 path=$2
    case "$kind" in
    f) [ -f "$unpacked/$path" ] || { fail "missing file $path"; return 1; } ;;
    x) [ -f "$unpacked/$path" ] && [ -x "$unpacked/$path" ] || { fail "missing or not executable: $path"; return 1; } ;;
    d) [ -d "$unpacked/$path" ] || { fail "missing folder $path"; return 1; } ;;
    esac
}

# data/ and lang/ as in the source tree, byte for byte.
check_game_files() {
    local dir=$1 sub
    for sub in data lang; do
        need d "$dir/$sub" || continue
        if diff -rq "$root/$sub" "$unpacked/$dir/$sub" >/dev/null; then
            ok "$dir/$sub matches the source tree"
        else
            fail "$dir/$sub differs from the source tree's $sub/"
        fi
    done
}

# The language names the package's lang/ files declare ("@lang NAME").
language_names() {
    local f
    for f in "$unpacked/$1"/lang/*; do
        tr -d '\r' <"$f" | sed -n 's/^@lang //p' | head -n 1
    done
}

# After a first run: the profile, and the game's registration in it.
check_registry() {
    local base=$1 profile=$2 lang=$3 pkgdir=$4
    local game=$base/$profile/tolvenar_vesperalia before=$failures
    [ "$(head -n 1 "$base/activeexp" 2>/dev/null)" = "$profile" ] ||
        fail "exp/activeexp does not name the profile '$profile'"
    if [ -n "$lang" ]; then
        grep -qx "name=Player" "$base/$profile/exp.cfg" 2>/dev/null || fail "exp/$profile/exp.cfg has no name=Player"
        grep -qx "lang=$lang" "$base/$profile/exp.cfg" 2>/dev/null || fail "exp/$profile/exp.cfg has no lang=$lang"
    fi
    [ -d "$game" ] || { fail "the game made no registry folder $profile/tolvenar_vesperalia"; return; }
    [ -e "$base/$profile/update" ] || fail "no update marker in the profile"
    [ -d "$game/saves" ] || fail "no saves/ folder in the game's registry folder"
    [ "$(cat "$game/exp.title" 2>/dev/null)" = $'title=Vesperalia\r\nauthor=Tolvenar\r' ] ||
        fail "exp.title is not the title and author lines"
    [ "$(stat -c %s "$game/exp.dat" 2>/dev/null)" = 240 ] || fail "exp.dat does not hold the 15 items (240 bytes)"
    [ "$(stat -c %s "$game/exp.summary" 2>/dev/null)" = 20 ] || fail "exp.summary is not 20 bytes"
    [ -s "$game/exp.lang" ] || fail "no exp.lang"
    cmp -s "$game/exp.icon" "$unpacked/$pkgdir/data/exp.icon.bmp" || fail "exp.icon is not a copy of data/exp.icon.bmp"
    local n src name
    for n in $(seq 1 15); do
        src=$(printf 'data/exp%02d.bmp' "$n")
        name=$(printf '%03d' "$n")
        cmp -s "$game/$name" "$unpacked/$pkgdir/$src" || fail "item image $name is not a copy of $src"
    done
    for name in $(language_names "$pkgdir"); do
        [ "$(stat -c %s "$game/exp.desc.$name" 2>/dev/null)" = 1920 ] ||
            fail "exp.desc.$name does not hold the 15 descriptions (1920 bytes)"
    done
    [ "$failures" -eq "$before" ] && ok "the first run made the profile and registered the game ($(ls "$game" | wc -l) files)"
}

# Runs COMMAND... bounded; the game loops until the player leaves, so only the timeout
# (status 124) counts as having run well.
expect_timeout() {
    local what=$1 status=$2
    case "$status" in
    124) ok "$what ran ${seconds}s until stopped" ;;
    *) fail "$what ended by itself with status $status before ${seconds}s (crash or failed start)" ;;
    esac
}

glibc_ok() {
    # objdump -T of BINARY: no GLIBC_ version above 2.31, and no GLIBCXX_ at all.
    local objdump=$1 bin=$2 versions newest
    versions=$("$objdump" -T "$unpacked/$bin" 2>/dev/null) || { fail "$objdump cannot read $bin"; return; }
    if grep -q 'GLIBCXX_' <<<"$versions"; then fail "$bin needs libstdc++ (GLIBCXX_ symbols)"; fi
    newest=$(grep -o 'GLIBC_[0-9][0-9.]*' <<<"$versions" | sed 's/GLIBC_//' | sort -uV | tail -n 1)
    if [ -n "$newest" ] && [ "$(printf '%s\n2.31\n' "$newest" | sort -V | tail -n 1)" != 2.31 ]; then
        fail "$bin needs GLIBC_$newest (firmwares guarantee 2.31)"
    else
        ok "$bin needs glibc ${newest:-(none)}, no libstdc++"
    fi
}

# Every library the binaries and the bundled libraries need is bundled or provided by
# the device (glibc's own, and for today's handhelds SDL2).
libs_complete() {
    local libdir=$1 provided=$2; shift 2
    local obj lib missing=""
    for obj in "$@" "$unpacked/$libdir"/*; do
        [ -f "$obj" ] || continue
        for lib in $(readelf -d "$obj" 2>/dev/null | sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p'); do
            [ -e "$unpacked/$libdir/$lib" ] && continue
            grep -qx "$lib" <<<"$provided" && continue
            missing="$missing $(basename "$obj")->$lib"
        done
    done
    if [ -n "$missing" ]; then fail "libraries neither bundled in $libdir nor on the device:$missing"; else ok "$libdir holds every library the device lacks ($(ls "$unpacked/$libdir" | wc -l) files)"; fi
}
# Each bundled library (in LIBDIR) with its Debian package's copyright file, named in
# licenses/libraries.txt.
licences_complete() {
    local dir=$1 libdir=$2 lib pkg missing=""
    need f "$dir/licenses/libraries.txt" || return
    for lib in "$unpacked/$libdir"/*; do
        lib=$(basename "$lib")
        pkg=$(awk -v l="$lib" '$1 == l { print $2; exit }' "$unpacked/$dir/licenses/libraries.txt")
        if [ -z "$pkg" ] || [ ! -s "$unpacked/$dir/licenses/$pkg/copyright" ]; then
            missing="$missing $lib"
        fi
    done
    if [ -n "$missing" ]; then fail "bundled libraries without their licence in $dir/licenses/:$missing"; else ok "every library in $libdir has its Debian package's copyright file in $dir/licenses/"; fi
}

GLIBC_LIBS="ld-linux-aarch64.so.1
ld-linux.so.3
libc.so.6
libm.so.6
libpthread.so.0
libdl.so.2
librt.so.1
libresolv.so.2
libutil.so.1
libanl.so.1
libnsl.so.1
libBrokenLocale.so.1"

check_handheld() {
    local dir=vesperalia
    need x Vesperalia.sh && { bash -n "$unpacked/Vesperalia.sh" && ok "Vesperalia.sh parses" || fail "Vesperalia.sh does not parse (bash -n)"; }
    need d $dir || return
    need x $dir/vesperalia.aarch64
    need x $dir/vesperalia-profile.aarch64
    need d $dir/libs.aarch64
    local f
    for f in port.json README.md gameinfo.xml screenshot.png vesperalia.gptk; do need f "$dir/$f"; done
    check_game_files $dir
    local extra
    extra=$(cd "$unpacked" && ls -A | grep -vx -e Vesperalia.sh -e vesperalia)
    [ -z "$extra" ] || fail "unexpected entries at the top of the zip: $extra"
    [[ "$(basename "$zip" .zip)" =~ ^[a-z0-9._-]+$ ]] || fail "the zip's name is not lower case"

    /usr/bin/python3 - "$unpacked/$dir" <<'EOF' || fail "package metadata: see above"
import json, sys, xml.etree.ElementTree as ET
from PIL import Image
d = sys.argv[1]
bad = []
try:
    p = json.load(open(d + "/port.json"))
    a = p.get("attr", {})
    if not (isinstance(p.get("version"), int) and p["version"] >= 2): bad.append("port.json version")
    if p.get("items") != ["Vesperalia.sh", "vesperalia"]: bad.append("port.json items")
    if not str(p.get("name", "")).endswith(".zip"): bad.append("port.json name")
    for k, t in (("title", str), ("porter", list), ("desc", str), ("inst", str), ("genres", list),
                 ("rtr", bool), ("reqs", list), ("arch", list), ("min_glibc", str)):
        if not isinstance(a.get(k), t): bad.append("port.json attr." + k)
    if a.get("arch") != ["aarch64"] or a.get("min_glibc") != "2.31": bad.append("port.json arch/min_glibc")
    if "runtime" not in a or a["runtime"] is not None: bad.append("port.json attr.runtime")
except Exception as e:
    bad.append("port.json does not read: %s" % e)
try:
    g = ET.parse(d + "/gameinfo.xml").getroot().find("game")
    for k in ("path", "name", "desc", "releasedate", "developer", "publisher", "genre", "image"):
        if g is None or not (g.findtext(k) or "").strip(): bad.append("gameinfo.xml " + k)
    if g is not None and g.findtext("path") != "./Vesperalia.sh": bad.append("gameinfo.xml path")
    if g is not None and g.findtext("image") != "./vesperalia/screenshot.png": bad.append("gameinfo.xml image")
    import re
    if g is not None and not re.fullmatch(r"\d{8}T000000", g.findtext("releasedate") or ""): bad.append("gameinfo.xml releasedate")
except Exception as e:
    bad.append("gameinfo.xml does not read: %s" % e)
try:
    im = Image.open(d + "/screenshot.png")
    if im.format != "PNG" or im.size != (320, 240): bad.append("screenshot.png is not a 320x240 PNG")
    elif len(set(im.convert("RGB").getdata())) < 16: bad.append("screenshot.png is nearly blank")
except Exception as e:
    bad.append("screenshot.png does not read: %s" % e)
buttons = set("up down left right a b x y l1 l2 r1 r2 start back guide".split()) | {
    "left_analog_" + s for s in ("up", "down", "left", "right")}
want = {"up": "up", "down": "down", "left": "left", "right": "right", "a": "space", "b": "space",
        "x": "space", "y": "space", "start": "rightctrl", "l1": "minus", "r1": "equal"}
got = {}
for n, line in enumerate(open(d + "/vesperalia.gptk"), 1):
    line = line.split("#", 1)[0].strip()
    if not line: continue
    k, sep, v = (s.strip() for s in line.partition("="))
    if not sep or k not in buttons or not v: bad.append("vesperalia.gptk line %d" % n)
    got[k] = v
for k, v in want.items():
    if got.get(k) != v: bad.append("vesperalia.gptk: %s should be %s" % (k, v))
for b in bad: print("check: FAIL:", b, file=sys.stderr)
if not bad: print("check: ok: port.json, gameinfo.xml, screenshot.png and vesperalia.gptk")
sys.exit(1 if bad else 0)
EOF

    local objdump=aarch64-linux-gnu-objdump
    command -v $objdump >/dev/null || { fail "$objdump is missing (binutils-aarch64-linux-gnu)"; return; }
    glibc_ok $objdump $dir/vesperalia.aarch64
    glibc_ok $objdump $dir/vesperalia-profile.aarch64
    readelf -h "$unpacked/$dir/vesperalia.aarch64" | grep -q 'AArch64' || fail "vesperalia.aarch64 is not an AArch64 program"
    libs_complete $dir/libs.aarch64 "$GLIBC_LIBS
libSDL2-2.0.so.0" "$unpacked/$dir/vesperalia.aarch64" "$unpacked/$dir/vesperalia-profile.aarch64"
    licences_complete $dir $dir/libs.aarch64
    # Firmwares have SDL2 and no SDL 1.2: the layer comes along, the device's SDL2 (which
    # knows its screen and pad) is used.
    [ -f "$unpacked/$dir/libs.aarch64/libSDL-1.2.so.0" ] || fail "libs.aarch64 lacks the SDL 1.2 layer libSDL-1.2.so.0"
    [ -e "$unpacked/$dir/libs.aarch64/libSDL2-2.0.so.0" ] && fail "libs.aarch64 carries SDL2, which must be the firmware's"
    local lib newest="" v
    for lib in "$unpacked/$dir/libs.aarch64"/*; do
        v=$($objdump -T "$lib" 2>/dev/null | grep -o 'GLIBC_[0-9][0-9.]*' | sed 's/GLIBC_//' | sort -uV | tail -n 1)
        if [ -n "$v" ] && [ "$(printf '%s\n2.31\n' "$v" | sort -V | tail -n 1)" != 2.31 ]; then
            fail "libs.aarch64/$(basename "$lib") needs GLIBC_$v (firmwares guarantee 2.31)"
        fi
        newest=$(printf '%s\n%s\n' "$newest" "$v" | sort -V | tail -n 1)
    done
    ok "the bundled libraries need glibc $newest at most"

    # The launcher itself on a stand-in for the package manager: a control folder whose
    # get_controls names this folder, and DEVICE_ARCH "qemu" whose binaries run the
    # packaged aarch64 ones under the emulator (this machine runs no aarch64 code itself).
    [ -n "$sysroot" ] || sysroot=$root/build-cross/arm64/firmware-root
    [ -d "$sysroot" ] || { fail "no arm64 firmware root at $sysroot for the emulated run (tools/cross/make-firmware-root.sh)"; return; }
    # A root with SDL 1.2 of its own would hide a package that lacks the layer.
    local own
    own=$(find "$sysroot" -name 'libSDL-1.2.so*' -print -quit)
    [ -z "$own" ] || { fail "the root for the emulated run has SDL 1.2 of its own (${own#$sysroot/}): it proves nothing"; return; }
    command -v qemu-aarch64-static >/dev/null || { fail "qemu-aarch64-static is missing (qemu-user-static)"; return; }
    local game=$unpacked/$dir xdg=$work/xdg
    mkdir -p "$xdg/PortMaster"
    cat >"$xdg/PortMaster/control.txt" <<EOF
get_controls() {
  directory="${unpacked%/ports}"
  directory="\${directory#/}"
  DEVICE_ARCH=qemu
  GPTOKEYB=true
  ESUDO=""
  sdl_controllerconfig=""
}
pm_finish() { echo called >"$work/pm_finish"; }
EOF
    ln -s libs.aarch64 "$game/libs.qemu"
    # At the end of the bounded run the game gets a quit request (SIGTERM, which SDL turns
    # into a quit event): only a game in its frame loop ends on it, with status 0.
    cat >"$game/vesperalia.qemu" <<EOF
#!/bin/sh
start=\$(date +%s)
timeout --preserve-status -k 15 $seconds qemu-aarch64-static -L "$sysroot" ./vesperalia.aarch64 "\$@"
echo "\$? \$((\$(date +%s) - start))" >"$work/game.status"
echo "\$@" >"$work/game.args"
echo "\${SDL12COMPAT_SCALE_METHOD:-}" >"$work/game.scaling"
EOF
    cat >"$game/vesperalia-profile.qemu" <<EOF
#!/bin/sh
exec qemu-aarch64-static -L "$sysroot" ./vesperalia-profile.aarch64 "\$@"
EOF
    chmod +x "$game/vesperalia.qemu" "$game/vesperalia-profile.qemu"
    # A German firmware: the profile takes "de" when lang/ carries it.
    local want_lang=en
    # grep reads to the end: with -q it may stop early, and pipefail would count that.
    language_names "$dir" | grep -x de >/dev/null && want_lang=de
    env -i PATH="$PATH" HOME="$work" XDG_DATA_HOME="$xdg" LANG=de_DE.UTF-8 \
        SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy \
        bash "$unpacked/Vesperalia.sh" >"$work/launcher.out" 2>&1 </dev/null
    # A file, not the launcher's output: that goes through tee, which may still be writing.
    [ -f "$work/pm_finish" ] || fail "the launcher did not reach pm_finish: $(tail -n 3 "$work/launcher.out")"
    [ -f "$game/log.txt" ] || fail "the launcher wrote no log.txt"
    grep -qx -- "-fullscreen" "$work/game.args" 2>/dev/null || fail "the launcher did not pass -fullscreen"
    # The layer blends when it scales the picture up unless told to keep pixels sharp.
    grep -qx "nearest" "$work/game.scaling" 2>/dev/null || fail "the launcher does not set SDL12COMPAT_SCALE_METHOD=nearest (sharp pixels)"
    local status elapsed
    { read -r status elapsed <"$work/game.status"; } 2>/dev/null || status="none: never started" elapsed=0
    if [ "$elapsed" -lt "$seconds" ]; then
        fail "vesperalia.aarch64 (through Vesperalia.sh) ended by itself with status $status after ${elapsed}s (crash or failed start): $(tail -n 2 "$game/log.txt" 2>/dev/null | tr '\n' ' ')"
    elif [ "$status" != 0 ]; then
        fail "vesperalia.aarch64 was still running after ${seconds}s but did not leave on the quit request (status $status): it never reached its frame loop, or hung in it"
    else
        ok "vesperalia.aarch64 (through Vesperalia.sh, on $(basename "$sysroot")) ran its frame loop for ${seconds}s and left on the quit request"
    fi
    check_registry "$game/exp" player "$want_lang" $dir
    check_layer_picture $dir
}

# The title screen the screenshot program draws through the package's SDL 1.2 layer on
# the firmware root, against the package's screenshot.png, which the same program drew
# on this machine through SDL 1.2 itself. The layer's blitter may round blending apart.
check_layer_picture() {
    local dir=$1
    [ -x "$shooter" ] || { fail "no aarch64 screenshot program at $shooter (tools/package.sh handheld builds it)"; return; }
    readelf -h "$shooter" 2>/dev/null | grep -q AArch64 || { fail "$shooter is not an aarch64 program"; return; }
    if ! (cd "$unpacked/$dir" && env -i PATH="$PATH" HOME="$work" SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy \
        LD_LIBRARY_PATH="$unpacked/$dir/libs.aarch64" timeout 120 \
        qemu-aarch64-static -L "$sysroot" "$shooter" "$work/layer.bmp" >"$work/shot.out" 2>&1 </dev/null); then
        fail "the screenshot program failed through the layer: $(tail -n 2 "$work/shot.out" | tr '\n' ' ')"
        return
    fi
    /usr/bin/python3 - "$unpacked/$dir/screenshot.png" "$work/layer.bmp" <<'EOF' || fail "the title screen through the layer differs from the native one"
import sys
from PIL import Image
native = Image.open(sys.argv[1]).convert("RGB")
layer = Image.open(sys.argv[2]).convert("RGB")
if native.size != layer.size:
    print("check: the layer drew %dx%d, natively %dx%d" % (layer.size + native.size), file=sys.stderr)
    sys.exit(1)
# The pictures are compared in the screen's own colour levels: one step of a channel is
# the gap between neighbouring levels the native picture uses (8 for a 5-bit channel of a
# 16-bit screen). SDL 1.2 writes a level as its top bits, SDL2 fills the low bits too.
a, b = list(native.getdata()), list(layer.getdata())
steps = []
for c in range(3):
    levels = sorted({p[c] for p in a})
    gaps = [y - x for x, y in zip(levels, levels[1:])]
    steps.append(min(gaps) if gaps else 1)
a = [tuple(p[c] // steps[c] for c in range(3)) for p in a]
b = [tuple(p[c] // steps[c] for c in range(3)) for p in b]
equal = sum(p == q for p, q in zip(a, b))
worst = max(max(abs(p[c] - q[c]) for c in range(3)) for p, q in zip(a, b))
share = 100.0 * equal / len(a)
print("check: %s: the title screen through the layer: %.2f %% of the pixels as drawn natively, "
      "the others at most %d step(s) apart (a step: %s)" % (
    "ok" if share >= 99 and worst <= 1 else "FAIL", share, worst, "/".join(map(str, steps))),
    file=sys.stdout if share >= 99 and worst <= 1 else sys.stderr)
sys.exit(0 if share >= 99 and worst <= 1 else 1)
EOF
}

check_gp2x() {
    local dir=vesperalia
    need d $dir || return
    need x $dir/vesperalia.gpe && { sh -n "$unpacked/$dir/vesperalia.gpe" && ok "vesperalia.gpe parses" || fail "vesperalia.gpe does not parse (sh -n)"; }
    grep -q 'cd "$(dirname "$0")"' "$unpacked/$dir/vesperalia.gpe" || fail "vesperalia.gpe does not change to its own folder"
    grep -qx 'exec ./gp2xmenu' "$unpacked/$dir/vesperalia.gpe" && grep -qx 'cd /usr/gp2x' "$unpacked/$dir/vesperalia.gpe" ||
        fail "vesperalia.gpe does not hand over to /usr/gp2x/gp2xmenu"
    need x $dir/vesperalia
    need f $dir/vesperalia.png &&
        { /usr/bin/python3 -c 'import sys; from PIL import Image; im = Image.open(sys.argv[1]); sys.exit(im.format != "PNG")' "$unpacked/$dir/vesperalia.png" || fail "vesperalia.png is not a PNG image"; }
    check_game_files $dir
    readelf -h "$unpacked/$dir/vesperalia" 2>/dev/null | grep -q 'Machine:.*ARM$' || fail "vesperalia is not an ARM program"
    local linking=static
    if readelf -d "$unpacked/$dir/vesperalia" 2>/dev/null | grep -q NEEDED; then
        linking=dynamic
        need d $dir/lib && libs_complete $dir/lib "$GLIBC_LIBS" "$unpacked/$dir/vesperalia" && licences_complete $dir $dir/lib
    fi
    ok "vesperalia is linked $linking"

    # The registry's place on the device is the card; here a profile made by hand in the
    # registry's formats, in a folder named through VESPERALIA_EXP_BASE.
    [ -n "$sysroot" ] || sysroot=$root/build-cross/armel/sysroot
    if [ ! -d "$sysroot" ]; then fail "no armel system root at $sysroot for the emulated run"; return; fi
    command -v qemu-arm-static >/dev/null || { fail "qemu-arm-static is missing (qemu-user-static)"; return; }
    local base=$work/sd/exp
    mkdir -p "$base/guest"
    printf 'guest\n' >"$base/activeexp"
    printf 'name=Guest\nlang=en\n' >"$base/guest/exp.cfg"
    local status
    (cd "$unpacked/$dir" && env -i PATH="$PATH" HOME="$work" VESPERALIA_EXP_BASE="$base/" \
        SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy LD_LIBRARY_PATH="$unpacked/$dir/lib" \
        timeout "$seconds" qemu-arm-static -L "$sysroot" ./vesperalia -fullscreen \
        >"$work/game.out" 2>&1 </dev/null)
    status=$?
    expect_timeout "vesperalia (armel)" "$status"
    check_registry "$base" guest "" $dir
}

if [ -e "$unpacked/Vesperalia.sh" ]; then
    check_handheld
elif [ -e "$unpacked/vesperalia/vesperalia.gpe" ]; then
    check_gp2x
else
    fail "$(basename "$zip") holds neither Vesperalia.sh nor vesperalia/vesperalia.gpe"
fi

if [ "$failures" -ne 0 ]; then
    echo "check: $(basename "$zip"): $failures problem(s)" >&2
    exit 1
fi
echo "check: $(basename "$zip"): all checks passed"
