#include "fuzz/fuzz_support.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <unistd.h>

#include "exp/file_io.h"
#include "exp/registry.h"
#include "game/game_state.h"
#include "localisation/language_table.h"
#include "notify/notifier_state.h"

namespace fs = std::filesystem;

const char pieceSeparator[] = "\n--8<--\n";

namespace {

typedef std::map<std::string, std::string> Snapshot; // relative path -> bytes ("/" for dirs)

Snapshot aroundBefore, baseBefore;

void snapshotInto(Snapshot& out, const std::string& dir, const std::string& prefix,
                  const std::string& skip) {
    std::error_code ec;
    for (const fs::directory_entry& e : fs::directory_iterator(dir, ec)) {
        std::string name = e.path().filename().string();
        std::string path = dir + name;
        if (path + "/" == skip) continue;
        if (e.is_directory(ec) && !e.is_symlink(ec)) {
            out[prefix + name + "/"] = "/";
            snapshotInto(out, path + "/", prefix + name + "/", skip);
        } else {
            out[prefix + name] = readBytes(path);
        }
    }
}

Snapshot snapshot(const std::string& dir, const std::string& skip = "") {
    Snapshot s;
    snapshotInto(s, dir, "", skip);
    return s;
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

void writeBytes(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) fuzzFail("the harness could not write " + path);
}

std::string readBytes(const std::string& path) {
    std::string bytes;
    readWholeFile(path, bytes);
    return bytes;
}

void makeDirs(const std::string& path) {
    std::error_code ec;
    fs::create_directories(path, ec);
}

void emptyDirectory(const std::string& dir) {
    std::error_code ec;
    for (const fs::directory_entry& e : fs::directory_iterator(dir, ec))
        fs::remove_all(e.path(), ec);
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

void installGameFiles() {
    const ScratchTree& t = scratch();
    std::error_code ec;
    const std::string source = VESPERALIA_SOURCE_DIR;
    fs::copy(source + "/lang", t.work + "lang", fs::copy_options::overwrite_existing, ec);
    makeDirs(t.work + "data");
    for (const fs::directory_entry& e : fs::directory_iterator(source + "/data", ec))
        if (e.path().extension() == ".bmp")
            fs::copy_file(e.path(), t.work + "data/" + e.path().filename().string(),
                          fs::copy_options::overwrite_existing, ec);
    languageTable = LanguageTable(); // found again in the working directory
}

void freshRegistry() {
    const ScratchTree& t = scratch();
    emptyDirectory(t.base);
    resetRegistry();
    registry.baseDir = t.base;
    resetNotifier();
    resetGameState();
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
    const ScratchTree& t = scratch();
    aroundBefore = snapshot(t.root, t.base);
    baseBefore = snapshot(t.base);
}

void checkAfterRun() {
    const ScratchTree& t = scratch();
    Snapshot around = snapshot(t.root, t.base);
    if (around != aroundBefore) {
        for (const auto& [path, bytes] : around) {
            auto was = aroundBefore.find(path);
            if (was == aroundBefore.end() || was->second != bytes)
                fuzzFail("written outside the registry base: " + t.root + path);
        }
        fuzzFail("removed outside the registry base");
    }
    Snapshot base = snapshot(t.base);
    for (const auto& [path, bytes] : base) {
        std::string name = baseName(path);
        if (!name.empty() && name[0] == '.' && name.size() > 4 &&
            name.compare(name.size() - 4, 4, ".tmp") == 0)
            fuzzFail("temporary file left behind: " + path);
        auto was = baseBefore.find(path);
        if (was != baseBefore.end() && was->second == bytes) continue;
        if (bytes != "/") checkWellFormed(path, bytes);
        if (was != baseBefore.end()) checkNothingLost(path, was->second, bytes);
    }
    for (const auto& [path, bytes] : baseBefore)
        if (!base.count(path)) fuzzFail("removed from the registry: " + path);
    checkMemoryMatchesDisk();
}
