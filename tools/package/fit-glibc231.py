#!/usr/bin/python3
"""Usage: fit-glibc231.py IN OUT

Makes an aarch64 shared library built for glibc 2.34 or later load on glibc 2.31, when all
it needs from the newer glibc is libdl's functions (dlopen, dlsym, dlclose, ...): glibc
2.34 moved them into libc.so.6 at version GLIBC_2.34, while glibc 2.31 has them in
libdl.so.2 at GLIBC_2.17 (a version later glibcs keep in libc.so.6 too).

The library's version requirements are rewritten so that those references name GLIBC_2.17
in libdl.so.2, and libdl.so.2 becomes a needed library. The new requirement table goes
into the unused room at the end of the read-only segment, the name libdl.so.2 over the
string of the dropped version, the needed entry into a spare slot of the dynamic table.
Anything else (another architecture, another symbol above 2.31, no room) is refused with
a message on stderr and exit status 1; OUT is then not written. Exit status 2: bad usage.
"""
import os
import struct
import sys

MAX_VERSION = (2, 31)
# What glibc 2.31's libdl.so.2 exports at GLIBC_2.17 on aarch64.
LIBDL_FUNCTIONS = {"dladdr", "dladdr1", "dlclose", "dlerror", "dlinfo", "dlmopen", "dlopen",
                   "dlsym", "dlvsym"}
LIBDL = "libdl.so.2"
LIBDL_VERSION = "GLIBC_2.17"

EM_AARCH64 = 183
PT_LOAD = 1
SHT_DYNSYM, SHT_DYNAMIC = 11, 6
SHT_GNU_VERNEED, SHT_GNU_VERSYM, SHT_GNU_VERDEF = 0x6FFFFFFE, 0x6FFFFFFF, 0x6FFFFFFD
DT_NULL, DT_NEEDED, DT_SONAME, DT_RPATH, DT_RUNPATH = 0, 1, 14, 15, 29
DT_VERNEED, DT_VERNEEDNUM = 0x6FFFFFFE, 0x6FFFFFFF


class Refused(Exception):
    pass


def elf_hash(name):
    h = 0
    for c in name.encode():
        h = ((h << 4) + c) & 0xFFFFFFFF
        g = h & 0xF0000000
        if g:
            h ^= g >> 24
        h &= ~g & 0xFFFFFFFF
    return h


def glibc_version(name):
    """(major, minor) of GLIBC_X.Y[.Z], None for other names."""
    if not name.startswith("GLIBC_"):
        return None
    try:
        parts = tuple(int(p) for p in name[6:].split("."))
    except ValueError:
        return None
    return parts[:2] if len(parts) >= 2 else None


class Library:
    def __init__(self, data):
        self.data = bytearray(data)
        d = self.data
        if d[:4] != b"\x7fELF":
            raise Refused("not an ELF file")
        if d[4] != 2 or d[5] != 1:
            raise Refused("not a 64-bit little-endian ELF file (an aarch64 library is expected)")
        (self.e_type, machine, _, _, self.phoff, self.shoff, _, _, self.phentsize, self.phnum,
         self.shentsize, self.shnum, _) = struct.unpack_from("<HHIQQQIHHHHHH", d, 16)
        if machine != EM_AARCH64:
            raise Refused("built for machine %d, not aarch64 (%d)" % (machine, EM_AARCH64))
        if self.e_type != 3:
            raise Refused("not a shared library (ELF type %d)" % self.e_type)
        self.phdrs = [list(struct.unpack_from("<IIQQQQQQ", d, self.phoff + i * self.phentsize))
                      for i in range(self.phnum)]
        self.shdrs = [list(struct.unpack_from("<IIQQQQIIQQ", d, self.shoff + i * self.shentsize))
                      for i in range(self.shnum)]

        def section(kind):
            found = [i for i, s in enumerate(self.shdrs) if s[1] == kind]
            return found[0] if found else None

        self.dynsym, self.versym = section(SHT_DYNSYM), section(SHT_GNU_VERSYM)
        self.verneed, self.dynamic = section(SHT_GNU_VERNEED), section(SHT_DYNAMIC)
        self.verdef = section(SHT_GNU_VERDEF)
        if self.dynsym is None or self.dynamic is None:
            raise Refused("no dynamic symbol table or dynamic section")
        self.dynstr = self.shdrs[self.dynsym][6]

    def string(self, offset):
        base, size = self.shdrs[self.dynstr][4], self.shdrs[self.dynstr][5]
        if offset >= size:
            raise Refused("string offset %d outside .dynstr" % offset)
        end = self.data.index(b"\0", base + offset)
        return self.data[base + offset:end].decode("latin-1")

    def dynamic_entries(self):
        off, size = self.shdrs[self.dynamic][4], self.shdrs[self.dynamic][5]
        return [list(struct.unpack_from("<qQ", self.data, off + i)) for i in range(0, size, 16)]

    def symbols(self):
        """(name, version index) of every dynamic symbol."""
        off, size = self.shdrs[self.dynsym][4], self.shdrs[self.dynsym][5]
        count = size // 24
        out = []
        for i in range(count):
            name = self.string(struct.unpack_from("<I", self.data, off + i * 24)[0])
            ver = 1
            if self.versym is not None:
                ver = struct.unpack_from("<H", self.data, self.shdrs[self.versym][4] + 2 * i)[0]
            out.append((name, ver & 0x7FFF))
        return out

    def requirements(self):
        """[file name offset, [[hash, flags, index, name offset], ...]] per needed file."""
        if self.verneed is None:
            return []
        out = []
        off = self.shdrs[self.verneed][4]
        for _ in range(self.shdrs[self.verneed][7]):
            _, cnt, file_off, aux, nxt = struct.unpack_from("<HHIII", self.data, off)
            auxes, a = [], off + aux
            for _ in range(cnt):
                h, flags, other, name, anext = struct.unpack_from("<IHHII", self.data, a)
                auxes.append([h, flags, other, name])
                a += anext
            out.append([file_off, auxes])
            if not nxt:
                break
            off += nxt
        return out

    def string_references(self):
        """Every .dynstr offset something points at."""
        refs = [struct.unpack_from("<I", self.data, self.shdrs[self.dynsym][4] + i)[0]
                for i in range(0, self.shdrs[self.dynsym][5], 24)]
        refs += [v for t, v in self.dynamic_entries() if t in (DT_NEEDED, DT_SONAME, DT_RPATH, DT_RUNPATH)]
        for file_off, auxes in self.requirements():
            refs.append(file_off)
            refs += [a[3] for a in auxes]
        if self.verdef is not None:
            off = self.shdrs[self.verdef][4]
            for _ in range(self.shdrs[self.verdef][7]):
                _, _, _, cnt, _, aux, nxt = struct.unpack_from("<HHHHIII", self.data, off)
                a = off + aux
                for _ in range(cnt):
                    name, anext = struct.unpack_from("<II", self.data, a)
                    refs.append(name)
                    a += anext
                if not nxt:
                    break
                off += nxt
        return refs


