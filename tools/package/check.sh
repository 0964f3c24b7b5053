#!/bin/bash
# Usage: tools/package/check.sh ZIP [--sysroot DIR]... [--seconds N] [--submission DIR]
#                               [--screenshot-program FILE] [--title-picture FILE]
# Checks a package made by tools/package.sh: unpacks it under build-pkg-check/, checks
# its layout, launchers, metadata, binaries and licences, then runs the packaged game
# under qemu-user (SDL's dummy drivers) for a bounded time and checks the achievement
# registry it writes on its first run. Every failure is named; the exit status is 1 if any.
# DIR is a system root for the emulator: for the handheld package the firmware-like ones
# without SDL 1.2, each run on in turn (default: build-cross/arm64/firmware-root and
# firmware-root-13, made by tools/cross/make-firmware-root.sh), for the GP2X family's the
# build's (default: build-cross/armel/sysroot). N is the seconds the game runs (default
# 20). The handheld package only:
#   --submission DIR  the submission folder the zip was made from (default
#                     dist/portmaster/vesperalia): the metadata beside the launcher, the
#                     same files as the zip
#   --screenshot-program FILE  the aarch64 screenshot program (default:
#                     build-pkg-handheld/cross/vesperalia-screenshot), whose title screen
#                     drawn through the package's SDL 1.2 layer must match
#   --title-picture FILE  the title screen the same program drew on this machine through
#                     SDL 1.2 itself (default: build-pkg-handheld/title.bmp)
# The zip is unpacked as the package manager's installer does it, without execute bits;
# the launcher must restore them.
set -uo pipefail

root=$(cd "$(dirname "$0")/../.." && pwd)
zip="" seconds=20 shooter=$root/build-pkg-handheld/cross/vesperalia-screenshot
title=$root/build-pkg-handheld/title.bmp submission=$root/dist/portmaster/vesperalia
sysroots=()
while [ $# -gt 0 ]; do
    case "$1" in
    --screenshot-program) shooter=${2:-}; shift 2 || break ;;
    --title-picture) title=${2:-}; shift 2 || break ;;
    --submission) submission=${2:-}; shift 2 || break ;;
    --sysroot) sysroots+=("${2:-}"); shift 2 || break ;;
    --seconds) seconds=${2:-}; shift 2 || break ;;
    -*) echo "check: unknown option $1" >&2; exit 2 ;;
    *) zip=$1; shift ;;
    esac
done
[ -n "$zip" ] && [ -f "$zip" ] || { echo "check: usage: check.sh ZIP [--sysroot DIR]... [--seconds N] (no such zip: '$zip')" >&2; exit 2; }
[[ "$seconds" =~ ^[1-9][0-9]*$ ]] || { echo "check: --seconds takes a whole number above 0" >&2; exit 2; }
zip=$(cd "$(dirname "$zip")" && pwd)/$(basename "$zip")
# The emulated runs change directory: the system roots must not be relative.
for i in "${!sysroots[@]}"; do
    [ -d "${sysroots[$i]}" ] || { echo "check: no system root at ${sysroots[$i]}" >&2; exit 2; }
    sysroots[$i]=$(cd "${sysroots[$i]}" && pwd)
done
sysroot=${sysroots[0]:-}

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

# The highest GLIBC_ version objdump -T finds in FILES, and a failure for any GLIBCXX_.
glibc_of() { # OBJDUMP FILES...
    local objdump=$1 f versions newest=""
    shift
    for f in "$@"; do
        versions=$("$objdump" -T "$f" 2>/dev/null) || { fail "$objdump cannot read ${f#$unpacked/}"; continue; }
        grep -q 'GLIBCXX_' <<<"$versions" && fail "${f#$unpacked/} needs libstdc++ (GLIBCXX_ symbols)"
        newest=$(printf '%s\n%s\n' "$newest" "$(grep -o 'GLIBC_[0-9][0-9.]*' <<<"$versions" | sed 's/GLIBC_//' | sort -uV | tail -n 1)" | sort -V | tail -n 1)
    done
    echo "$newest"
}

