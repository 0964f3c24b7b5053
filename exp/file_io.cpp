#include "exp/file_io.h"

#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

bool (*beforeRenameHook)(const std::string& tempPath) = nullptr;
CardWrites cardWrites;

void resetCardWrites() {
    cardWrites = CardWrites();
}

bool readWholeFile(const std::string& path, std::string& bytes, size_t limit) {
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

bool readFirstLine(const std::string& path, std::string& line) {
    std::string bytes;
    if (!readWholeFile(path, bytes, 1023)) return false;
    size_t end = bytes.find_first_of(std::string("\n\0", 2));
    line = bytes.substr(0, end);
    return true;
}

namespace {

// ".name.tmp" beside the file: registry and Results names never start with a dot.
std::string tempPathFor(const std::string& path) {
    size_t slash = path.rfind('/');
    size_t cut = slash == std::string::npos ? 0 : slash + 1;
    return path.substr(0, cut) + "." + path.substr(cut) + ".tmp";
}

void syncDirectoryOf(const std::string& path) {
    size_t slash = path.rfind('/');
    std::string dir = slash == std::string::npos ? "." : path.substr(0, slash + 1);
    int fd = open(dir.c_str(), O_RDONLY);
    if (fd < 0) return;
    ++cardWrites.flushes;
    fsync(fd);
    close(fd);
}

// True when path is a readable file of exactly these bytes; one byte more is read so
// that a longer file does not pass for an equal one.
bool holdsExactly(const std::string& path, const std::string& bytes) {
    std::string present;
    return readWholeFile(path, present, bytes.size() + 1) && present == bytes;
}

} // namespace

bool writeFileAtomic(const std::string& path, const std::string& bytes) {
    std::string temp = tempPathFor(path);
    if (holdsExactly(path, bytes)) {
        // Most writes at a start repeat what the card already holds; a flush costs tens of
        // milliseconds there and wears the card. A temporary file left by an interrupted
        // write goes, so it does not linger beside the whole file.
        if (pathExists(temp)) std::remove(temp.c_str());
        return true;
    }
    FILE* f = std::fopen(temp.c_str(), "wb");
    if (!f) return false;
    ++cardWrites.files;
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    ok = std::fflush(f) == 0 && ok;
    ++cardWrites.flushes;
    ok = fsync(fileno(f)) == 0 && ok;
    ok = std::fclose(f) == 0 && ok;
    if (!ok) {
        std::remove(temp.c_str());
        return false;
    }
    if (beforeRenameHook && !beforeRenameHook(temp)) return false;
    if (std::rename(temp.c_str(), path.c_str()) != 0) {
        std::remove(temp.c_str());
        return false;
    }
    syncDirectoryOf(path);
    return true;
}

bool touchEmptyFile(const std::string& path) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    std::fclose(f);
    return true;
}

bool pathExists(const std::string& path) {
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