def fit(data):
    """The rewritten library and the symbols that moved to libdl.so.2."""
    lib = Library(data)
    reqs = lib.requirements()
    # What each version index stands for.
    meaning = {}
    for file_off, auxes in reqs:
        for _, _, index, name in auxes:
            meaning[index] = (lib.string(file_off), lib.string(name))
    for file, version in meaning.values():
        if version.startswith("GLIBC_") and not glibc_version(version):
            raise Refused("needs %s from %s, which glibc 2.31 does not have" % (version, file))
    too_new = {i for i, (_, v) in meaning.items() if glibc_version(v) and glibc_version(v) > MAX_VERSION}
    if not too_new:
        return bytes(lib.data), []
    moved = []
    for name, index in lib.symbols():
        if index not in too_new:
            continue
        file, version = meaning[index]
        if file != "libc.so.6" or version != "GLIBC_2.34" or name not in LIBDL_FUNCTIONS:
            raise Refused("needs %s@%s from %s: newer than glibc 2.31 and not one of libdl's "
                          "functions" % (name, version, file))
        moved.append(name)
    if len(too_new) != 1 or not moved:
        raise Refused("unexpected requirements: %s" % ", ".join(
            "%s from %s" % (meaning[i][1], meaning[i][0]) for i in sorted(too_new)))
    index = too_new.pop()
    if LIBDL in {lib.string(f) for f, _ in reqs}:
        raise Refused("already has a version requirement on %s" % LIBDL)

    # The libdl.so.2 string takes the place of the dropped version's name, which nothing
    # else may point into.
    old_name = next(a[3] for _, auxes in reqs for a in auxes if a[2] == index)
    old_len = len(lib.string(old_name))
    if len(LIBDL) > old_len:
        raise Refused("no room in .dynstr for %s" % LIBDL)
    if sum(old_name <= ref <= old_name + old_len for ref in lib.string_references()) != 1:
        raise Refused("the string GLIBC_2.34 is shared; no room for %s" % LIBDL)
    version_name = next((a[3] for _, auxes in reqs for a in auxes if lib.string(a[3]) == LIBDL_VERSION), None)
    if version_name is None:
        raise Refused("no %s string to name libdl's version with" % LIBDL_VERSION)

    # A spare slot in the dynamic table: two DT_NULL entries at its end at least.
    dyn = lib.dynamic_entries()
    end = next((i for i, (t, _) in enumerate(dyn) if t == DT_NULL), len(dyn))
    if end + 1 >= len(dyn) or any(t != DT_NULL for t, _ in dyn[end:]):
        raise Refused("no spare slot in the dynamic table for another needed library")

    # The new requirement table: the old one without GLIBC_2.34, then libdl.so.2 with
    # GLIBC_2.17 under the dropped version's index, so the symbols keep their index.
    new_reqs = [[f, [a for a in auxes if a[2] != index]] for f, auxes in reqs]
    new_reqs = [r for r in new_reqs if r[1]]
    new_reqs.append([old_name, [[elf_hash(LIBDL_VERSION), 0, index, version_name]]])
    table = bytearray()
    for n, (file_off, auxes) in enumerate(new_reqs):
        last = n == len(new_reqs) - 1
        table += struct.pack("<HHIII", 1, len(auxes), file_off, 16, 0 if last else 16 + 16 * len(auxes))
        for k, (h, flags, other, name) in enumerate(auxes):
            table += struct.pack("<IHHII", h, flags, other, name, 0 if k == len(auxes) - 1 else 16)

    # It goes right after the segment that holds the old table, in file bytes nothing
    # uses and below the next segment's first page.
    old = lib.shdrs[lib.verneed]
    seg = next((p for p in lib.phdrs if p[0] == PT_LOAD and p[3] <= old[3] < p[3] + p[6]), None)
    if seg is None or seg[2] - seg[3] != old[4] - old[3] or seg[5] != seg[6]:
        raise Refused("the version requirements are not in a plain file-backed segment")
    start = (seg[2] + seg[5] + 7) & ~7
    stop = start + len(table)
    vstop = stop - seg[2] + seg[3]
    room = stop <= len(lib.data) and not any(lib.data[start:stop])
    for p in lib.phdrs:
        if p[0] == PT_LOAD and p is not seg and p[3] >= seg[3]:
            room = room and vstop <= p[3] & ~(max(p[7], 1) - 1)
        if p is not seg and p[5] and p[2] < stop and p[2] + p[5] > start:
            room = False
    for s in lib.shdrs:
        if s[1] != 8 and s[5] and s[4] < stop and s[4] + s[5] > start:  # 8: NOBITS
            room = False
    if not room:
        raise Refused("no room after the read-only segment for the new version table")

    d = lib.data
    d[old[4]:old[4] + old[5]] = bytes(old[5])
    d[start:stop] = table
    seg[5] = seg[6] = stop - seg[2]
    struct.pack_into("<IIQQQQQQ", d, lib.phoff + lib.phdrs.index(seg) * lib.phentsize, *seg)
    old[3], old[4], old[5], old[7] = start - seg[2] + seg[3], start, len(table), len(new_reqs)
    struct.pack_into("<IIQQQQIIQQ", d, lib.shoff + lib.verneed * lib.shentsize, *old)
    base = lib.shdrs[lib.dynstr][4]
    d[base + old_name:base + old_name + old_len + 1] = LIBDL.encode() + bytes(old_len + 1 - len(LIBDL))
    for e in dyn[:end]:
        if e[0] == DT_VERNEED:
            e[1] = old[3]
        elif e[0] == DT_VERNEEDNUM:
            e[1] = len(new_reqs)
    # The needed entry goes after the last one there, so the search order stays.
    last_needed = max([k for k, (t, _) in enumerate(dyn[:end]) if t == DT_NEEDED], default=-1)
    dyn = dyn[:last_needed + 1] + [[DT_NEEDED, old_name]] + dyn[last_needed + 1:end] + dyn[end + 1:]
    off = lib.shdrs[lib.dynamic][4]
    for k, (t, v) in enumerate(dyn):
        struct.pack_into("<qQ", d, off + 16 * k, t, v)
    return bytes(d), sorted(moved)


