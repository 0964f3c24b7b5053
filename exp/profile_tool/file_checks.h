#pragma once
#include <string>

// Checks of the files "show" reads, against what the game itself writes. Each returns
// what is wrong as a phrase that follows the file's name ("is 5 bytes, not 12"), or an
// empty string when the bytes are sound.

// "exp.dat": whole 16-byte items, ids 1..50 without repeats, unlocked 0 or 1.
std::string itemsProblem(const std::string& bytes);
// "exp.summary": 20 bytes whose counters agree with the items of "exp.dat" (itemBytes,
// empty when there is none) and at least one open.
std::string summaryProblem(const std::string& bytes, const std::string& itemBytes);
// "results.dat": 12 bytes, no negative counter.
std::string resultsProblem(const std::string& bytes);
// An "exp.desc." file: whole 128-byte records, ids 1..50 without repeats.
std::string descriptionsProblem(const std::string& bytes);