# The names a root's libraries answer to: their file names and their sonames.
root_library_names() { # ROOT
    local d files=()
    for d in lib usr/lib; do
        [ -d "$1/$d" ] && [ ! -L "$1/$d" ] || continue
        while IFS= read -r -d '' f; do files+=("$f"); done < <(find "$1/$d" -maxdepth 2 -name 'lib*.so*' \( -type f -o -type l \) -print0)
    done
    for f in "${files[@]}"; do basename "$f"; done
    for f in "${files[@]}"; do [ -f "$f" ] && [ ! -L "$f" ] && readelf -d "$f" 2>/dev/null; done |
        sed -n 's/.*(SONAME).*\[\(.*\)\]/\1/p'
}

# What firmwares own themselves: a copy in libs.aarch64 would come first for the
# firmware's SDL2 and its video and sound drivers too.
FIRMWARE_OWN='^(libstdc\+\+|libgcc_s|libasound|libpulse|libdbus|libsystemd|libglib|libgio|libgobject|libz\.|libdrm|libudev|libEGL|libGLES|libGL\.|libgbm|libX11|libxcb|libwayland|libSDL2|libSDL3)'

check_handheld_libraries() { # DIR
    local dir=$1 libdir=$1/libs.aarch64 lib name soname own="" r
    libs_complete "$libdir" "$GLIBC_LIBS
libSDL2-2.0.so.0" "$unpacked/$dir/vesperalia.aarch64" "$unpacked/$dir/vesperalia-profile.aarch64"
    licences_complete "$dir" "$libdir"
    # Firmwares have SDL2 and no SDL 1.2: the layer comes along, the device's SDL2 (which
    # knows its screen and pad) is used.
    [ -f "$unpacked/$libdir/libSDL-1.2.so.0" ] || fail "$libdir lacks the SDL 1.2 layer libSDL-1.2.so.0"
    for lib in "$unpacked/$libdir"/*; do
        [ -e "$lib" ] || continue
        name=$(basename "$lib")
        soname=$(readelf -d "$lib" 2>/dev/null | sed -n 's/.*(SONAME).*\[\(.*\)\]/\1/p')
        grep -Eq "$FIRMWARE_OWN" <<<"$name $soname" && own="$own $name"
        grep -qF -- "$name" "$unpacked/$dir/README.md" 2>/dev/null || fail "README.md does not name the bundled $name"
    done
    [ -z "$own" ] && ok "$libdir holds none of the firmware's own system libraries" ||
        fail "$libdir carries what firmwares have newer copies of:$own"
    # The firmware-like roots: a bundled library one of them has too would replace its copy.
    for r in "${sysroots[@]}"; do
        local names clash=""
        names=$(root_library_names "$r" | sort -u)
        for lib in "$unpacked/$libdir"/*; do
            [ -e "$lib" ] || continue
            name=$(basename "$lib")
            soname=$(readelf -d "$lib" 2>/dev/null | sed -n 's/.*(SONAME).*\[\(.*\)\]/\1/p')
            grep -qxF -e "$name" -e "${soname:-$name}" <<<"$names" && clash="$clash $name"
        done
        [ -z "$clash" ] && ok "no bundled library shares a name with one of $(basename "$r") ($(wc -l <<<"$names") names)" ||
            fail "bundled libraries that $(basename "$r") has too:$clash"
    done
}

# The submission folder: the metadata beside the launcher, everything else as in the zip.
check_submission() {
    local sub=$1 f extra
    [ -d "$sub" ] || { fail "no submission folder at $sub"; return; }
    for f in port.json README.md gameinfo.xml screenshot.png Vesperalia.sh; do
        [ -f "$sub/$f" ] || fail "the submission lacks $f beside the launcher"
        [ "$f" = Vesperalia.sh ] && continue
        cmp -s "$sub/$f" "$unpacked/vesperalia/$f" || fail "the zip's vesperalia/$f is not the submission's $f"
    done
    [ -d "$sub/vesperalia" ] || fail "the submission lacks its game folder vesperalia/"
    extra=$(cd "$sub" && ls -A | grep -vx -e port.json -e README.md -e gameinfo.xml -e screenshot.png \
        -e Vesperalia.sh -e vesperalia -e cover.png -e cover.jpg)
    [ -z "$extra" ] || fail "unexpected entries in the submission: $extra"
    if diff -rq -x port.json -x README.md -x gameinfo.xml -x screenshot.png "$sub/vesperalia" "$unpacked/vesperalia" >/dev/null &&
        cmp -s "$sub/Vesperalia.sh" "$unpacked/Vesperalia.sh"; then
        ok "the zip holds the submission's launcher and game folder, with the metadata inside the game folder"
    else
        fail "the zip's Vesperalia.sh or vesperalia/ differs from the submission's"
    fi
}

check_handheld() {
    local dir=vesperalia
    need x Vesperalia.sh && { bash -n "$unpacked/Vesperalia.sh" && ok "Vesperalia.sh parses" || fail "Vesperalia.sh does not parse (bash -n)"; }
    need d $dir || return
    need x $dir/vesperalia.aarch64
    need x $dir/vesperalia-profile.aarch64
    need d $dir/libs.aarch64
    local f
    for f in port.json README.md gameinfo.xml screenshot.png vesperalia.gptk licenses/vesperalia/LICENSE; do need f "$dir/$f"; done
    [ ! -f "$root/LICENSE" ] || cmp -s "$root/LICENSE" "$unpacked/$dir/licenses/vesperalia/LICENSE" ||
        fail "licenses/vesperalia/LICENSE is not the source tree's LICENSE"
    check_game_files $dir
    local extra
    extra=$(cd "$unpacked" && ls -A | grep -vx -e Vesperalia.sh -e vesperalia)
    [ -z "$extra" ] || fail "unexpected entries at the top of the zip: $extra"
    check_submission "$submission"

    local objdump=aarch64-linux-gnu-objdump
    command -v $objdump >/dev/null || { fail "$objdump is missing (binutils-aarch64-linux-gnu)"; return; }
    readelf -h "$unpacked/$dir/vesperalia.aarch64" | grep -q 'AArch64' || fail "vesperalia.aarch64 is not an AArch64 program"
    local newest
    newest=$(glibc_of $objdump "$unpacked/$dir/vesperalia.aarch64" "$unpacked/$dir/vesperalia-profile.aarch64" "$unpacked/$dir/libs.aarch64"/*)
    ok "the programs and the bundled libraries need glibc ${newest:-(none)} at most"

    /usr/bin/python3 - "$unpacked/$dir" "$(basename "$zip")" "$newest" "$title" <<'EOF' || fail "package metadata: see above"
import json, re, sys, xml.etree.ElementTree as ET
from PIL import Image
d, zipname, newest, title = sys.argv[1:5]
bad = []
def version(v):
    return tuple(int(p) for p in v.split("."))
# The firmwares the package manager lists a port on by their glibc, and its value for
# those it does not recognise.
FIRMWARES = {"ArkOS": "2.30", "muOS": "2.38", "Knulli": "2.38", "ROCKNIX": "2.40"}
UNKNOWN = "2.30"
try:
    p = json.load(open(d + "/port.json"))
    a = p.get("attr", {})
    if p.get("version") != 2: bad.append("port.json version is not 2")
    if p.get("items") != ["Vesperalia.sh", "vesperalia"]: bad.append("port.json items")
    if p.get("name") != zipname: bad.append("port.json name %r is not the zip's name %s" % (p.get("name"), zipname))
    if not re.fullmatch(r"[a-z0-9][a-z0-9._]*\.zip", str(p.get("name", ""))): bad.append("port.json name is no port name")
    for k, t in (("title", str), ("porter", list), ("desc", str), ("inst", str), ("genres", list),
                 ("rtr", bool), ("reqs", list), ("arch", list), ("min_glibc", str)):
        if not isinstance(a.get(k), t): bad.append("port.json attr." + k)
    if a.get("arch") != ["aarch64"]: bad.append("port.json arch")
    m = str(a.get("min_glibc"))
    if m != newest: bad.append("port.json min_glibc %s is not the highest GLIBC_ version in the package (%s)" % (m, newest))
    elif version(m) > version(UNKNOWN): bad.append("min_glibc %s: the manager hides the port on ArkOS and unknown firmwares (%s)" % (m, UNKNOWN))
    if "runtime" not in a or a["runtime"] is not None: bad.append("port.json attr.runtime")
except Exception as e:
    bad.append("port.json does not read: %s" % e)
    m = None
try:
    g = ET.parse(d + "/gameinfo.xml").getroot().find("game")
    for k in ("path", "name", "desc", "releasedate", "developer", "publisher", "genre", "image"):
        if g is None or not (g.findtext(k) or "").strip(): bad.append("gameinfo.xml " + k)
    if g is not None and g.findtext("path") != "./Vesperalia.sh": bad.append("gameinfo.xml path")
    if g is not None and g.findtext("image") != "./vesperalia/screenshot.png": bad.append("gameinfo.xml image")
    if g is not None and not re.fullmatch(r"\d{8}T000000", g.findtext("releasedate") or ""): bad.append("gameinfo.xml releasedate")
except Exception as e:
    bad.append("gameinfo.xml does not read: %s" % e)
try:
    im = Image.open(d + "/screenshot.png")
    if im.format != "PNG" or im.size != (640, 480): bad.append("screenshot.png is not a 640x480 PNG")
    else:
        rgb = im.convert("RGB")
        if len(set(rgb.getdata())) < 16: bad.append("screenshot.png is nearly blank")
        # Gameplay, not the title screen: the picture halved is not the title.
        try:
            t = Image.open(title).convert("RGB")
            if rgb.resize((320, 240), Image.NEAREST).tobytes() == t.tobytes(): bad.append("screenshot.png shows the title screen")
        except OSError:
            pass
except Exception as e:
    bad.append("screenshot.png does not read: %s" % e)
try:
    text = open(d + "/README.md", encoding="utf-8").read()
    for section in ("Notes", "Controls", "Compile"):
        if not re.search(r"^## %s\s*$" % section, text, re.M): bad.append("README.md has no %s section" % section)
    if "Thanks" not in text and "thank" not in text: bad.append("README.md's notes thank nobody")
    if not re.search(r"^\|.*\|\s*$", text, re.M): bad.append("README.md's controls are no table")
    if m:
        for name, v in FIRMWARES.items():
            if m and version(v) >= version(m) and name not in text: bad.append("README.md does not name %s among the firmwares" % name)
    if "@" in re.sub(r"[\w.-]+@[\w.-]+", "", text): bad.append("README.md keeps a placeholder")
except Exception as e:
    bad.append("README.md does not read: %s" % e)
for b in bad: print("check: FAIL:", b, file=sys.stderr)
if not bad: print("check: ok: port.json (min_glibc %s), gameinfo.xml, README.md and a 640x480 screenshot.png of play" % m)
sys.exit(1 if bad else 0)
EOF
    # The pad map as the mapper reads it: every button set, to a key it knows or to
    # nothing, and the game's keys where they belong.
    if /usr/bin/python3 "$root/tools/package/check-gptk.py" "$unpacked/$dir/vesperalia.gptk" \
        up=up down=down left=left right=right left_analog_up=up left_analog_down=down \
        left_analog_left=left left_analog_right=right a=space b=space x=space y=space \
        start=rightctrl l1=- r1== >"$work/gptk.out" 2>&1; then
        ok "vesperalia.gptk: every button set, as the mapper reads it"
    else
        sed 's/^/check: FAIL: /' "$work/gptk.out" >&2
        fail "vesperalia.gptk does not hold what the mapper should send"
    fi
    [ ${#sysroots[@]} -gt 0 ] || sysroots=("$root/build-cross/arm64/firmware-root" "$root/build-cross/arm64/firmware-root-13")
    check_handheld_libraries $dir

    command -v qemu-aarch64-static >/dev/null || { fail "qemu-aarch64-static is missing (qemu-user-static)"; return; }
    local r n=0
    for r in "${sysroots[@]}"; do
        n=$((n + 1))
        [ -d "$r" ] || { fail "no arm64 firmware root at $r for the emulated run (tools/cross/make-firmware-root.sh)"; continue; }
        run_launcher "$r" "$work/run$n"
    done
}

# The launcher itself, from a fresh unpacking without execute bits, on a stand-in for the
# package manager: a control folder whose control.txt and mod_TEST.txt note each call in
# order, and DEVICE_ARCH "qemu", whose stand-ins for the two binaries run the packaged
# aarch64 ones under the emulator on ROOT (this machine runs no aarch64 code itself).
run_launcher() { # ROOT WORK
    local sysroot=$1 w=$2 rootname dir=vesperalia
    rootname=$(basename "$1")
    # A root with SDL 1.2 of its own would hide a package that lacks the layer.
    local own
    own=$(find "$sysroot/" -name 'libSDL-1.2.so*' -print -quit)
    [ -z "$own" ] || { fail "$rootname has SDL 1.2 of its own (${own#$sysroot/}): running on it proves nothing"; return; }
    local ports=$w/ports game=$w/ports/$dir xdg=$w/xdg calls=$w/calls
    mkdir -p "$ports" "$xdg/PortMaster"
    unzip -q "$zip" -d "$ports" || { fail "$zip does not unzip"; return; }
    find "$ports" -type f -exec chmod a-x {} +
    cat >"$xdg/PortMaster/control.txt" <<EOF
echo control.txt >>"$calls"
CFW_NAME=TEST
ESUDO=""
get_controls() {
  echo get_controls >>"$calls"
  directory="${w#/}"
  DEVICE_ARCH=qemu
  GPTOKEYB=gptokeyb_stub
  sdl_controllerconfig="stand-in controller line"
}
gptokeyb_stub() { echo "gptokeyb \$*" >>"$w/gptokeyb"; }
pm_platform_helper() { echo "pm_platform_helper \$*" >>"$calls"; }
pm_finish() { echo pm_finish >>"$calls"; }
EOF
    echo "echo mod_TEST.txt >>\"$calls\"" >"$xdg/PortMaster/mod_TEST.txt"
    ln -s libs.aarch64 "$game/libs.qemu"
    # At the end of the bounded run the game gets a quit request (SIGTERM, which SDL turns
    # into a quit event): only a game in its frame loop ends on it, with status 0. Both
    # stand-ins are written without execute bits, as the packaged binaries were unpacked;
    # each stands for its binary on a device, so the bit the launcher gave it goes to the
    # binary the emulator runs (qemu-user, too, runs only executable files).
    cat >"$game/vesperalia.qemu" <<EOF
#!/bin/sh
echo game >>"$calls"
pwd >"$w/game.dir"
echo "\$@" >"$w/game.args"
echo "\${SDL12COMPAT_SCALE_METHOD:-} \${SDL_GAMECONTROLLERCONFIG:-}" >"$w/game.env"
[ -x ./vesperalia.qemu ] && chmod +x ./vesperalia.aarch64
start=\$(date +%s)
timeout --preserve-status -k 15 $seconds qemu-aarch64-static -L "$sysroot" ./vesperalia.aarch64 "\$@"
echo "\$? \$((\$(date +%s) - start))" >"$w/game.status"
EOF
    cat >"$game/vesperalia-profile.qemu" <<EOF
#!/bin/sh
[ -x ./vesperalia-profile.qemu ] && chmod +x ./vesperalia-profile.aarch64
exec qemu-aarch64-static -L "$sysroot" ./vesperalia-profile.aarch64 "\$@"
EOF
    chmod a-x "$game/vesperalia.qemu" "$game/vesperalia-profile.qemu"
    # A German firmware: the profile takes "de" when lang/ carries it.
    local want_lang=en
    # grep reads to the end: with -q it may stop early, and pipefail would count that.
    language_names "$dir" | grep -x de >/dev/null && want_lang=de
    env -i PATH="$PATH" HOME="$w" XDG_DATA_HOME="$xdg" LANG=de_DE.UTF-8 \
        SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy \
        bash "$ports/Vesperalia.sh" >"$w/launcher.out" 2>&1 </dev/null
    # Files, not the launcher's output: that goes through tee, which may still be writing.
    local order
    order=$(tr '\n' ';' <"$calls" 2>/dev/null)
    local want="control.txt;mod_TEST.txt;get_controls;pm_platform_helper /${w#/}/ports/vesperalia/vesperalia.qemu;game;pm_finish;"
    [ "$order" = "$want" ] && ok "on $rootname the launcher took control.txt, mod_TEST.txt, get_controls, pm_platform_helper, the game and pm_finish in order" ||
        fail "on $rootname the launcher's calls were '$order', not '$want': $(tail -n 3 "$w/launcher.out" | tr '\n' ' ')"
    grep -qx "gptokeyb vesperalia.qemu -c ./vesperalia.gptk" "$w/gptokeyb" 2>/dev/null ||
        fail "the launcher did not start the pad mapper with ./vesperalia.gptk"
    [ "$(cat "$w/game.dir" 2>/dev/null)" = "$game" ] || fail "the game did not start from \$GAMEDIR ($game)"
    [ -f "$game/log.txt" ] || fail "the launcher wrote no log.txt"
    grep -qx -- "-fullscreen" "$w/game.args" 2>/dev/null || fail "the launcher did not pass -fullscreen"
    # The layer blends when it scales the picture up unless told to keep pixels sharp.
    grep -qx "nearest stand-in controller line" "$w/game.env" 2>/dev/null ||
        fail "the launcher does not set SDL12COMPAT_SCALE_METHOD=nearest and SDL_GAMECONTROLLERCONFIG"
    grep -q "Permission denied" "$w/launcher.out" && fail "on $rootname: $(grep -m1 'Permission denied' "$w/launcher.out")"
    local status elapsed
    { read -r status elapsed <"$w/game.status"; } 2>/dev/null || status="none: never started" elapsed=0
    if [ "$elapsed" -lt "$seconds" ]; then
        fail "vesperalia.aarch64 (through Vesperalia.sh, on $rootname) ended by itself with status $status after ${elapsed}s (crash or failed start): $(tail -n 2 "$game/log.txt" 2>/dev/null | tr '\n' ' ')"
    elif [ "$status" != 0 ]; then
        fail "vesperalia.aarch64 was still running on $rootname after ${seconds}s but did not leave on the quit request (status $status): it never reached its frame loop, or hung in it"
    else
        ok "vesperalia.aarch64 (through Vesperalia.sh, its execute bits restored, on $rootname) ran its frame loop for ${seconds}s and left on the quit request"
    fi
    check_registry "$game/exp" player "$want_lang" $dir
    check_layer_picture "$sysroot" "$game"
}

# The title screen the screenshot program draws through the package's SDL 1.2 layer on
# ROOT, against the one it drew on this machine through SDL 1.2 itself. The layer's blitter
# may round blending apart.
check_layer_picture() { # ROOT GAME-DIR
    local sysroot=$1 game=$2
    [ -x "$shooter" ] || { fail "no aarch64 screenshot program at $shooter (tools/package.sh handheld builds it)"; return; }
    readelf -h "$shooter" 2>/dev/null | grep -q AArch64 || { fail "$shooter is not an aarch64 program"; return; }
    [ -f "$title" ] || { fail "no title picture drawn natively at $title (tools/package.sh handheld draws it)"; return; }
    if ! (cd "$game" && env -i PATH="$PATH" HOME="$work" SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy \
        LD_LIBRARY_PATH="$game/libs.aarch64" timeout 120 \
        qemu-aarch64-static -L "$sysroot" "$shooter" "$work/layer.bmp" >"$work/shot.out" 2>&1 </dev/null); then
        fail "the screenshot program failed through the layer on $(basename "$sysroot"): $(tail -n 2 "$work/shot.out" | tr '\n' ' ')"
        return
    fi
    /usr/bin/python3 - "$title" "$work/layer.bmp" "$(basename "$sysroot")" <<'EOF' || fail "the title screen through the layer differs from the native one"
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
good = share >= 99 and worst <= 1
print("check: %s: the title screen through the layer on %s: %.2f %% of the pixels as drawn natively, "
      "the others at most %d step(s) apart (a step: %s)" % (
    "ok" if good else "FAIL", sys.argv[3], share, worst, "/".join(map(str, steps))),
    file=sys.stdout if good else sys.stderr)
sys.exit(0 if good else 1)
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
    need f $dir/licenses/vesperalia/LICENSE &&
        { [ ! -f "$root/LICENSE" ] || cmp -s "$root/LICENSE" "$unpacked/$dir/licenses/vesperalia/LICENSE" ||
            fail "licenses/vesperalia/LICENSE is not the source tree's LICENSE"; }
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
