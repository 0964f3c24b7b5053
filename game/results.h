#pragma once

// The win counters against the computer, kept in "results.dat".
bool loadResults();
void saveResults();
