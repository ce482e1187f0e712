#!/usr/bin/env python3
"""Static checks of a built timer executable, read from the file itself: the
machine, the GUI subsystem, the imported DLLs (system DLLs only), and the
resources: icon group 200, the manifest, the version information.

Usage: check_executable.py EXE x86|amd64"""
import os
import re
import struct
import sys

import pefile

SYSTEM_DLLS = {"kernel32.dll", "user32.dll", "gdi32.dll", "comctl32.dll", "ole32.dll", "msvcrt.dll"}
RT_ICON, RT_GROUP_ICON, RT_VERSION, RT_MANIFEST = 3, 14, 16, 24
VERSION_KEYS = ["Comments", "CompanyName", "FileDescription", "FileVersion", "InternalName", "LegalCopyright",
                "LegalTrademarks", "OriginalFilename", "PrivateBuild", "ProductName", "ProductVersion", "SpecialBuild"]

failures = []


def check(condition, message):
    if not condition:
        failures.append(message)


def load(path, *directories):
    """The PE file with only the given data directories parsed ("IMPORT", "RESOURCE", ...)."""
    pe = pefile.PE(path, fast_load=True)
    pe.parse_data_directories([pefile.DIRECTORY_ENTRY["IMAGE_DIRECTORY_ENTRY_" + d] for d in directories])
    return pe


def resources(pe):
    """[(type, name, language, bytes)] in file order; a named type or name is its string."""
    if not hasattr(pe, "DIRECTORY_ENTRY_RESOURCE"):
        return []

    def key(entry):
        return entry.id if entry.name is None else str(entry.name)

    found = []
    for rtype in pe.DIRECTORY_ENTRY_RESOURCE.entries:
        for name in rtype.directory.entries:
            for language in name.directory.entries:
                leaf = language.data.struct
                found.append((key(rtype), key(name), language.id, pe.get_data(leaf.OffsetToData, leaf.Size)))
    return found


def check_version(pe):
    """The first version resource, as pefile parsed it."""
    fixed = getattr(pe, "VS_FIXEDFILEINFO", [None])[0]
    check(fixed is not None and fixed.Signature == 0xFEEF04BD, "no fixed version information")
    if fixed is not None and fixed.Signature == 0xFEEF04BD:
        check((fixed.FileVersionMS, fixed.FileVersionLS) == (0x10001, 0x10001), "file version is not 1.1.1.1")
        check((fixed.ProductVersionMS, fixed.ProductVersionLS) == (0x10001, 0x10001), "product version is not 1.1.1.1")
        flags = (fixed.FileFlagsMask, fixed.FileFlags, fixed.FileOS, fixed.FileType, fixed.FileSubtype)
        check(flags == (0x3F, 1, 4, 1, 0), "fixed flags %s" % [hex(v) for v in flags])
    blocks = getattr(pe, "FileInfo", [[]])[0]
    tables = {table.LangID: table.entries for block in blocks for table in getattr(block, "StringTable", [])}
    check(b"040A0000" in tables, "no string table 040A0000")
    entries = tables.get(b"040A0000", {})
    present = [k for k in VERSION_KEYS if k.encode() in entries]
    check(len(present) == 12, "string table holds %d standard entries: %s" % (len(present), present))
    translations = [getattr(var, "entry", {}).get(b"Translation") for block in blocks for var in getattr(block, "Var", [])]
    check("0x040a 0x0000" in translations, "no translation 040A, 0")


def main():
    path, arch = sys.argv[1], sys.argv[2]
    pe = load(path, "IMPORT", "RESOURCE")
    machine, subsystem = pe.FILE_HEADER.Machine, pe.OPTIONAL_HEADER.Subsystem
    check(machine == (0x14C if arch == "x86" else 0x8664), "machine %x is not %s" % (machine, arch))
    check(subsystem == 2, "subsystem %d is not the Windows GUI" % subsystem)

    imports = [entry.dll.decode("ascii").lower() for entry in getattr(pe, "DIRECTORY_ENTRY_IMPORT", [])]
    print("imports:", " ".join(sorted(imports)))
    for dll in imports:
        check(dll in SYSTEM_DLLS, "imports %s, which is not a system DLL" % dll)

    found = {}
    for rtype, name, language, data in resources(pe):
        found.setdefault((rtype, name), []).append((language, data))
    groups = found.get((RT_GROUP_ICON, 200), [])
    check([language for language, _ in groups] == [0x409],
          "icon group 200 in languages %s" % [hex(language) for language, _ in groups])
    if groups:
        group = groups[0][1]
        count = struct.unpack_from("<H", group, 4)[0]
        check(count == 1, "icon group holds %d images" % count)
        width, height, _, _, planes, bits, size, icon_id = struct.unpack_from("<BBBBHHIH", group, 6)
        check((width, height, bits, size) == (48, 48, 32, 9640), "icon image %dx%d %d bits %d bytes" % (width, height, bits, size))
        icons = found.get((RT_ICON, icon_id), [])
        check([language for language, _ in icons] == [0x409] and len(icons[0][1]) == 9640, "icon %d is missing" % icon_id)

    manifests = found.get((RT_MANIFEST, 1), [])
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

    versions = found.get((RT_VERSION, 1), [])
    check([language for language, _ in versions] == [0x040A], "no version information 1 in language 040A")
    if versions:
        check_version(pe)

    for failure in failures:
        print("FAIL:", failure)
    if not failures:
        print("executable checks passed: %s, %d bytes" % (arch, os.path.getsize(path)))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
