#include "exp/profile_tool/file_checks.h"

#include <cstdint>
#include <set>

#include "exp/file_io.h"

namespace {

const size_t itemSize = 16, descriptionSize = 128;
const int32_t maxItemId = 50;

std::string bytesText(size_t n) {
    return std::to_string(n) + (n == 1 ? " byte" : " bytes");
}

// The id of each record, or a problem with one of them.
std::string recordIdsProblem(const std::string& bytes, size_t recordSize, const char* what) {
    if (bytes.size() % recordSize != 0)
        return "is " + bytesText(bytes.size()) + ", not a whole number of " +
               std::to_string(recordSize) + "-byte " + what + "s";
    std::set<int32_t> seen;
    for (size_t at = 0; at < bytes.size(); at += recordSize) {
        int32_t id = getLE32(bytes.data() + at);
        std::string which = std::string(what) + " " + std::to_string(at / recordSize + 1);
        if (id < 1 || id > maxItemId)
            return "has id " + std::to_string(id) + " in " + which + ", outside 1..50";
        if (!seen.insert(id).second) return "has id " + std::to_string(id) + " twice";
    }
    return "";
}

// The counters as the registry keeps them: 32-bit sums that wrap.
int32_t wrapAdd(int32_t a, int32_t b) {
    return static_cast<int32_t>(static_cast<uint32_t>(a) + static_cast<uint32_t>(b));
}

} // namespace

std::string itemsProblem(const std::string& bytes) {
    std::string problem = recordIdsProblem(bytes, itemSize, "item");
    if (!problem.empty()) return problem;
    for (size_t at = 0; at < bytes.size(); at += itemSize) {
        int32_t unlocked = getLE32(bytes.data() + at + 12);
        if (unlocked != 0 && unlocked != 1)
            return "marks item " + std::to_string(getLE32(bytes.data() + at)) + " with " +
                   std::to_string(unlocked) + ", neither locked (0) nor unlocked (1)";
    }
    return "";
}

std::string summaryProblem(const std::string& bytes, const std::string& itemBytes) {
    if (bytes.size() != 20) return "is " + bytesText(bytes.size()) + ", not 20";
    int32_t unlocked = 0, count = 0, earned = 0, total = 0;
    for (size_t at = 0; at + itemSize <= itemBytes.size(); at += itemSize) {
        int32_t points = getLE32(itemBytes.data() + at + 4);
        bool isUnlocked = getLE32(itemBytes.data() + at + 12) == 1;
        count = wrapAdd(count, 1);
        total = wrapAdd(total, points);
        if (isUnlocked) {
            unlocked = wrapAdd(unlocked, 1);
            earned = wrapAdd(earned, points);
        }
    }
    const char* names[4] = {"the unlocked items", "the items", "the points earned",
                            "the points in all"};
    int32_t expected[4] = {unlocked, count, earned, total};
    for (int i = 0; i < 4; ++i) {
        int32_t stored = getLE32(bytes.data() + 4 * i);
        if (stored != expected[i])
            return "counts " + std::to_string(stored) + " for " + names[i] +
                   " where exp.dat gives " + std::to_string(expected[i]);
    }
    int32_t opens = getLE32(bytes.data() + 16);
    if (opens < 1) return "counts " + std::to_string(opens) + " openings; every write follows one";
    return "";
}

std::string resultsProblem(const std::string& bytes) {
    if (bytes.size() != 12) return "is " + bytesText(bytes.size()) + ", not 12";
    const char* names[3] = {"short", "medium", "long"};
    for (int i = 0; i < 3; ++i) {
        int32_t wins = getLE32(bytes.data() + 4 * i);
        if (wins < 0)
            return "counts " + std::to_string(wins) + " " + names[i] + "-match wins, below zero";
    }
    return "";
}

std::string descriptionsProblem(const std::string& bytes) {
    return recordIdsProblem(bytes, descriptionSize, "text record");
}
