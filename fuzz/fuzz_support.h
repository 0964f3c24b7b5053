#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

// What every fuzz target shares: a scratch tree of its own, the splitting of one input into
// several files, and the checks run after every input. A check that fails prints one line
// and aborts, so libFuzzer keeps the input as a crash.
//
// The scratch tree, under $VESPERALIA_FUZZ_SCRATCH (else a fresh directory in /dev/shm or
// /tmp):
//   base/       the registry base; the only place a target's game code may write
//   sentinel/   a registry-shaped tree beside it that must never change
//   work/       the working directory: lang/ and data/ as the game opens them

struct ScratchTree {
    std::string root, base, sentinel, work; // each ends in "/"
};

// Makes the tree on first use, copies the game's lang/ into work/, changes into work/,
// discovers the languages there as the game does at start-up, and hands back the paths.
const ScratchTree& scratch();

// Splits an input at each "\n--8<--\n" into at most maxPieces pieces; the last piece keeps
// any further separators. Missing pieces are empty.
std::vector<std::string> splitInput(const uint8_t* data, size_t size, size_t maxPieces);
extern const char pieceSeparator[];

void writeBytes(const std::string& path, const std::string& bytes);
// Every file and directory below dir (which ends in "/"), relative to it, with the files'
// bytes; directories end in "/" and come before what they hold.
void listFiles(const std::string& dir, std::vector<std::pair<std::string, std::string>>& out);
std::string readBytes(const std::string& path); // empty when it cannot be read
void makeDirs(const std::string& path);         // like mkdir -p
void emptyDirectory(const std::string& dir);    // removes what is inside, keeps dir

// A fresh registry in base/: its contents removed, the registry, the Notifier's queue and the
// game state back to their start values, and registry.baseDir pointing at base/.
void freshRegistry();
// Writes "activeexp" naming profile "tester" and its exp.cfg with the given lines.
void writeProfile(const std::string& cfg);
// base/tester/tolvenar_vesperalia/ (the game's directory for profile "tester").
std::string testerGameDir();

// Call after the target has laid out its input files and before the game code runs: takes
// the snapshots that checkAfterRun compares against.
void beginRun();
// After the game code ran: nothing outside base/ changed; every registry file the run wrote
// is well-formed and no temporary file is left; no description or item that was on disk is
// lost; and, with the registry open, its items, summary and descriptions equal the files.
void checkAfterRun();

[[noreturn]] void fuzzFail(const std::string& what);
