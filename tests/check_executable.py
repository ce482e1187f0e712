#!/usr/bin/env python3
"""Static checks of a built timer executable, read from the file itself: the
machine, the GUI subsystem, the imported DLLs (system DLLs only), and the
resources: icon group 200, the manifest, the version information.

Usage: check_executable.py EXE x86|amd64"""
import re
import struct
import sys

SYSTEM_DLLS = {"kernel32.dll", "user32.dll", "gdi32.dll", "comctl32.dll", "ole32.dll", "msvcrt.dll"}
RT_ICON, RT_GROUP_ICON, RT_VERSION, RT_MANIFEST = 3, 14, 16, 24

failures = []


def check(condition, message):
    if not condition:
        failures.append(message)


class Image:
    def __init__(self, data):
        self.data = data
        pe = struct.unpack_from("<I", data, 0x3C)[0]
        assert data[pe:pe + 4] == b"PE\0\0", "not a PE file"
        self.machine, sections, _, _, _, optional_size, _ = struct.unpack_from("<HHIIIHH", data, pe + 4)
        optional = pe + 24
        self.magic = struct.unpack_from("<H", data, optional)[0]
        self.subsystem = struct.unpack_from("<H", data, optional + 68)[0]
        directories = optional + (96 if self.magic == 0x10B else 112)
        self.directories = [struct.unpack_from("<II", data, directories + 8 * i) for i in range(16)]
        table = optional + optional_size
        self.sections = [struct.unpack_from("<8sIIII", data, table + 40 * i) for i in range(sections)]

    def offset(self, rva):
        for _, size, address, raw_size, raw in self.sections:
            if address <= rva < address + max(size, raw_size):
                return raw + rva - address
        raise ValueError("rva %x outside the sections" % rva)

    def text(self, rva):
        start = self.offset(rva)
        return self.data[start:self.data.index(b"\0", start)].decode("ascii")

    def imports(self):
        rva = self.directories[1][0]
        names = []
        while True:
            entry = struct.unpack_from("<IIIII", self.data, self.offset(rva))
            if entry[3] == 0:
                return names
            names.append(self.text(entry[3]).lower())
            rva += 20

    def resources(self):
        """{(type, name): [(language, bytes)]} for numeric types and names."""
        base_rva = self.directories[2][0]
        base = self.offset(base_rva)

        def entries(offset):
            named, numbered = struct.unpack_from("<HH", self.data, base + offset + 12)
            for i in range(named + numbered):
                key, target = struct.unpack_from("<II", self.data, base + offset + 16 + 8 * i)
                yield key & 0x7FFFFFFF, target

        found = {}
        for rtype, to_names in entries(0):
            for name, to_languages in entries(to_names & 0x7FFFFFFF):
                for language, to_data in entries(to_languages & 0x7FFFFFFF):
                    rva, size = struct.unpack_from("<II", self.data, base + to_data)
                    start = self.offset(rva)
                    found.setdefault((rtype, name), []).append((language, self.data[start:start + size]))
        return found


def check_version(block):
    text = block.decode("utf-16-le", "replace")
    signature = block.find(struct.pack("<I", 0xFEEF04BD))
    check(signature > 0, "no fixed version information")
    if signature > 0:
        fields = struct.unpack_from("<13I", block, signature)
        (_, _, file_ms, file_ls, product_ms, product_ls, mask, flags, os_, file_type, subtype, _, _) = fields
        check((file_ms, file_ls) == (0x10001, 0x10001), "file version is not 1.1.1.1")
        check((product_ms, product_ls) == (0x10001, 0x10001), "product version is not 1.1.1.1")
        check((mask, flags, os_, file_type, subtype) == (0x3F, 1, 4, 1, 0),
              "fixed flags %s" % [hex(v) for v in (mask, flags, os_, file_type, subtype)])
    check("040A0000" in text, "no string table 040A0000")
    keys = ["Comments", "CompanyName", "FileDescription", "FileVersion", "InternalName", "LegalCopyright",
            "LegalTrademarks", "OriginalFilename", "PrivateBuild", "ProductName", "ProductVersion", "SpecialBuild"]
    present = [k for k in keys if k + "\0" in text]
    check(len(present) == 12, "string table holds %d standard entries: %s" % (len(present), present))
    translation = block.find("Translation".encode("utf-16-le"))
    check(translation > 0 and struct.pack("<HH", 0x040A, 0) in block[translation:], "no translation 040A, 0")


def main():
    path, arch = sys.argv[1], sys.argv[2]
    image = Image(open(path, "rb").read())
    check(image.machine == (0x14C if arch == "x86" else 0x8664), "machine %x is not %s" % (image.machine, arch))
    check(image.subsystem == 2, "subsystem %d is not the Windows GUI" % image.subsystem)

    imports = image.imports()
    print("imports:", " ".join(sorted(imports)))
    for dll in imports:
        check(dll in SYSTEM_DLLS, "imports %s, which is not a system DLL" % dll)

    resources = image.resources()
    groups = resources.get((RT_GROUP_ICON, 200), [])
    check([language for language, _ in groups] == [0x409], "icon group 200 in languages %s" % groups[:0])
    if groups:
        group = groups[0][1]
        count = struct.unpack_from("<H", group, 4)[0]
        check(count == 1, "icon group holds %d images" % count)
        width, height, _, _, planes, bits, size, icon_id = struct.unpack_from("<BBBBHHIH", group, 6)
        check((width, height, bits, size) == (48, 48, 32, 9640), "icon image %dx%d %d bits %d bytes" % (width, height, bits, size))
        icons = resources.get((RT_ICON, icon_id), [])
        check([language for language, _ in icons] == [0x409] and len(icons[0][1]) == 9640, "icon %d is missing" % icon_id)

    manifests = resources.get((RT_MANIFEST, 1), [])
    check([language for language, _ in manifests] == [0x409], "no manifest 1 in language 0409")
    if manifests:
        manifest = manifests[0][1].decode("utf-8")
        identities = re.findall(r"<assemblyIdentity[^>]*>", manifest)
        check(len(identities) == 2, "manifest has %d assembly identities" % len(identities))
        check(all('processorArchitecture="%s"' % arch in i for i in identities), "manifest does not name %s" % arch)
        check('name="Microsoft.Windows.Common-Controls"' in manifest and 'version="6.0.0.0"' in manifest,
              "manifest lacks common controls 6.0.0.0")
        for extra in ("trustInfo", "compatibility", "dpiAware", "requestedExecutionLevel"):
            check(extra not in manifest, "manifest holds %s" % extra)

    versions = resources.get((RT_VERSION, 1), [])
    check([language for language, _ in versions] == [0x040A], "no version information 1 in language 040A")
    if versions:
        check_version(versions[0][1])

    for failure in failures:
        print("FAIL:", failure)
    if not failures:
        print("executable checks passed: %s, %d bytes" % (arch, len(image.data)))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
