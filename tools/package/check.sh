#!/bin/bash
# Usage: tools/package/check.sh ZIP [--sysroot DIR] [--seconds N]
# Checks a package made by tools/package.sh: unpacks it under build-pkg-check/, checks
# its layout, launchers, metadata and binaries, then runs the packaged game under
# qemu-user (SDL's dummy drivers) for a bounded time and checks the achievement registry
# it writes on its first run. Every failure is named; the exit status is 1 if any.
# DIR is the target's system root for the emulator (default: build-cross/arm64/sysroot
# or build-cross/armel/sysroot); N the seconds the game runs (default 20).
set -uo pipefail

root=$(cd "$(dirname "$0")/../.." && pwd)
zip="" sysroot="" seconds=20
while [ $# -gt 0 ]; do
    case "$1" in
    --sysroot) sysroot=${2:-}; shift 2 || break ;;
    --seconds) seconds=${2:-}; shift 2 || break ;;
    -*) echo "check: unknown option $1" >&2; exit 2 ;;
    *) zip=$1; shift ;;
    esac
done
[ -n "$zip" ] && [ -f "$zip" ] || { echo "check: usage: check.sh ZIP [--sysroot DIR] [--seconds N] (no such zip: '$zip')" >&2; exit 2; }
[[ "$seconds" =~ ^[0-9]+$ ]] || { echo "check: --seconds takes a whole number" >&2; exit 2; }
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
# the device (glibc's own, and for the handheld also libSDL-1.2).
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
libSDL-1.2.so.0" "$unpacked/$dir/vesperalia.aarch64" "$unpacked/$dir/vesperalia-profile.aarch64"

    # The launcher itself on a stand-in for the package manager: a control folder whose
    # get_controls names this folder, and DEVICE_ARCH "qemu" whose binaries run the
    # packaged aarch64 ones under the emulator (this machine runs no aarch64 code itself).
    [ -n "$sysroot" ] || sysroot=$root/build-cross/arm64/sysroot
    [ -d "$sysroot" ] || { fail "no arm64 system root at $sysroot for the emulated run"; return; }
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
pm_finish() { echo "pm_finish called"; }
EOF
    ln -s libs.aarch64 "$game/libs.qemu"
    cat >"$game/vesperalia.qemu" <<EOF
#!/bin/sh
timeout $seconds qemu-aarch64-static -L "$sysroot" ./vesperalia.aarch64 "\$@"
echo \$? >"$work/game.status"
echo "\$@" >"$work/game.args"
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
    grep -q "pm_finish called" "$work/launcher.out" || fail "the launcher did not reach pm_finish: $(tail -n 3 "$work/launcher.out")"
    [ -f "$game/log.txt" ] || fail "the launcher wrote no log.txt"
    grep -qx -- "-fullscreen" "$work/game.args" 2>/dev/null || fail "the launcher did not pass -fullscreen"
    expect_timeout "vesperalia.aarch64 (through Vesperalia.sh)" "$(cat "$work/game.status" 2>/dev/null || echo 'none: never started')"
    check_registry "$game/exp" player "$want_lang" $dir
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
        need d $dir/lib && libs_complete $dir/lib "$GLIBC_LIBS" "$unpacked/$dir/vesperalia"
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
