#pragma once
#include <string>

// The win counters against the computer, kept as three little-endian 32-bit
// counters in "results.dat" in the registry's saves directory.

// Where "results.dat" lives: the saves directory, or the working directory when the
// registry is not open, so wins persist on a device without the registry software.
std::string resultsPath();
// True when the file could be opened; counters it does not cover keep their values.
bool loadResults();
// Written through a temporary file, so switching off mid-write keeps the old counters.
void saveResults();
