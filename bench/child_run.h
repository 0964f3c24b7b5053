#pragma once
#include <string>
#include <vector>

// Runs the program self again with args, in a process of its own, and collects what it
// prints (output and errors, the first 4 kB). videoDriver, when given, is the child's
// SDL_VIDEODRIVER. True when the child exited with 0.
bool runChild(const char* self, const std::vector<std::string>& args, std::string& output,
              const char* videoDriver = nullptr);
