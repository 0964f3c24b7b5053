#include "exp/profile_tool/terminal_text.h"

#include <cctype>
#include <clocale>
#include <cstdio>
#include <langinfo.h>

bool localeSpeaksUtf8() {
    if (!std::setlocale(LC_CTYPE, "")) return false; // an unknown locale falls back to C
    const char* codeset = nl_langinfo(CODESET);
    std::string simple; // "UTF-8", "utf8", "UTF_8" all name it
    for (const char* c = codeset ? codeset : ""; *c; ++c)
        if (std::isalnum(static_cast<unsigned char>(*c)))
            simple.push_back(static_cast<char>(std::tolower(static_cast<unsigned char>(*c))));
    return simple == "utf8";
}

namespace {

// Length of the UTF-8 sequence at s[at] and its code point; 0 when malformed (stray or
// missing continuation bytes, overlong forms, surrogates, beyond U+10FFFF).
size_t decodeUtf8(const std::string& s, size_t at, unsigned long& cp) {
    unsigned char c = static_cast<unsigned char>(s[at]);
    size_t len;
    unsigned char low = 0x80, high = 0xBF; // allowed range of the second byte
    if (c < 0x80) {
        cp = c;
        return 1;
    } else if (c >= 0xC2 && c <= 0xDF) {
        len = 2;
        cp = c & 0x1F;
    } else if (c >= 0xE0 && c <= 0xEF) {
        len = 3;
        cp = c & 0x0F;
        if (c == 0xE0) low = 0xA0;
        if (c == 0xED) high = 0x9F;
    } else if (c >= 0xF0 && c <= 0xF4) {
        len = 4;
        cp = c & 0x07;
        if (c == 0xF0) low = 0x90;
        if (c == 0xF4) high = 0x8F;
    } else {
        return 0;
    }
    if (at + len > s.size()) return 0;
    for (size_t i = 1; i < len; ++i) {
        unsigned char b = static_cast<unsigned char>(s[at + i]);
        if (i == 1 ? (b < low || b > high) : (b < 0x80 || b > 0xBF)) return 0;
        cp = cp << 6 | (b & 0x3F);
    }
    return len;
}

} // namespace

bool argumentToLatin1(const std::string& arg, bool utf8, std::string& latin1, std::string& why) {
    latin1.clear();
    if (!utf8) {
        latin1 = arg;
        return true;
    }
    for (size_t at = 0; at < arg.size();) {
        unsigned long cp = 0;
        size_t len = decodeUtf8(arg, at, cp);
        if (len == 0) {
            why = "is not valid UTF-8 (at byte " + std::to_string(at + 1) +
                  "), though the locale says the terminal speaks it";
            return false;
        }
        if (cp > 0xFF) {
            char code[24];
            std::snprintf(code, sizeof code, "U+%04lX", cp);
            why = "holds '" + arg.substr(at, len) + "' (" + code +
                  "), which Latin-1, the registry's character set, lacks";
            return false;
        }
        latin1.push_back(static_cast<char>(cp));
        at += len;
    }
    return true;
}

std::string latin1ForTerminal(const std::string& latin1, bool utf8) {
    if (!utf8) return latin1;
    std::string out;
    for (char ch : latin1) {
        unsigned char c = static_cast<unsigned char>(ch);
        if (c < 0x80) {
            out.push_back(ch);
        } else {
            out.push_back(static_cast<char>(0xC0 | c >> 6));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        }
    }
    return out;
}
