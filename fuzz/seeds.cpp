// Writes the fuzz targets' seed corpora from the game's own files: the language files, the
// item images, the Notifier's art, and a registry that the game's registration makes in a
// scratch base. Run from the checkout, which holds lang/ and data/.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "exp/registry.h"
#include "fuzz/fuzz_support.h"
#include "game/game_state.h"
#include "game/results.h"

namespace fs = std::filesystem;

namespace {

std::string corpus;
bool failed = false;

std::string fileBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream ss;
    ss << in.rdbuf();
    if (!in) failed = true;
    return ss.str();
}

void seed(const std::string& target, const std::string& name, const std::string& bytes) {
    std::error_code ec;
    fs::create_directories(corpus + "/" + target, ec);
    std::ofstream out(corpus + "/" + target + "/" + name, std::ios::binary | std::ios::trunc);
    out << bytes;
    if (!out) failed = true;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: fuzz_seeds CORPUS-DIR SCRATCH-REGISTRY-DIR\n");
        return 2;
    }
    corpus = argv[1];
    std::error_code ec;
    const std::string base = fs::absolute(argv[2]).string() + "/";
    fs::remove_all(base, ec);
    fs::create_directories(base + "tester", ec);
    const std::string cfg = "name=Tester\r\nlang=de\r\n";
    std::ofstream(base + "activeexp") << "tester\n";
    std::ofstream(base + "tester/exp.cfg", std::ios::binary) << cfg;

    resetRegistry();
    registry.baseDir = base;
    registerGame();
    if (!registry.isOpen) {
        std::fprintf(stderr, "fuzz_seeds: the registration did not open %s\n", base.c_str());
        return 1;
    }
    unlockItem(1);
    unlockItem(15);
    game.shortMatchWins = 3, game.mediumMatchWins = 1, game.longMatchWins = 4;
    saveResults();
    const std::string dir = registry.gameDir;
    const std::string sep = pieceSeparator;
    // unlock 2, register 20, describe 3, describe 4 in a listed language, change language,
    // unlock 14, greet, go quiet
    const std::string script("\x00\x03\x01\x15\x02\x04\x03\x05\x04\x01\x00\x0f\x06\x00\x07\x00",
                             16);

    std::string allLanguages;
    for (const char* name : {"english", "spanish", "german"}) {
        std::string bytes = fileBytes(std::string("lang/") + name);
        seed("lang", name, bytes);
        allLanguages += (allLanguages.empty() ? "" : sep) + bytes;
    }
    seed("lang", "all", allLanguages);
    seed("profile", "tester", "tester\n" + sep + cfg + sep + script);
    seed("items", "registered",
         fileBytes(dir + "exp.dat") + sep + fileBytes(dir + "exp.summary") + sep + script);
    for (const char* language : {"en", "es", "de"})
        seed("descriptions", language,
             fileBytes(dir + "exp.desc." + language) + sep + sep + script);
    seed("baselang", "registered",
         fileBytes(dir + "exp.lang") + sep + fileBytes(dir + "exp.desc.en") + sep + script);
    seed("results", "results.dat", fileBytes(dir + "saves/results.dat"));
    for (const fs::directory_entry& e : fs::directory_iterator("data", ec)) {
        if (e.path().extension() != ".bmp") continue;
        seed("bmp", e.path().filename().string(), fileBytes(e.path()));
        seed("bitmap", e.path().filename().string(), fileBytes(e.path()));
    }
    for (const char* name : {"badge.bmp", "cap.bmp"}) {
        seed("bmp", name, fileBytes(std::string("notify/") + name));
        seed("bitmap", name, fileBytes(std::string("notify/") + name));
    }
    seed("font", "notifier_font.ttf", fileBytes("notify/notifier_font.ttf"));
    if (failed) {
        std::fprintf(stderr, "fuzz_seeds: could not read the game's files or write %s\n",
                     corpus.c_str());
        return 1;
    }
    return 0;
}
