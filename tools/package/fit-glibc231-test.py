#!/usr/bin/python3
"""Checks fit-glibc231.py on small libraries made here, laid out as the linker lays out
sdl12-compat's: what it rewrites must read back cleanly (readelf), and what it does not
expect it must refuse without writing anything."""
import os
import struct
import subprocess
import sys
import tempfile

TOOL = os.path.join(os.path.dirname(os.path.abspath(__file__)), "fit-glibc231.py")


# The ELF hash of "GLIBC_2.17", as glibc and the linker write it.
GLIBC_2_17_HASH = 0x06969197


def version_hashes(path):
    """The hash of every version a library requires."""
    data = open(path, "rb").read()
    shoff, shentsize, shnum = struct.unpack_from("<Q", data, 40)[0], 64, struct.unpack_from("<H", data, 60)[0]
    out = []
    for i in range(shnum):
        kind, _, _, off, _, _, count = struct.unpack_from("<IQQQQII", data, shoff + shentsize * i + 4)
        if kind != 0x6FFFFFFE:
            continue
        for _ in range(count):
            _, cnt, _, aux, nxt = struct.unpack_from("<HHIII", data, off)
            a = off + aux
            for _ in range(cnt):
                out.append(struct.unpack_from("<I", data, a)[0])
                a += struct.unpack_from("<I", data, a + 12)[0]
            off += nxt
    return out


def make_library(machine=183, symbols=(("memcpy", 2), ("dlopen", 3), ("dlsym", 3)),
                 versions=(("ld-linux-aarch64.so.1", (("GLIBC_2.17", 4),)),
                           ("libc.so.6", (("GLIBC_2.34", 3), ("GLIBC_2.17", 2)))),
                 spare_slots=4, data_page_apart=True):
    strings = bytearray(b"\0")

    def string(s):
        at = len(strings)
        strings.extend(s.encode() + b"\0")
        return at

    needed = [string(f) for f, _ in versions]
    names = [string(n) for n, _ in symbols]
    version_names = {v: string(v) for _, vs in versions for v, _ in vs}
    files = {f: needed[i] for i, (f, _) in enumerate(versions)}
    string("libexample.so.1")

    dynsym = bytes(24) + b"".join(struct.pack("<IBBHQQ", n, 0x12, 0, 0, 0, 0) for n in names)
    versym = struct.pack("<H", 0) + b"".join(struct.pack("<H", v) for _, v in symbols)
    verneed = bytearray()
    for i, (f, vs) in enumerate(versions):
        verneed += struct.pack("<HHIII", 1, len(vs), files[f], 16, 0 if i == len(versions) - 1 else 16 + 16 * len(vs))
        for k, (v, index) in enumerate(vs):
            verneed += struct.pack("<IHHII", GLIBC_2_17_HASH if v == "GLIBC_2.17" else 0, 0, index, version_names[v], 0 if k == len(vs) - 1 else 16)

    def align(n, a):
        return (n + a - 1) // a * a

    layout = {}
    at = 64 + 3 * 56
    for name, blob, al in ((".dynstr", strings, 1), (".dynsym", dynsym, 8), (".gnu.version", versym, 2),
                           (".gnu.version_r", verneed, 8)):
        at = align(at, al)
        layout[name] = (at, blob)
        at += len(blob)
    ro_end = at
    data_off = align(ro_end + 0x100, 16)
    data_addr = data_off + (0x10000 if data_page_apart else 0)
    entries = [(1, n) for n in needed] + [
        (5, layout[".dynstr"][0]), (6, layout[".dynsym"][0]), (10, len(strings)), (11, 24),
        (0x6FFFFFF0, layout[".gnu.version"][0]), (0x6FFFFFFE, layout[".gnu.version_r"][0]),
        (0x6FFFFFFF, len(versions))] + [(0, 0)] * (1 + spare_slots)
    dynamic = b"".join(struct.pack("<qQ", t, v) for t, v in entries)
    shstr = bytearray(b"\0")
    sections = [(0, 0, 0, 0, 0, 0, 0, 0, 0, 0)]
    kinds = {".dynstr": (3, 0, 0, 0), ".dynsym": (11, 1, 1, 24), ".gnu.version": (0x6FFFFFFF, 2, 0, 2),
             ".gnu.version_r": (0x6FFFFFFE, 1, len(versions), 0)}
    for name in (".dynstr", ".dynsym", ".gnu.version", ".gnu.version_r"):
        off, blob = layout[name]
        kind, link, info, entsize = kinds[name]
        sections.append((len(shstr), kind, 2, off, off, len(blob), link, info, 8, entsize))
        shstr += name.encode() + b"\0"
    sections.append((len(shstr), 6, 3, data_addr, data_off, len(dynamic), 1, 0, 8, 16))
    shstr += b".dynamic\0"
    shstr_off = data_off + len(dynamic)
    sections.append((len(shstr), 3, 0, 0, shstr_off, 0, 0, 0, 1, 0))
    shstr += b".shstrtab\0"
    sections[-1] = sections[-1][:5] + (len(shstr),) + sections[-1][6:]
    shoff = align(shstr_off + len(shstr), 8)

    out = bytearray(shoff + 64 * len(sections))
    struct.pack_into("<4sBBBB8sHHIQQQIHHHHHH", out, 0, b"\x7fELF", 2, 1, 1, 0, bytes(8), 3, machine, 1, 0,
                     64, shoff, 0, 64, 56, 3, 64, len(sections), len(sections) - 1)
    struct.pack_into("<IIQQQQQQ", out, 64, 1, 5, 0, 0, 0, ro_end, ro_end, 0x10000)
    struct.pack_into("<IIQQQQQQ", out, 120, 1, 6, data_off, data_addr, data_addr, len(dynamic), len(dynamic), 0x10000)
    struct.pack_into("<IIQQQQQQ", out, 176, 2, 6, data_off, data_addr, data_addr, len(dynamic), len(dynamic), 8)
    for off, blob in layout.values():
        out[off:off + len(blob)] = blob
    out[data_off:data_off + len(dynamic)] = dynamic
    out[shstr_off:shstr_off + len(shstr)] = shstr
    for i, s in enumerate(sections):
        struct.pack_into("<IIQQQQIIQQ", out, shoff + 64 * i, *s)
    return bytes(out)


