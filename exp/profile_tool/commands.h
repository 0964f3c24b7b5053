#pragma once
#include <cstdio>
#include <string>

// The profile tool's commands. Each returns the process's exit status: 0 done, 1 failed
// (a refused argument, a file that cannot be read or written, a damaged file), with one
// line on err per failure. None writes a file it could not read first, and "show" and
// "list" write nothing at all.
enum ToolStatus { ToolOk = 0, ToolFailed = 1, ToolUsage = 2 };

struct ToolContext {
    std::string base;   // the registry's base directory, ends in "/"
    FILE* out = stdout; // what the command reports
    FILE* err = stderr; // why it failed
    bool utf8 = false;  // the terminal speaks UTF-8; registry texts are Latin-1
};

// NAME and LANG as typed in the terminal; LANG must be the "@lang" name of a file in
// lang/ (relative to the working directory, as the game reads it).
int createProfile(const ToolContext& ctx, const std::string& name, const std::string& language);
int useProfile(const ToolContext& ctx, const std::string& dir);
int listProfiles(const ToolContext& ctx);
int showProfile(const ToolContext& ctx);
