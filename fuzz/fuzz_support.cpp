#include "fuzz/fuzz_support.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <map>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>
#include <unordered_map>

#include "exp/file_io.h"
#include "exp/registry.h"
#include "game/game_state.h"
#include "localisation/language_table.h"
#include "notify/notifier_state.h"

namespace fs = std::filesystem;

const char pieceSeparator[] = "\n--8<--\n";

namespace {

// Relative path -> bytes ("/" for directories, whose paths end in "/").
typedef std::map<std::string, std::string> Snapshot;
Snapshot baseBefore;
// The tree around the base before the run: for each entry in listing order, its relative
// path ("/" ending a directory's), a NUL and the version of its bytes (0 for a directory).
std::string aroundBefore;

bool sameStatus(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino && a.st_size == b.st_size &&
           a.st_mode == b.st_mode && a.st_mtim.tv_sec == b.st_mtim.tv_sec &&
           a.st_mtim.tv_nsec == b.st_mtim.tv_nsec && a.st_ctim.tv_sec == b.st_ctim.tv_sec &&
           a.st_ctim.tv_nsec == b.st_ctim.tv_nsec;
}

// False when the file cannot be opened or read; status, when given, is the open file's.
bool readFile(const std::string& path, std::string& bytes, struct stat* status = nullptr) {
    bytes.clear();
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat st;
    bool ok = fstat(fd, &st) == 0;
    if (ok && st.st_size > 0) bytes.reserve(static_cast<size_t>(st.st_size));
    char buf[8192];
    while (ok) {
        ssize_t n = read(fd, buf, sizeof buf);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            ok = n == 0; // a directory opens but does not read
            break;
        }
        bytes.append(buf, static_cast<size_t>(n));
    }
    close(fd);
    if (ok && status) *status = st;
    return ok;
}

// The files outside the base as last read, with the status each had then. A file that
// keeps that status, and had last changed well before it was read, still holds those bytes:
// any later write changes its status (only a write within the same clock tick as the read
// could keep it). Nothing outside the base is meant to change, so most runs read none.
struct SeenFile {
    struct stat status;
    time_t readAt;
    std::string bytes;
    unsigned long version; // changes exactly when the bytes read differ from the last ones
};
std::unordered_map<std::string, SeenFile> seenFiles;
unsigned long lastVersion = 1;

// 1 for a file that cannot be read.
unsigned long fileVersion(const std::string& path) {
    auto seen = seenFiles.find(path);
    struct stat now;
    if (seen != seenFiles.end() && stat(path.c_str(), &now) == 0 &&
        sameStatus(seen->second.status, now) && now.st_ctim.tv_sec + 2 <= seen->second.readAt)
        return seen->second.version;
    SeenFile fresh;
    fresh.readAt = std::time(nullptr);
    if (!readFile(path, fresh.bytes, &fresh.status)) {
        if (seen != seenFiles.end()) seenFiles.erase(seen);
        return 1;
    }
    bool same = seen != seenFiles.end() && seen->second.bytes == fresh.bytes;
    fresh.version = same ? seen->second.version : ++lastVersion;
    SeenFile& slot = seenFiles[path];
    slot = std::move(fresh);
    return slot.version;
}

