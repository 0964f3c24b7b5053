#include "exp/file_io.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

bool (*beforeRenameHook)(const std::string& tempPath) = nullptr;
CardWrites cardWrites;
CardSettings cardSettings;

void resetCardWrites() {
    cardWrites = CardWrites();
}

void setCardBatching(bool on) {
    cardSettings.batching = on;
}
void setCardJournal(const std::string& path) {
    cardSettings.journal = path;
}
void setCardFlushHook(void (*onFlush)()) {
    cardSettings.onFlush = onFlush;
}
void setCardFaultHook(bool (*hook)(CardStep step, const std::string& path)) {
    cardSettings.faultHook = hook;
}
void resetCardSettings() {
    cardSettings = CardSettings();
}

namespace {

// A file waiting in the open batch, with the number of its last write.
struct Pending {
    std::string path;
    std::string bytes;
    unsigned long lastWrite;
};

// The open batch: how deeply batches are nested, what waits in them.
struct Batch {
    int depth = 0;
    std::vector<Pending> files;
    std::vector<std::string> markers;
    unsigned long writes = 0;
};
Batch batch;

// How far a write got: done, failed with the old file standing, or cut off by the
// rename hook as a power cut would, after which nothing more reaches the card.
enum Outcome { Done, Failed, Cut };

// One name per file, however many slashes the registry's paths double.
std::string fileKey(const std::string& path) {
    std::string key;
    for (char c : path)
        if (c != '/' || key.empty() || key.back() != '/') key.push_back(c);
    return key;
}

Pending* pendingFor(const std::string& path) {
    std::string key = fileKey(path);
    for (Pending& p : batch.files)
        if (fileKey(p.path) == key) return &p;
    return nullptr;
}

bool stepAllowed(CardStep step, const std::string& path) {
    return !cardSettings.faultHook || cardSettings.faultHook(step, path);
}

void countFlush() {
    ++cardWrites.flushes;
    if (cardSettings.onFlush) cardSettings.onFlush();
}

// ".name.tmp" beside the file: registry and Results names never start with a dot.
std::string tempPathFor(const std::string& path) {
    size_t slash = path.rfind('/');
    size_t cut = slash == std::string::npos ? 0 : slash + 1;
    return path.substr(0, cut) + "." + path.substr(cut) + ".tmp";
}

bool isTempName(const std::string& name) {
    return name.size() > 5 && name[0] == '.' && name.compare(name.size() - 4, 4, ".tmp") == 0;
}

std::string directoryOf(const std::string& path) {
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? "." : path.substr(0, slash + 1);
}

void syncDirectory(const std::string& dir) {
    if (!stepAllowed(CardDirFlush, dir)) return;
    int fd = open(dir.c_str(), O_RDONLY);
    if (fd < 0) return;
    countFlush();
    fsync(fd);
    close(fd);
}

bool syncFile(const std::string& path) {
    if (!stepAllowed(CardFlush, path)) return false;
    int fd = open(path.c_str(), O_RDONLY);
    if (fd < 0) return false;
    countFlush();
    bool ok = fsync(fd) == 0;
    return close(fd) == 0 && ok;
}

bool readFromCard(const std::string& path, std::string& bytes, size_t limit) {
    bytes.clear();
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return false;
    char buf[4096];
    while (bytes.size() < limit) {
        size_t want = sizeof buf;
        if (limit - bytes.size() < want) want = limit - bytes.size();
        size_t n = std::fread(buf, 1, want, f);
        bytes.append(buf, n);
        if (n < want) break;
    }
    // A directory opens but does not read: unreadable, like a missing file.
    bool ok = !std::ferror(f);
    std::fclose(f);
    return ok;
}

// True when path is a readable file of exactly these bytes; one byte more is read so
// that a longer file does not pass for an equal one.
bool cardHolds(const std::string& path, const std::string& bytes) {
    std::string present;
    return readFromCard(path, present, bytes.size() + 1) && present == bytes;
}

// Most writes at a start repeat what the card already holds; a flush costs tens of
// milliseconds there and wears the card. A temporary file left by an interrupted write
// goes, so it does not linger beside the whole file.
bool alreadyOnCard(const std::string& path, const std::string& bytes) {
    if (!cardHolds(path, bytes)) return false;
    std::string temp = tempPathFor(path);
    struct stat st;
    if (stat(temp.c_str(), &st) == 0) std::remove(temp.c_str());
    return true;
}

enum TempResult { TempWritten, TempNotCreated, TempFailed };

// The bytes in two halves, so that the fault hook can stop a write half way.
TempResult writeTemp(const std::string& temp, const std::string& bytes, bool flush) {
    FILE* f = std::fopen(temp.c_str(), "wb");
    if (!f) return TempNotCreated;
    ++cardWrites.files;
    size_t half = bytes.size() / 2;
    bool ok = std::fwrite(bytes.data(), 1, half, f) == half;
    ok = std::fflush(f) == 0 && ok;
    ok = stepAllowed(CardTempWrite, temp) && ok;
    ok = std::fwrite(bytes.data() + half, 1, bytes.size() - half, f) == bytes.size() - half && ok;
    ok = std::fflush(f) == 0 && ok;
    if (flush && ok) {
        ok = stepAllowed(CardFlush, temp);
        if (ok) countFlush();
        ok = ok && fsync(fileno(f)) == 0;
    }
    ok = std::fclose(f) == 0 && ok;
    if (ok) return TempWritten;
    std::remove(temp.c_str());
    return TempFailed;
}

Outcome renameOver(const std::string& temp, const std::string& path) {
    if (beforeRenameHook && !beforeRenameHook(temp)) return Cut;
    if (stepAllowed(CardRename, temp) && std::rename(temp.c_str(), path.c_str()) == 0) return Done;
    std::remove(temp.c_str());
    return Failed;
}

// One file alone: its temporary file flushed, renamed, its directory flushed.
Outcome writeOne(const std::string& path, const std::string& bytes) {
    std::string temp = tempPathFor(path);
    if (writeTemp(temp, bytes, true) != TempWritten) return Failed;
    Outcome renamed = renameOver(temp, path);
    if (renamed == Done) syncDirectory(directoryOf(path));
    return renamed;
}

uint32_t crc32Of(const std::string& bytes) {
    uint32_t crc = 0xFFFFFFFFu;
    for (char c : bytes) {
        crc ^= static_cast<unsigned char>(c);
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

// The journal: "VBJ1", the number of files, per file its path's length, the path, its size
// and the CRC-32 of its bytes, then the CRC-32 of everything before, so that a journal cut
// short reads as none.
const char journalMagic[] = "VBJ1";

struct JournalEntry {
    std::string path;
    uint32_t size;
    uint32_t crc;
};

std::string encodeJournal(const std::vector<const Pending*>& files) {
    std::string out(journalMagic, 4);
    putLE32(out, static_cast<int32_t>(files.size()));
    for (const Pending* p : files) {
        putLE32(out, static_cast<int32_t>(p->path.size()));
        out += p->path;
        putLE32(out, static_cast<int32_t>(p->bytes.size()));
        putLE32(out, static_cast<int32_t>(crc32Of(p->bytes)));
    }
    putLE32(out, static_cast<int32_t>(crc32Of(out)));
    return out;
}

bool decodeJournal(const std::string& bytes, std::vector<JournalEntry>& entries) {
    if (bytes.size() < 12 || bytes.compare(0, 4, journalMagic) != 0) return false;
    size_t end = bytes.size() - 4;
    if (uint32_t(getLE32(bytes.data() + end)) != crc32Of(bytes.substr(0, end))) return false;
    uint32_t count = uint32_t(getLE32(bytes.data() + 4));
    size_t at = 8;
    for (uint32_t i = 0; i < count; ++i) {
        if (end - at < 4) return false;
        uint32_t length = uint32_t(getLE32(bytes.data() + at));
        if (end - at - 4 < size_t(length) + 8) return false;
        JournalEntry e;
        e.path = bytes.substr(at + 4, length);
        e.size = uint32_t(getLE32(bytes.data() + at + 4 + length));
        e.crc = uint32_t(getLE32(bytes.data() + at + 8 + length));
        entries.push_back(e);
        at += 12 + length;
    }
    return at == end;
}

bool cardHoldsEntry(const std::string& path, const JournalEntry& e) {
    std::string bytes;
    return readFromCard(path, bytes, size_t(e.size) + 1) && bytes.size() == e.size &&
           crc32Of(bytes) == e.crc;
}

bool writeJournal(const std::string& path, const std::string& bytes) {
    if (!stepAllowed(CardJournal, path)) return false;
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    ok = std::fclose(f) == 0 && ok;
    if (!ok) std::remove(path.c_str());
    return ok;
}

// One flush of each file system holding the files; file by file where the system has no
// such call or the kernel refuses it, and then byFile is set. A single file is flushed alone.
bool flushAll(const std::vector<std::string>& paths, bool& byFile) {
    byFile = true;
    if (paths.size() == 1) return syncFile(paths[0]);
#ifdef HAVE_SYNCFS
    std::vector<dev_t> done;
    bool fallBack = false;
    for (const std::string& path : paths) {
        struct stat st;
        if (stat(path.c_str(), &st) != 0) return false;
        if (std::find(done.begin(), done.end(), st.st_dev) != done.end()) continue;
        if (!stepAllowed(CardFlush, directoryOf(path))) return false;
        int fd = open(directoryOf(path).c_str(), O_RDONLY);
        if (fd < 0) return false;
        int result = syncfs(fd);
        int error = errno;
        close(fd);
        if (result != 0 && error == ENOSYS) {
            fallBack = true;
            break;
        }
        countFlush();
        if (result != 0) return false;
        done.push_back(st.st_dev);
    }
    byFile = fallBack;
    if (!fallBack) return true;
#endif
    for (const std::string& path : paths)
        if (!syncFile(path)) return false;
    return true;
}

// Several files: all temporary files, one flush, the renames, one flush per directory.
Outcome writeSeveral(std::vector<Pending>& files) {
    std::vector<const Pending*> written;
    std::vector<std::string> temps;
    for (const Pending& p : files) {
        std::string temp = tempPathFor(p.path);
        TempResult r = writeTemp(temp, p.bytes, false);
        if (r == TempNotCreated) continue; // as a single write, this file stays as it was
        if (r == TempFailed) {
            for (const std::string& t : temps)
                std::remove(t.c_str());
            return Failed;
        }
        written.push_back(&p);
        temps.push_back(temp);
    }
    if (written.empty()) return Failed;
    const std::string journal = written.size() > 1 ? cardSettings.journal : std::string();
    bool journalled = !journal.empty() && writeJournal(journal, encodeJournal(written));
    std::vector<std::string> flushed = temps;
    if (journalled) flushed.push_back(journal);
    bool byFile = false;
    if (!flushAll(flushed, byFile)) {
        for (const std::string& t : flushed)
            std::remove(t.c_str());
        return Failed;
    }
    // A file's own flush need not carry its name in the directory: the journal's must be
    // there before the first rename.
    if (journalled && byFile) syncDirectory(directoryOf(journal));
    Outcome outcome = written.size() == files.size() ? Done : Failed;
    std::vector<std::string> dirs;
    for (size_t i = 0; i < written.size(); ++i) {
        Outcome renamed = renameOver(temps[i], written[i]->path);
        if (renamed == Cut) return Cut;
        if (renamed == Failed) {
            outcome = Failed;
            continue;
        }
        std::string dir = directoryOf(written[i]->path);
        bool seen = false;
        for (const std::string& d : dirs)
            seen = seen || fileKey(d) == fileKey(dir);
        if (!seen) dirs.push_back(dir);
    }
    for (const std::string& dir : dirs)
        syncDirectory(dir);
    // Only once the renames are on the card: a journal outliving them finds them done.
    if (journalled) std::remove(journal.c_str());
    return outcome;
}

void touchNow(const std::string& path) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (f) std::fclose(f);
}

bool commitBatch() {
    std::vector<Pending> files = std::move(batch.files);
    std::vector<std::string> markers = std::move(batch.markers);
    batch = Batch();
    std::sort(files.begin(), files.end(),
              [](const Pending& a, const Pending& b) { return a.lastWrite < b.lastWrite; });
    // A file written back to what the card holds needs nothing.
    files.erase(std::remove_if(files.begin(), files.end(),
                               [](const Pending& p) { return alreadyOnCard(p.path, p.bytes); }),
                files.end());
    Outcome outcome = Done;
    if (files.size() == 1) outcome = writeOne(files[0].path, files[0].bytes);
    if (files.size() > 1) outcome = writeSeveral(files);
    if (outcome == Cut) return false;
    for (const std::string& marker : markers)
        if (stepAllowed(CardMarker, marker)) touchNow(marker);
    return outcome == Done;
}

} // namespace

void beginCardBatch() {
    if (cardSettings.batching) ++batch.depth;
}

bool endCardBatch() {
    if (batch.depth == 0) return true;
    if (--batch.depth > 0) return true;
    return commitBatch();
}

void recoverCardBatch(const std::string& journal, const std::vector<std::string>& dirs) {
    std::string bytes;
    std::vector<JournalEntry> entries;
    if (!journal.empty() && readFromCard(journal, bytes, 1 << 20)) {
        // Every file either still waits in its temporary file or is renamed already: the
        // flush was on the card before the first rename, so the rest can follow. Otherwise
        // the batch never got that far, and its files stand as they were.
        bool complete = decodeJournal(bytes, entries);
        for (const JournalEntry& e : entries)
            complete =
                complete && (cardHoldsEntry(tempPathFor(e.path), e) || cardHoldsEntry(e.path, e));
        std::vector<std::string> touched;
        for (const JournalEntry& e : complete ? entries : std::vector<JournalEntry>()) {
            std::string temp = tempPathFor(e.path);
            if (!cardHoldsEntry(temp, e) || std::rename(temp.c_str(), e.path.c_str()) != 0)
                continue;
            if (std::find(touched.begin(), touched.end(), directoryOf(e.path)) == touched.end())
                touched.push_back(directoryOf(e.path));
        }
        for (const std::string& dir : touched)
            syncDirectory(dir);
        std::remove(journal.c_str());
    }
    for (const std::string& dir : dirs) {
        DIR* d = opendir(dir.c_str());
        while (dirent* e = d ? readdir(d) : nullptr)
            if (isTempName(e->d_name)) std::remove((dir + e->d_name).c_str());
        if (d) closedir(d);
    }
}

bool readWholeFile(const std::string& path, std::string& bytes, size_t limit) {
    if (const Pending* p = batch.depth ? pendingFor(path) : nullptr) {
        bytes = p->bytes.substr(0, limit);
        return true;
    }
    return readFromCard(path, bytes, limit);
}

bool readFirstLine(const std::string& path, std::string& line) {
    std::string bytes;
    if (!readWholeFile(path, bytes, 1023)) return false;
    size_t end = bytes.find_first_of(std::string("\n\0", 2));
    line = bytes.substr(0, end);
    return true;
}

bool writeFileAtomic(const std::string& path, const std::string& bytes) {
    if (batch.depth == 0) return alreadyOnCard(path, bytes) || writeOne(path, bytes) == Done;
    if (Pending* p = pendingFor(path)) {
        p->bytes = bytes;
        p->lastWrite = ++batch.writes;
    } else if (!alreadyOnCard(path, bytes)) {
        batch.files.push_back(Pending{path, bytes, ++batch.writes});
    }
    return true;
}

bool touchEmptyFile(const std::string& path) {
    if (batch.depth > 0) {
        for (const std::string& m : batch.markers)
            if (fileKey(m) == fileKey(path)) return true;
        batch.markers.push_back(path);
        return true;
    }
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    std::fclose(f);
    return true;
}

bool pathExists(const std::string& path) {
    if (batch.depth && pendingFor(path)) return true;
    struct stat st;
    return stat(path.c_str(), &st) == 0;
}

void putLE32(std::string& out, int32_t value) {
    uint32_t u = static_cast<uint32_t>(value);
    for (int shift = 0; shift < 32; shift += 8)
        out.push_back(static_cast<char>((u >> shift) & 0xFF));
}

int32_t getLE32(const char* bytes) {
    const unsigned char* b = reinterpret_cast<const unsigned char*>(bytes);
    uint32_t u = uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 | uint32_t(b[3]) << 24;
    return static_cast<int32_t>(u);
}
