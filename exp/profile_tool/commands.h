#pragma once
#include <string>

// The profile tool's commands. Each returns the process's exit code and prints its
// failures on stderr; none writes a file it could not read first.
int createProfile(const std::string& base, const std::string& name, const std::string& language);
int useProfile(const std::string& base, const std::string& dir);
int listProfiles(const std::string& base);
int showProfile(const std::string& base);
