# Sourced by the cross-build scripts: apt-get with a configuration, package lists and
# cache of its own, so that downloading another Debian release's packages for another
# architecture leaves the machine's own apt sources, settings and package state as they are.
#   private_apt_setup DIR ARCH SUITE   writes DIR/apt.conf and runs apt-get update
#                                      (ARCH "source": Debian's source packages of the
#                                      SUITE, which may name several, as "bullseye bookworm")
#   private_apt DIR ARGS...            apt-get with that configuration
#   exit_if_made STAMP WANT LOCK WHAT  leaves the script when the tree is already made
# Both need fail() from the sourcing script.

PRIVATE_APT_KEYRING=/usr/share/keyrings/debian-archive-keyring.gpg

# The archive this machine's apt uses: the first URI of a stanza that has a release
# suite (no -updates or -security), as in Debian 12's /etc/apt/sources.list.d/debian.sources.
archive_uri() {
    for f in /etc/apt/sources.list.d/*.sources; do
        [ -r "$f" ] || continue
        awk '
            function flush() {
                if (uri != "" && types ~ /(^|[ \t])deb([ \t]|$)/ && suites ~ /(^|[ \t])[a-z]+([ \t]|$)/) {
                    print uri; found = 1; exit
                }
                uri = ""; suites = ""; types = ""
            }
            /^[ \t]*$/ { flush(); next }
            tolower($1) == "uris:" { uri = $2 }
            tolower($1) == "suites:" { $1 = ""; suites = $0 }
            tolower($1) == "types:" { $1 = ""; types = $0 }
            END { if (!found) flush() }
        ' "$f"
    done
    for f in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
        [ -r "$f" ] || continue
        sed -e 's/\[[^]]*\]//' "$f" | awk '$1 == "deb" && $3 ~ /^[a-z]+$/ { print $2 }'
    done
}

private_apt() {
    _dir=$1
    shift
    APT_CONFIG="$_dir/apt.conf" apt-get -q "$@"
}

private_apt_setup() {
    _dir=$1 _arch=$2 _suite=$3
    command -v apt-get >/dev/null 2>&1 || fail "apt-get is needed to download the packages"
    command -v dpkg-deb >/dev/null 2>&1 || fail "dpkg-deb is needed to unpack the packages"
    [ -r "$PRIVATE_APT_KEYRING" ] ||
        fail "no Debian archive keyring at $PRIVATE_APT_KEYRING (package debian-archive-keyring)"
    _uri=$(archive_uri | head -n 1)
    [ -n "$_uri" ] || fail "no Debian archive URI found in /etc/apt/sources.list.d/*.sources or /etc/apt/sources.list"
    mkdir -p "$_dir/empty" "$_dir/state/lists/partial" "$_dir/cache/archives/partial" "$_dir/log"
    : >"$_dir/state/status"
    if [ "$_arch" = source ]; then
        for _s in $_suite; do
            echo "deb-src [signed-by=$PRIVATE_APT_KEYRING] $_uri $_s main"
        done >"$_dir/sources.list"
        _arch=$(dpkg --print-architecture)
    else
        echo "deb [arch=$_arch signed-by=$PRIVATE_APT_KEYRING] $_uri $_suite main" >"$_dir/sources.list"
    fi
    # Read through APT_CONFIG before anything else, so that none of the machine's apt
    # configuration (its sources, preferences, hooks that clean its cache) applies.
    cat >"$_dir/apt.conf" <<EOF
Dir::Etc::main "/dev/null";
Dir::Etc::parts "$_dir/empty";
Dir::Etc::sourcelist "$_dir/sources.list";
Dir::Etc::sourceparts "$_dir/empty";
Dir::Etc::preferences "$_dir/empty/preferences";
Dir::Etc::preferencesparts "$_dir/empty";
Dir::State "$_dir/state";
Dir::State::status "$_dir/state/status";
Dir::Cache "$_dir/cache";
Dir::Log "$_dir/log";
APT::Architecture "$_arch";
APT::Architectures { "$_arch"; };
APT::Install-Recommends "false";
APT::Sandbox::User "root";
Acquire::Languages "none";
Acquire::Retries "3";
EOF
    echo "private-apt: Debian $_suite $_arch packages from $_uri"
    private_apt "$_dir" update >"$_dir/log/update.log" 2>&1 ||
        fail "apt-get update for $_suite/$_arch failed (see $_dir/log/update.log)"
    # Versions the archive no longer has would be unpacked beside their successors.
    private_apt "$_dir" autoclean >/dev/null 2>&1 || true
}

# Unpacks every .deb of DIR's cache into ROOT (several at a time: decompression waits on
# the disk as much as on the processor), without documentation, manual pages,
# translations or the target's Python. Beside them, in ROOT/.packages/, each package's
# file list (PACKAGE.list), version (PACKAGE.version) and licence (PACKAGE.copyright, from its documentation, or
# PACKAGE.copyright-in naming the package whose documentation folder it shares).
private_apt_unpack() { # DIR ROOT
    ls "$1"/cache/archives/*.deb >/dev/null 2>&1 || fail "no packages were downloaded"
    mkdir -p "$2/.packages"
    # shellcheck disable=SC2016
    find "$1/cache/archives" -maxdepth 1 -name '*.deb' -print0 | xargs -0 -n 8 -P 4 sh -c '
        root=$1
        shift
        for deb in "$@"; do
            pkg=$(dpkg-deb -f "$deb" Package) || exit 1
            dpkg-deb -f "$deb" Version >"$root/.packages/$pkg.version"
            tar=$root/.packages/$pkg.tar
            dpkg-deb --fsys-tarfile "$deb" >"$tar" &&
                tar -x -C "$root" -f "$tar" --exclude=./usr/share/doc \
                    --exclude=./usr/share/man --exclude=./usr/share/info --exclude=./usr/share/locale \
                    --exclude=./usr/share/lintian --exclude="./usr/lib/python3*" &&
                tar -t -f "$tar" >"$root/.packages/$pkg.list" ||
                { echo "private-apt: could not unpack $(basename "$deb")" >&2; exit 1; }
            if ! tar -x -O -f "$tar" "./usr/share/doc/$pkg/copyright" >"$root/.packages/$pkg.copyright" 2>/dev/null; then
                rm -f "$root/.packages/$pkg.copyright"
                tar -tv -f "$tar" "./usr/share/doc/$pkg" 2>/dev/null |
                    sed -n "s|.* -> \([^/]*\)/*$|\1|p" >"$root/.packages/$pkg.copyright-in"
            fi
            rm -f "$tar"
        done' unpack "$2" || fail "unpacking the packages failed"
    # Absolute links (libm.so -> /lib/...) would point into this machine: keep them inside.
    find "$2" -type l -lname '/*' | while IFS= read -r link; do
        target=$(readlink "$link")
        rel=$(realpath -m -s --relative-to="$(dirname "$link")" "$2$target")
        ln -sfn "$rel" "$link"
    done
}

# A tree is made when its STAMP holds WANT. One maker at a time per LOCK: a second one
# waits, then finds the tree made and leaves too. Needs say() from the sourcing script.
exit_if_made() { # STAMP WANT LOCK WHAT
    if [ -f "$1" ] && [ "$(cat "$1")" = "$2" ]; then
        say "complete: $4"
        exit 0
    fi
    mkdir -p "$(dirname "$3")"
    command -v flock >/dev/null 2>&1 || return 0
    exec 9>"$3"
    flock 9
    if [ -f "$1" ] && [ "$(cat "$1")" = "$2" ]; then
        say "complete: $4"
        exit 0
    fi
}
