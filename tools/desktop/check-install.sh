#!/bin/sh
# Installs the desktop build into a scratch prefix and checks what a player's machine
# relies on: the layout, the launcher finding everything from its own place (also
# through a symbolic link and after the tree is moved), the game's working directory and
# registry, the first profile's language, and the one-line refusal without a display.
#   check-install.sh CMAKE BUILD-DIR SCRATCH-DIR
set -eu
cmake=$1
build=$2
scratch=$3
prefix=$scratch/prefix
problems=0

bad() {
    echo "check-install: $*" >&2
    problems=$((problems + 1))
}

rm -rf "$scratch"
mkdir -p "$scratch"
if ! "$cmake" --install "$build" --prefix "$prefix" >"$scratch/install.log" 2>&1; then
    cat "$scratch/install.log" >&2
    echo "check-install: cmake --install failed" >&2
    exit 1
fi

for f in bin/vesperalia bin/vesperalia-profile libexec/vesperalia/vesperalia \
    libexec/vesperalia/vesperalia-profile; do
    [ -x "$prefix/$f" ] || bad "$f is missing or not executable"
done
for f in libexec/vesperalia/start-common.sh share/vesperalia/data/title.png \
    share/vesperalia/data/ruveridovo.ttf share/vesperalia/lang/english \
    share/applications/vesperalia.desktop share/man/man6/vesperalia.6 share/man/man6/vesperalia-profile.6; do
    [ -f "$prefix/$f" ] || bad "$f is missing"
done
if grep -q '^Exec=vesperalia' "$prefix/share/applications/vesperalia.desktop" 2>/dev/null &&
    grep -q '^Icon=vesperalia$' "$prefix/share/applications/vesperalia.desktop"; then :; else
    bad "the .desktop entry does not start the launcher with the game's icon"
fi
if [ -d "$build/desktop-icons" ]; then
    [ -f "$prefix/share/icons/hicolor/48x48/apps/vesperalia.png" ] || bad "no 48x48 icon"
fi
sh -n "$prefix/bin/vesperalia" || bad "the launcher does not parse"
sh -n "$prefix/bin/vesperalia-profile" || bad "the profile tool's launcher does not parse"
sh -n "$prefix/libexec/vesperalia/start-common.sh" || bad "start-common.sh does not parse"

# Moved as a whole, with a stand-in for the game that reports where and how it started.
moved=$scratch/moved
mv "$prefix" "$moved"
cat >"$moved/libexec/vesperalia/vesperalia" <<'EOF'
#!/bin/sh
echo "dir=$(pwd)"
echo "base=$VESPERALIA_EXP_BASE"
echo "args=$*"
EOF
mkdir -p "$scratch/elsewhere" "$scratch/data home"
ln -s "$moved/bin/vesperalia" "$scratch/elsewhere/vesperalia"

# Runs "$@" (assignments, then a command) with only the settings that matter here.
clean_env() {
    env -u LC_ALL -u LC_MESSAGES -u LANG -u VESPERALIA_EXP_BASE -u WAYLAND_DISPLAY -u DISPLAY \
        XDG_DATA_HOME="$scratch/data home" USER="ada lovelace" "$@"
}

base="$scratch/data home/vesperalia/exp/"
out=$(clean_env DISPLAY=:99 LANG=es_ES.UTF-8 "$scratch/elsewhere/vesperalia" -scale 2 2>&1) ||
    bad "the launcher failed: $out"
case $out in *"dir=$moved/share/vesperalia"*) ;; *) bad "the game did not start in share/vesperalia: $out" ;; esac
case $out in *"base=$base"*) ;; *) bad "the registry is not under XDG_DATA_HOME: $out" ;; esac
case $out in *"args=-scale 2"*) ;; *) bad "the arguments did not reach the game: $out" ;; esac
grep -qx 'lang=es' "$base"*/exp.cfg 2>/dev/null || bad "no first profile in Spanish under $base"
[ -s "${base}activeexp" ] || bad "the first profile is not the active one"
out=$(clean_env DISPLAY=:99 LANG=de_DE.UTF-8 "$moved/bin/vesperalia" 2>&1) || bad "second start failed: $out"
case $out in *created*) bad "a second start made another profile: $out" ;; esac

# The profile tool from anywhere, with a base relative to where it was typed.
out=$(cd "$scratch" && clean_env "$moved/bin/vesperalia-profile" --base own/exp create Bob de 2>&1) ||
    bad "the installed profile tool could not create a profile: $out"
grep -qx 'lang=de' "$scratch"/own/exp/*/exp.cfg 2>/dev/null || bad "no profile in $scratch/own/exp/"

# No display: one line, a failure, and nothing written.
rm -rf "$scratch/data home"
if out=$(clean_env "$moved/bin/vesperalia" 2>&1); then
    bad "the launcher started without a display"
fi
[ "$(printf '%s\n' "$out" | wc -l)" -eq 1 ] || bad "without a display the launcher said more than one line: $out"
[ ! -e "$scratch/data home" ] || bad "without a display the launcher still wrote the registry"

# The locale's language, when lang/ carries it.
common=$moved/libexec/vesperalia/start-common.sh
lang_dir=$moved/share/vesperalia/lang
for case in "LANG=de_DE.UTF-8:de" "LANG=C.UTF-8:en" "LANG=ja_JP.UTF-8:en" "LANG=es_MX:es" \
    "LANG=de_AT.UTF-8@euro:de" "LC_ALL=es_ES.UTF-8 LANG=de_DE.UTF-8:es" \
    "LC_MESSAGES=de_DE LANG=es_ES:de" "LANG=:en" "LANG=fr_FR.UTF-8:fr" "LANG=it_IT:it" \
    "LANG=pt_PT.UTF-8:pt" "LANG=pt_BR.UTF-8:pt" "LANG=nl_NL.UTF-8:nl" "LANG=nl_BE:nl"; do
    # shellcheck disable=SC2086,SC2016 # settings split on purpose; $1 and $2 are the inner sh's
    got=$(clean_env ${case%:*} sh -c '. "$1"; vesperalia_locale_language "$2"' sh "$common" "$lang_dir")
    [ "$got" = "${case##*:}" ] || bad "locale ${case%:*} gave '$got', not '${case##*:}'"
done

if [ "$problems" -ne 0 ]; then
    echo "check-install: $problems problem(s); the scratch installation is kept in $scratch" >&2
    exit 1
fi
rm -rf "$scratch"
echo "check-install: the installed layout and launcher are sound"
