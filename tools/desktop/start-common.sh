# shellcheck shell=sh
# Shared by tools/play.sh (playing from the checkout) and the installed launcher:
# sourced, not run. Names start with vesperalia_ so they cannot clash with the caller's.

# Fails with one line on stderr when there is no graphical display to open a window on.
# $1: the name to report as.
vesperalia_need_display() {
    if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
        echo "$1: no graphical display (neither DISPLAY nor WAYLAND_DISPLAY is set); start it from a desktop session" >&2
        return 1
    fi
}

# Prints the "@lang" name of the file in $1 (a lang/ folder) that matches the user's
# locale: first language and territory (pt_BR), then the language alone (pt); en when
# none matches.
vesperalia_locale_language() {
    vesperalia_locale=${LC_ALL:-${LC_MESSAGES:-${LANG:-}}}
    vesperalia_full=$(printf '%s' "${vesperalia_locale%%[.@]*}" | tr '[:upper:]' '[:lower:]')
    vesperalia_short=${vesperalia_full%%_*}
    for vesperalia_want in "$vesperalia_full" "$vesperalia_short"; do
        # "C" and "POSIX" name no language; an odd value is not put into a pattern.
        case $vesperalia_want in '' | c | posix | *[!a-z_]*) continue ;; esac
        for vesperalia_file in "$1"/*; do
            [ -f "$vesperalia_file" ] || continue
            vesperalia_name=$(LC_ALL=C sed -n 's/^@lang[[:space:]]\{1,\}\([^[:space:]]\{1,\}\).*/\1/p' \
                "$vesperalia_file" | head -n 1)
            if [ "$(printf '%s' "$vesperalia_name" | tr '[:upper:]' '[:lower:]')" = "$vesperalia_want" ]; then
                printf '%s\n' "$vesperalia_name"
                return 0
            fi
        done
    done
    echo en
}

# On the first run (no "activeexp" in the registry yet) makes a profile named after the
# user, in the locale's language, and makes it the active one. The game starts even when
# this fails: it then plays without achievements, and the profile tool has said why.
# $1: the profile tool, $2: the registry base (ending in "/"), $3: the lang/ folder,
# $4: the name to report as.
vesperalia_first_profile() {
    [ -e "${2}activeexp" ] && return 0
    vesperalia_user=${USER:-}
    [ -n "$vesperalia_user" ] || vesperalia_user=$(id -un 2>/dev/null) || vesperalia_user=
    [ -n "$vesperalia_user" ] || vesperalia_user=Player
    vesperalia_lang=$(vesperalia_locale_language "$3")
    # A user name the registry cannot hold (outside Latin-1) gives way to "Player".
    if ! "$1" --base "$2" create "$vesperalia_user" "$vesperalia_lang" 2>/dev/null &&
        ! "$1" --base "$2" create Player "$vesperalia_lang"; then
        echo "$4: no first profile was made; the game starts without achievements" >&2
    fi
    return 0
}