def run(tmp, data):
    src, dst = os.path.join(tmp, "in.so"), os.path.join(tmp, "out.so")
    with open(src, "wb") as f:
        f.write(data)
    if os.path.exists(dst):
        os.remove(dst)
    done = subprocess.run([sys.executable, TOOL, src, dst], capture_output=True, text=True)
    return done, dst


def readelf(path, *args):
    done = subprocess.run(["readelf", "-W"] + list(args) + [path], capture_output=True, text=True)
    return done.stdout, done.stderr


def main():
    failures = []

    def expect(cond, what):
        if not cond:
            failures.append(what)

    with tempfile.TemporaryDirectory() as tmp:
        # The library sdl12-compat is: its dl functions move to libdl.so.2 at GLIBC_2.17.
        done, out = run(tmp, make_library())
        expect(done.returncode == 0, "a fitting library was refused: " + done.stderr)
        if done.returncode == 0:
            text, errors = readelf(out, "-d", "-V", "--dyn-syms", "-l")
            expect(not errors, "readelf complains about the result: " + errors)
            expect("GLIBC_2.34" not in text, "GLIBC_2.34 is still required")
            needed = [l.split("[")[1].rstrip("]") for l in text.splitlines() if "(NEEDED)" in l]
            expect(needed == ["ld-linux-aarch64.so.1", "libc.so.6", "libdl.so.2"],
                   "needed libraries, in order: %s" % needed)
            expect("File: libdl.so.2  Cnt: 1" in text, "no version requirement on libdl.so.2")
            for sym, ver in (("dlopen", "GLIBC_2.17 (3)"), ("dlsym", "GLIBC_2.17 (3)"), ("memcpy", "GLIBC_2.17 (2)")):
                expect(any(l.endswith(" %s@%s" % (sym, ver)) for l in text.splitlines()),
                       "%s is not %s" % (sym, ver))
            expect(version_hashes(out) == [GLIBC_2_17_HASH] * 3, "version hashes %s" % version_hashes(out))
            # Already fitted: nothing left to do, copied as it is.
            again, out2 = run(tmp, open(out, "rb").read())
            expect(again.returncode == 0 and open(out2, "rb").read() == open(out, "rb").read(),
                   "a fitted library is not taken as it is: " + again.stderr)

        refusals = (
            ("another symbol above 2.31",
             make_library(symbols=(("dlopen", 3), ("stat", 5)),
                          versions=(("libc.so.6", (("GLIBC_2.34", 3), ("GLIBC_2.17", 2), ("GLIBC_2.33", 5))),)),
             "stat@GLIBC_2.33"),
            ("a non-libdl symbol at 2.34",
             make_library(symbols=(("dlopen", 3), ("pthread_create", 3))), "pthread_create@GLIBC_2.34"),
            ("another architecture", make_library(machine=62), "not aarch64"),
            ("a full dynamic table", make_library(spare_slots=0), "no spare slot"),
            ("no room before the next segment", make_library(data_page_apart=False), "no room"),
        )
        for what, data, message in refusals:
            done, out = run(tmp, data)
            expect(done.returncode == 1, "%s: exit status %d, not 1" % (what, done.returncode))
            expect("refused" in done.stderr and message in done.stderr,
                   "%s: the message does not say why: %r" % (what, done.stderr))
            expect(not os.path.exists(out), "%s: an output was written" % what)

    for f in failures:
        print("FAIL:", f)
    print("fit-glibc231: %d problem(s)" % len(failures) if failures else "fit-glibc231: all cases pass")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
