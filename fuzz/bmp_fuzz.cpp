// A BMP file as a source image of the registration: its size as readBmpSize reads it, and the
// item image and icon copies into the game's directory of an open registry.
#include "exp/file_io.h"
#include "exp/registry.h"
#include "fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const ScratchTree& t = scratch();
    std::string bytes(reinterpret_cast<const char*>(data), size);
    freshRegistry();
    writeProfile("name=Fuzz\nlang=en\n");
    std::string dir = testerGameDir();
    makeDirs(dir + "saves");
    writeBytes(dir + "007", "earlier copy");
    writeBytes(dir + "exp.icon", "earlier icon");
    makeDirs(t.work + "data");
    std::string source = t.work + "data/fuzz.bmp";
    writeBytes(source, bytes);
    beginRun();
    if (!openRegistry(gameAuthorText, gameTitleText)) fuzzFail("the opening failed");

    int32_t width = -7, height = -7;
    readBmpSize(source.c_str(), width, height);
    if (width != (size >= 22 ? getLE32(bytes.data() + 18) : -7) ||
        height != (size >= 26 ? getLE32(bytes.data() + 22) : -7))
        fuzzFail("readBmpSize read other bytes than the size fields");
    bool fits = size >= 22 && (width == 24 || (size >= 26 && height == 24));
    if (copyItemImage(7, source.c_str()) != fits || copyIcon(source.c_str()) != fits)
        fuzzFail("a copy was taken or refused against the size rule");
    if (readBytes(dir + "007") != (fits ? bytes : "earlier copy") ||
        readBytes(dir + "exp.icon") != (fits ? bytes : "earlier icon"))
        fuzzFail("a copy does not hold what it should");
    if (copyItemImage(0, source.c_str()) || copyItemImage(51, source.c_str()) ||
        copyItemImage(1, nullptr) || copyIcon(nullptr))
        fuzzFail("a copy outside the item numbers was taken");
    checkAfterRun();
    return 0;
}
