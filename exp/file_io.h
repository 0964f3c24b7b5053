#pragma once
#include <cstdint>
#include <string>
#include <vector>

// File helpers shared by the registry and the Results: whole-file reads, writes
// that survive a power cut, batches of such writes, and little-endian integers.

// Reads at most limit bytes of the file; false when it cannot be opened. Inside a batch a
// file written in it reads as it will be written.
bool readWholeFile(const std::string& path, std::string& bytes, size_t limit = SIZE_MAX);
// The bytes up to the first line feed, cut to 1023 bytes and at a NUL, as the
// device's software reads its one-line files; false when the file cannot be opened.
bool readFirstLine(const std::string& path, std::string& line);
// Writes a temporary file in the same directory, flushes it to the card and renames
// it over path, so an interrupted write leaves the old file whole. A file that already
// holds exactly these bytes is left alone: no temporary file, no flush, no rename.
// Inside a batch the bytes wait for its end; a later write of the same file replaces them.
bool writeFileAtomic(const std::string& path, const std::string& bytes);
// Creates or truncates an empty file (the registry's "update" marker); inside a batch,
// once at its end, after the renames.
bool touchEmptyFile(const std::string& path);
// True for a file or directory, and inside a batch for a file waiting in it.
bool pathExists(const std::string& path);

// Batches: the writes of one operation reach the card together. At the end of the
// outermost batch every changed file is written whole to its temporary name, the file
// system holding them is flushed once (each file once where the system has no such call),
// the files are renamed in the order of their last writes, each directory touched is
// flushed once, and the markers are touched. A batch of several files first records its
// renames in the journal (setCardJournal), so that recoverCardBatch completes them after an
// interruption. A file that cannot be created is left out, as a single write would leave it;
// a failed write or flush drops the whole batch, and the old files stand.
void beginCardBatch();
// False when something of the batch did not reach the card.
bool endCardBatch();
// A batch for the lifetime of a scope.
struct CardBatch {
    CardBatch() { beginCardBatch(); }
    ~CardBatch() { endCardBatch(); }
    CardBatch(const CardBatch&) = delete;
    CardBatch& operator=(const CardBatch&) = delete;
};
// Completes the batch that journal records, when it was interrupted after its flush, and
// removes the journal; then removes the temporary files that interrupted writes left in dirs.
void recoverCardBatch(const std::string& journal, const std::vector<std::string>& dirs);

// The steps of a write that the fault hook sees.
enum CardStep {
    CardTempWrite, // half of a temporary file is written
    CardJournal,   // the journal is about to be written
    CardFlush,     // a file, or the file system, is about to be flushed
    CardRename,    // a temporary file is about to be renamed over its file
    CardDirFlush,  // a directory is about to be flushed
    CardMarker     // a marker is about to be touched
};

// How the file layer works; process-wide, changed by the setters below.
struct CardSettings {
    bool batching = true;        // false: every write reaches the card at once (the old way)
    std::string journal;         // where batches of several files record their renames
    void (*onFlush)() = nullptr; // called at every flush: a simulated card's delay
    bool (*faultHook)(CardStep step, const std::string& path) = nullptr; // false fails the step
};
extern CardSettings cardSettings;
void setCardBatching(bool on);
void setCardJournal(const std::string& path); // empty: no journal
void setCardFlushHook(void (*onFlush)());
void setCardFaultHook(bool (*hook)(CardStep step, const std::string& path));
void resetCardSettings();

// Called between the temporary file's flush and the rename; a hook that returns
// false stops the write there, as a power cut would. Null in the game.
extern bool (*beforeRenameHook)(const std::string& tempPath);

// What the file layer really did to the card since the last reset: files written and
// flushes (a single write flushes its file and then its directory). Process-wide; the
// tests and the benchmark reset it.
struct CardWrites {
    int files = 0;   // temporary files written
    int flushes = 0; // fsync and syncfs calls, on files, file systems and directories
};
extern CardWrites cardWrites;
void resetCardWrites();

void putLE32(std::string& out, int32_t value);
int32_t getLE32(const char* bytes);
