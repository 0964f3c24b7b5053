#pragma once

// Placeholder interface until the registry lands: nothing is open.
const char* savesDirectory();
void unlockItem(int id);
void registerGame();