def main(argv):
    if len(argv) != 3:
        print(__doc__.strip().splitlines()[0], file=sys.stderr)
        return 2
    try:
        data = open(argv[1], "rb").read()
    except OSError as e:
        print("fit-glibc231: cannot read %s: %s" % (argv[1], e.strerror), file=sys.stderr)
        return 1
    try:
        out, moved = fit(data)
        # What came out must stand on its own: nothing above 2.31 left.
        check = Library(out)
        names = {check.string(a[3]) for _, auxes in check.requirements() for a in auxes}
        newer = [n for n in names if glibc_version(n) and glibc_version(n) > MAX_VERSION]
        if newer:
            raise Refused("still needs %s after rewriting" % ", ".join(sorted(newer)))
    except Refused as e:
        print("fit-glibc231: %s: refused: %s" % (argv[1], e), file=sys.stderr)
        return 1
    except (struct.error, ValueError, IndexError) as e:
        print("fit-glibc231: %s: refused: damaged or unexpected ELF layout (%s)" % (argv[1], e),
              file=sys.stderr)
        return 1
    tmp = argv[2] + ".tmp"
    try:
        with open(tmp, "wb") as f:
            f.write(out)
        os.chmod(tmp, 0o644)
        os.replace(tmp, argv[2])
    except OSError as e:
        print("fit-glibc231: cannot write %s: %s" % (argv[2], e.strerror), file=sys.stderr)
        return 1
    if moved:
        print("fit-glibc231: %s: %s now from %s at %s" % (os.path.basename(argv[2]), ", ".join(moved),
                                                           LIBDL, LIBDL_VERSION))
    else:
        print("fit-glibc231: %s needs nothing above glibc 2.31; copied as it is" % os.path.basename(argv[2]))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
