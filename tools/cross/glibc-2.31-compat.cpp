// Linked into every arm64 program built with toolchain-arm64.cmake.
//
// Debian 12's cross compiler brings a static C++ library and unwinder made for glibc 2.36.
// Linked into a program for glibc 2.31 they still call three things that glibc only gained
// later; they are supplied here from what glibc 2.31 has, so that the program runs on
// firmwares with glibc 2.31 and needs no newer symbol version.
#include <cstddef>
#include <cstdint>
#include <link.h>
#include <sys/random.h>

extern "C" {

// glibc 2.32: lets the C++ library skip atomic reference counts while only one thread runs.
// Always "more than one thread" here, which is merely the slower, always correct path.
char __libc_single_threaded = 0;

// glibc 2.36: the default source of std::random_device.
uint32_t arc4random(void) {
    uint32_t value = 0;
    unsigned char* p = reinterpret_cast<unsigned char*>(&value);
    size_t got = 0;
    while (got < sizeof value) {
        ssize_t n = getrandom(p + got, sizeof value - got, 0);
        if (n > 0) got += static_cast<size_t>(n);
    }
    return value;
}

// glibc 2.35: how the unwinder finds the frame tables of the object that holds a code
// address when an exception is thrown. The layout is glibc's for aarch64.
struct dl_find_object {
    unsigned long long dlfo_flags;
    void* dlfo_map_start;
    void* dlfo_map_end;
    struct link_map* dlfo_link_map;
    void* dlfo_eh_frame;
    unsigned long long __dlfo_reserved[7];
};

namespace {
struct Search {
    uintptr_t pc;
    dl_find_object* result;
};

int visit(dl_phdr_info* info, size_t, void* data) {
    Search* search = static_cast<Search*>(data);
    uintptr_t start = UINTPTR_MAX, end = 0;
    bool holds = false;
    void* frames = nullptr;
    for (int i = 0; i < info->dlpi_phnum; ++i) {
        const ElfW(Phdr)& ph = info->dlpi_phdr[i];
        uintptr_t from = info->dlpi_addr + ph.p_vaddr;
        if (ph.p_type == PT_LOAD) {
            if (from < start) start = from;
            if (from + ph.p_memsz > end) end = from + ph.p_memsz;
            if (search->pc >= from && search->pc < from + ph.p_memsz) holds = true;
        } else if (ph.p_type == PT_GNU_EH_FRAME) {
            frames = reinterpret_cast<void*>(from);
        }
    }
    if (!holds) return 0;
    search->result->dlfo_flags = 0;
    search->result->dlfo_map_start = reinterpret_cast<void*>(start);
    search->result->dlfo_map_end = reinterpret_cast<void*>(end);
    search->result->dlfo_link_map = nullptr;
    search->result->dlfo_eh_frame = frames;
    return 1;
}
} // namespace

int _dl_find_object(void* pc, dl_find_object* result) {
    Search search = {reinterpret_cast<uintptr_t>(pc), result};
    return dl_iterate_phdr(visit, &search) ? 0 : -1;
}
}
