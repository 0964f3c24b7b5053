#pragma once
#include <cstdint>
#include <string>

// File helpers shared by the registry and the Results: whole-file reads, writes
// that survive a power cut, and little-endian integers.

// Reads at most limit bytes of the file; false when it cannot be opened.
bool readWholeFile(const std::string& path, std::string& bytes, size_t limit = SIZE_MAX);
// The bytes up to the first line feed, cut to 1023 bytes and at a NUL, as the
// device's software reads its one-line files; false when the file cannot be opened.
bool readFirstLine(const std::string& path, std::string& line);
// Writes a temporary file in the same directory, flushes it to the card and renames
// it over path, so an interrupted write leaves the old file whole. A file that already
// holds exactly these bytes is left alone: no temporary file, no flush, no rename.
bool writeFileAtomic(const std::string& path, const std::string& bytes);
// Creates or truncates an empty file (the registry's "update" marker).
bool touchEmptyFile(const std::string& path);
bool pathExists(const std::string& path);

// Called between the temporary file's flush and the rename; a hook that returns
// false stops the write there, as a power cut would. Null in the game.
extern bool (*beforeRenameHook)(const std::string& tempPath);

// What writeFileAtomic really did to the card since the last reset: files written and
// flushes (a written file flushes itself and then its directory). Process-wide; the
// tests and the benchmark reset it.
struct CardWrites {
    int files = 0;   // temporary files written
    int flushes = 0; // fsync calls, on files and directories
};
extern CardWrites cardWrites;
void resetCardWrites();

void putLE32(std::string& out, int32_t value);
int32_t getLE32(const char* bytes);