// Calls visit(name, is directory) for each entry of dir but "." and ".." (a symbolic link
// is no directory). Reads the listing with getdents64 into the stack: opendir takes a
// 32 KiB heap buffer, which the sanitizers make costly at a few dozen directories per
// input. visit may remove the entry it is given.
template <typename Visit> void forEachEntry(const std::string& dir, Visit visit) {
    int fd = open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    alignas(8) char buf[4096];
    ssize_t n;
    while ((n = getdents64(fd, buf, sizeof buf)) > 0) {
        for (ssize_t at = 0; at < n;) {
            const dirent64* e = reinterpret_cast<const dirent64*>(buf + at);
            at += e->d_reclen;
            if (!std::strcmp(e->d_name, ".") || !std::strcmp(e->d_name, "..")) continue;
            bool directory = e->d_type == DT_DIR;
            if (e->d_type == DT_UNKNOWN) {
                struct stat st;
                directory =
                    fstatat(fd, e->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(st.st_mode);
            }
            visit(e->d_name, directory);
        }
    }
    close(fd);
}

// Calls visit(relative path, path, is directory) for everything below dir (which ends in
// "/"), but for the directory skip and what it holds.
template <typename Visit>
void walk(const std::string& dir, const std::string& prefix, const std::string& skip,
          Visit& visit) {
    forEachEntry(dir, [&](const char* name, bool directory) {
        std::string path = dir + name;
        if (directory) {
            path += "/";
            if (path == skip) return;
            visit(prefix + name + "/", path, true);
            walk(path, prefix + name + "/", skip, visit);
        } else {
            visit(prefix + name, path, false);
        }
    });
}

std::string baseName(const std::string& path) {
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool startsWith(const std::string& s, const char* prefix) {
    return s.compare(0, std::strlen(prefix), prefix) == 0;
}

// One description as the registry hands it out: id, the two texts up to their NUL, padding.
struct Record {
    int32_t id;
    std::string name, text;
    uint8_t padding[2];
    bool operator==(const Record& o) const {
        return id == o.id && name == o.name && text == o.text && padding[0] == o.padding[0] &&
               padding[1] == o.padding[1];
    }
};

std::string unflipped(const char* field, size_t n) {
    std::string s;
    for (size_t i = 0; i + 1 < n; ++i) { // the last byte always reads as NUL
        char c = static_cast<char>(~static_cast<unsigned char>(field[i]));
        if (!c) break;
        s.push_back(c);
    }
    return s;
}

std::vector<Record> descriptionFile(const std::string& bytes) {
    std::vector<Record> out;
    for (size_t at = 0; at + 128 <= bytes.size(); at += 128) {
        const char* r = bytes.data() + at;
        Record d;
        d.id = getLE32(r);
        d.name = unflipped(r + 4, 21);
        d.text = unflipped(r + 25, 101);
        std::memcpy(d.padding, r + 126, 2);
        out.push_back(d);
    }
    return out;
}

std::vector<ExpItem> itemFile(const std::string& bytes) {
    std::vector<ExpItem> out;
    for (size_t at = 0; at + 16 <= bytes.size(); at += 16) {
        const char* r = bytes.data() + at;
        out.push_back(ExpItem{getLE32(r), getLE32(r + 4), getLE32(r + 8), getLE32(r + 12)});
    }
    return out;
}

// The files checkWellFormed and checkNothingLost read.
bool checkedName(const std::string& name) {
    return name == "exp.dat" || name == "exp.summary" || startsWith(name, "exp.desc.") ||
           name == "results.dat" || name == "exp.lang" || name == "update";
}

// Every directory around the base is watched (inotify): a run after which no change was
// reported there, nearly every run, needs no walk of that tree. -1 without inotify.
int aroundWatch = -1;
bool aroundKnown = false; // aroundBefore describes the tree as it is

void watchDirectory(const std::string& path) {
    if (aroundWatch >= 0)
        inotify_add_watch(aroundWatch, path.c_str(),
                          IN_MODIFY | IN_ATTRIB | IN_CLOSE_WRITE | IN_MOVED_FROM | IN_MOVED_TO |
                              IN_CREATE | IN_DELETE | IN_DELETE_SELF | IN_MOVE_SELF);
}

// Whether a change was reported since the last call (an overflowing queue reports one).
bool aroundChanged() {
    if (aroundWatch < 0) return true;
    alignas(struct inotify_event) char buf[4096];
    bool any = false;
    while (read(aroundWatch, buf, sizeof buf) > 0)
        any = true;
    return any;
}

// Appends the entries below path (a directory, ending in "/") to a fingerprint, but for the
// directory skip; relative paths start at relStart. One string grows and is kept across
// runs: the tree is walked twice per input, and every allocation costs under the sanitizers.
void fingerprintInto(std::string& out, std::string& path, size_t relStart,
                     const std::string& skip) {
    forEachEntry(path, [&](const char* name, bool directory) {
        size_t length = path.size();
        path += name;
        if (directory) path += '/';
        if (path != skip) {
            unsigned long version = directory ? 0 : fileVersion(path);
            out.append(path, relStart, std::string::npos);
            out.push_back('\0');
            out.append(reinterpret_cast<const char*>(&version), sizeof version);
            if (directory) {
                watchDirectory(path);
                fingerprintInto(out, path, relStart, skip);
            }
        }
        path.resize(length);
    });
}

void aroundFingerprint(std::string& out) {
    static std::string path;
    out.clear();
    path = scratch().root;
    watchDirectory(path);
    fingerprintInto(out, path, path.size(), scratch().base);
}

// A fingerprint as relative path -> version.
std::map<std::string, unsigned long> entries(const std::string& fingerprint) {
    std::map<std::string, unsigned long> out;
    for (size_t at = 0; at < fingerprint.size();) {
        size_t end = fingerprint.find('\0', at);
        unsigned long version;
        std::memcpy(&version, fingerprint.data() + end + 1, sizeof version);
        out[fingerprint.substr(at, end - at)] = version;
        at = end + 1 + sizeof version;
    }
    return out;
}

// The base: the bytes of the files whose contents are checked; the others (images, the
// title) only for their presence.
Snapshot baseSnapshot() {
    Snapshot s;
    auto visit = [&s](const std::string& rel, const std::string& path, bool directory) {
        std::string& bytes = s[rel];
        if (directory)
            bytes = "/";
        else if (checkedName(rel.substr(rel.rfind('/') + 1)))
            bytes = readBytes(path);
    };
    walk(scratch().base, "", "", visit);
    return s;
}

void checkWellFormed(const std::string& rel, const std::string& bytes) {
    std::string name = baseName(rel);
    size_t n = bytes.size();
    bool ok = true;
    if (name == "exp.dat")
        ok = n % 16 == 0;
    else if (name == "exp.summary")
        ok = n == 20;
    else if (startsWith(name, "exp.desc."))
        ok = n % 128 == 0;
    else if (name == "results.dat")
        ok = n == 12;
    else if (name == "exp.lang")
        ok = n <= 99 && bytes.find('\n') == std::string::npos;
    else if (name == "update")
        ok = n == 0;
    if (!ok) fuzzFail("malformed " + rel + " written: " + std::to_string(n) + " bytes");
}

// What was on disk stays: items keep their order, id, points and flag; descriptions keep
// their records. Both files are only ever appended to.
void checkNothingLost(const std::string& rel, const std::string& before, const std::string& now) {
    std::string name = baseName(rel);
    if (name == "exp.dat") {
        std::vector<ExpItem> a = itemFile(before), b = itemFile(now);
        for (size_t i = 0; i < a.size(); ++i)
            if (i >= b.size() || a[i].id != b[i].id || a[i].points != b[i].points ||
                a[i].flag != b[i].flag)
                fuzzFail("item record " + std::to_string(i) + " lost or changed in " + rel);
    } else if (startsWith(name, "exp.desc.")) {
        std::vector<Record> a = descriptionFile(before), b = descriptionFile(now);
        for (size_t i = 0; i < a.size(); ++i)
            if (i >= b.size() || !(a[i] == b[i]))
                fuzzFail("description record " + std::to_string(i) + " lost or changed in " + rel);
    }
}

void checkMemoryMatchesDisk() {
    if (!registry.isOpen) return;
    const std::string& dir = registry.gameDir;
    std::vector<ExpItem> items = itemFile(readBytes(dir + "exp.dat"));
    bool same = items.size() == registry.items.size();
    for (size_t i = 0; same && i < items.size(); ++i) {
        const ExpItem &a = items[i], &b = registry.items[i];
        same = a.id == b.id && a.points == b.points && a.flag == b.flag && a.unlocked == b.unlocked;
    }
    if (!same)
        fuzzFail("items in memory (" + std::to_string(registry.items.size()) +
                 ") differ from exp.dat (" + std::to_string(items.size()) + ")");

    std::string summary = readBytes(dir + "exp.summary");
    const ExpSummary& s = registry.summary;
    int32_t counters[5] = {s.unlockedCount, s.itemCount, s.earnedPoints, s.totalPoints,
                           s.openCount};
    if (summary.size() != 20) fuzzFail("exp.summary missing after the opening");
    for (int i = 0; i < 5; ++i)
        if (getLE32(summary.data() + 4 * i) != counters[i])
            fuzzFail("summary counter " + std::to_string(i) + " differs from exp.summary");

    std::string path = descriptionPath(registry.loadedLanguage);
    // A language whose file cannot be written has none: its texts live in memory only, as
    // the registry intends for a file it cannot create. That is so when the file's name, or
    // the name of the temporary file (".NAME.tmp") every registry write goes through, is too
    // long for the file system.
    std::string name = baseName(path);
    if (name.size() + 5 > static_cast<size_t>(pathconf(dir.c_str(), _PC_NAME_MAX))) return;
    std::vector<Record> onDisk;
    if (!path.empty()) onDisk = descriptionFile(readBytes(path));
    same = onDisk.size() == registry.descriptions.size();
    for (size_t i = 0; same && i < onDisk.size(); ++i) {
        const ExpDescription& m = registry.descriptions[i];
        Record r;
        r.id = m.id;
        r.name = std::string(m.itemName, strnlen(m.itemName, sizeof m.itemName));
        r.text = std::string(m.itemText, strnlen(m.itemText, sizeof m.itemText));
        std::memcpy(r.padding, m.padding, 2);
        same = r == onDisk[i];
    }
    if (!same)
        fuzzFail("descriptions in memory (" + std::to_string(registry.descriptions.size()) +
                 ") differ from the file of language '" + registry.loadedLanguage + "' (" +
                 std::to_string(onDisk.size()) + ")");
}

void removeScratch() {
    const char* keep = std::getenv("VESPERALIA_FUZZ_SCRATCH");
    std::error_code ec;
    if (!keep && !scratch().root.empty()) fs::remove_all(scratch().root, ec);
}

} // namespace

void fuzzFail(const std::string& what) {
    std::fprintf(stderr, "fuzz check failed: %s\n", what.c_str());
    std::fflush(stderr);
    std::abort();
}

// Plain system calls throughout: the harness runs them for every input, and buffered
// streams cost more than the game code they surround.
void writeBytes(const std::string& path, const std::string& bytes) {
    int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    bool ok = fd >= 0;
    for (size_t at = 0; ok && at < bytes.size();) {
        ssize_t n = write(fd, bytes.data() + at, bytes.size() - at);
        if (n < 0 && errno == EINTR) continue;
        ok = n > 0;
        if (ok) at += static_cast<size_t>(n);
    }
    if (fd >= 0 && close(fd) != 0) ok = false;
    if (!ok) fuzzFail("the harness could not write " + path);
}

std::string readBytes(const std::string& path) {
    std::string bytes;
    if (!readFile(path, bytes)) bytes.clear();
    return bytes;
}

void listFiles(const std::string& dir, std::vector<std::pair<std::string, std::string>>& out) {
    auto visit = [&out](const std::string& rel, const std::string& path, bool directory) {
        out.emplace_back(rel, directory ? std::string() : readBytes(path));
    };
    walk(dir, "", "", visit);
}

void makeDirs(const std::string& path) {
    for (size_t slash = path.find('/', 1); slash != std::string::npos;
         slash = path.find('/', slash + 1))
        mkdir(path.substr(0, slash).c_str(), 0777);
    mkdir(path.c_str(), 0777);
}

void emptyDirectory(const std::string& dir) {
    std::string inside = dir.back() == '/' ? dir : dir + "/";
    forEachEntry(inside, [&inside](const char* name, bool directory) {
        std::string path = inside + name;
        if (directory) {
            emptyDirectory(path);
            rmdir(path.c_str());
        } else {
            unlink(path.c_str());
        }
    });
}

const ScratchTree& scratch() {
    static ScratchTree tree;
    if (!tree.root.empty()) return tree;
    if (const char* given = std::getenv("VESPERALIA_FUZZ_SCRATCH")) {
        tree.root = given;
        makeDirs(tree.root);
        emptyDirectory(tree.root);
    } else {
        // tmpfs when there is one: every registry write is flushed to its medium.
        std::string tmpl = access("/dev/shm", W_OK) == 0 ? "/dev/shm/vesperalia-fuzz-XXXXXX"
                                                         : "/tmp/vesperalia-fuzz-XXXXXX";
        std::vector<char> buf(tmpl.begin(), tmpl.end());
        buf.push_back('\0');
        if (!mkdtemp(buf.data())) fuzzFail("no scratch directory");
        tree.root = buf.data();
        std::atexit(removeScratch);
    }
    if (tree.root.back() != '/') tree.root += "/";
    tree.base = tree.root + "exp/";
    tree.sentinel = tree.root + "sentinel/";
    tree.work = tree.root + "work/";
    makeDirs(tree.base);
    makeDirs(tree.work);
    // A registry as the game would leave it, where a path escaping base/ would land.
    makeDirs(tree.sentinel + "tester/tolvenar_vesperalia/saves");
    writeBytes(tree.sentinel + "activeexp", "tester\n");
    writeBytes(tree.sentinel + "tester/exp.cfg", "name=sentinel\nlang=en\n");
    writeBytes(tree.sentinel + "tester/tolvenar_vesperalia/exp.dat", std::string(16, '\1'));
    writeBytes(tree.sentinel + "exp.desc.en", std::string(128, '\2'));
    writeBytes(tree.root + "results.dat", std::string(12, '\3'));
    if (chdir(tree.work.c_str()) != 0) fuzzFail("cannot enter " + tree.work);
    // Three of the game's languages, found again in work/: every run sees the same ones
    // wherever the target was started. Three reach every path that seven do (a choice among
    // several, one description file each) at less than half the writes per registration.
    std::error_code ec;
    fs::create_directories(tree.work + "lang", ec);
    for (const char* name : {"english", "spanish", "german"})
        fs::copy(std::string(VESPERALIA_SOURCE_DIR) + "/lang/" + name, tree.work + "lang/" + name,
                 fs::copy_options::overwrite_existing, ec);
    languageTable = LanguageTable();
    return tree;
}

std::vector<std::string> splitInput(const uint8_t* data, size_t size, size_t maxPieces) {
    std::string all(reinterpret_cast<const char*>(data), size);
    std::vector<std::string> pieces;
    size_t at = 0;
    const size_t sepLength = std::strlen(pieceSeparator);
    while (pieces.size() + 1 < maxPieces) {
        size_t next = all.find(pieceSeparator, at);
        if (next == std::string::npos) break;
        pieces.push_back(all.substr(at, next - at));
        at = next + sepLength;
    }
    pieces.push_back(all.substr(at));
    pieces.resize(maxPieces);
    return pieces;
}

namespace {

// The registry, the Notifier's queue, the game state and the loaded texts back to their
// start values. The embedded font stays open: opening and checking it again for every
// input would cost more than the rest of a registration.
void resetProcessRecords() {
    resetRegistry();
    TTF_Font* font = notifierFont;
    notifierFont = nullptr;
    resetNotifier();
    notifierFont = font;
    resetGameState();
    std::vector<std::string>().swap(languageTable.strings);
}

} // namespace

void freshRegistry() {
    const ScratchTree& t = scratch();
    emptyDirectory(t.base);
    resetProcessRecords();
    registry.baseDir = t.base;
}

void writeProfile(const std::string& cfg) {
    const ScratchTree& t = scratch();
    makeDirs(t.base + "tester");
    writeBytes(t.base + "activeexp", "tester\n");
    writeBytes(t.base + "tester/exp.cfg", cfg);
}

std::string testerGameDir() {
    return scratch().base + "tester/tolvenar_vesperalia/";
}

void beginRun() {
    if (aroundWatch < 0 && !aroundKnown) aroundWatch = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (aroundChanged() || !aroundKnown) aroundFingerprint(aroundBefore);
    aroundKnown = true;
    baseBefore = baseSnapshot();
}

void checkAfterRun() {
    const ScratchTree& t = scratch();
    static std::string aroundAfter;
    if (aroundChanged())
        aroundFingerprint(aroundAfter);
    else
        aroundAfter = aroundBefore;
    if (aroundAfter != aroundBefore) {
        // Either something changed, or only the listing order did.
        std::map<std::string, unsigned long> before = entries(aroundBefore),
                                             after = entries(aroundAfter);
        for (const auto& [path, version] : after) {
            auto was = before.find(path);
            if (was == before.end() || was->second != version)
                fuzzFail("written outside the registry base: " + t.root + path);
        }
        if (after.size() != before.size()) fuzzFail("removed outside the registry base");
    }
    Snapshot base = baseSnapshot();
    for (const auto& [path, bytes] : base) {
        std::string name = baseName(path);
        if (!name.empty() && name[0] == '.' && name.size() > 4 &&
            name.compare(name.size() - 4, 4, ".tmp") == 0)
            fuzzFail("temporary file left behind: " + path);
        auto was = baseBefore.find(path);
        if (was != baseBefore.end() && was->second == bytes) continue;
        if (path.back() != '/') checkWellFormed(path, bytes);
        if (was != baseBefore.end()) checkNothingLost(path, was->second, bytes);
    }
    for (const auto& [path, bytes] : baseBefore)
        if (!base.count(path)) fuzzFail("removed from the registry: " + path);
    checkMemoryMatchesDisk();
    // What the run built goes within the run: libFuzzer runs a costly leak check after
    // every run that frees less than it allocates.
    Snapshot().swap(baseBefore);
    resetProcessRecords();
}
