#!/bin/sh
# Runs the handheld launcher, Vesperalia.sh, on a stand-in for the package manager with
# stand-ins for the game and the profile tool, and checks the language it gives the first
# profile for each firmware locale: the locale's language when lang/ carries it, else en.
#   check-launcher-language.sh SOURCE-DIR     (works in a scratch folder under /tmp)
set -eu
src=$1
scratch=$(mktemp -d "${TMPDIR:-/tmp}/vesperalia-launcher.XXXXXX")
game=$scratch/ports/vesperalia
problems=0

mkdir -p "$game" "$scratch/xdg/PortMaster"
cp -r "$src/lang" "$game/"
{
    echo 'get_controls() {'
    echo "  directory=\"${scratch#/}\""
    echo '  DEVICE_ARCH=stub'
    echo '  GPTOKEYB=true'
    echo '  sdl_controllerconfig=""'
    echo '}'
    echo 'pm_platform_helper() { :; }'
    echo 'pm_finish() { :; }'
} >"$scratch/xdg/PortMaster/control.txt"
# The profile tool notes what it was asked to do; the game does nothing.
printf '#!/bin/sh\necho "$*" >profile.args\n' >"$game/vesperalia-profile.stub"
printf '#!/bin/sh\n' >"$game/vesperalia.stub"
chmod +x "$game/vesperalia-profile.stub" "$game/vesperalia.stub"

for case in "LANG=fr_FR.UTF-8:fr" "LANG=it_IT:it" "LANG=pt_PT.UTF-8:pt" "LANG=pt_BR.UTF-8:pt" \
    "LANG=nl_NL.UTF-8:nl" "LANG=nl_BE:nl" "LANG=de_DE.UTF-8:de" "LANG=es_ES:es" \
    "LANG=en_GB.UTF-8:en" "LANG=ja_JP.UTF-8:en" "LANG=C:en" "LC_ALL=it_IT.UTF-8 LANG=fr_FR.UTF-8:it"; do
    rm -f "$game/profile.args"
    # shellcheck disable=SC2086 # the settings are split on purpose
    env -i PATH="$PATH" HOME="$scratch" XDG_DATA_HOME="$scratch/xdg" ${case%:*} \
        bash "$src/tools/package/Vesperalia.sh" >/dev/null 2>&1 </dev/null || true
    got=$(sed -n 's/.* create Player \(.*\)$/\1/p' "$game/profile.args" 2>/dev/null || true)
    if [ "$got" != "${case##*:}" ]; then
        echo "check-launcher-language: locale ${case%:*} gave '$got', not '${case##*:}'" >&2
        problems=$((problems + 1))
    fi
done

if [ "$problems" -ne 0 ]; then
    echo "check-launcher-language: $problems problem(s); the stand-in is kept in $scratch" >&2
    exit 1
fi
rm -rf "$scratch"
echo "check-launcher-language: the handheld launcher picks the locale's language"
