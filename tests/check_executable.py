#!/usr/bin/env python3
"""Static checks of a built timer executable, read from the file itself: the
machine, the GUI subsystem, the imported DLLs (system DLLs only), and the
resources: icon group 200, the manifest, the version information.

Usage: check_executable.py EXE x86|amd64"""
import re
import struct
import sys

from pe_image import SYSTEM_DLLS, Image

RT_ICON, RT_GROUP_ICON, RT_VERSION, RT_MANIFEST = 3, 14, 16, 24

failures = []


def check(condition, message):
    if not condition:
        failures.append(message)


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
    image = Image(path)
    check(image.machine == (0x14C if arch == "x86" else 0x8664), "machine %x is not %s" % (image.machine, arch))
    check(image.subsystem == 2, "subsystem %d is not the Windows GUI" % image.subsystem)

    imports = [dll.lower() for dll, _ in image.imports()]
    print("imports:", " ".join(sorted(imports)))
    for dll in imports:
        check(dll in SYSTEM_DLLS, "imports %s, which is not a system DLL" % dll)

    resources = {}
    for rtype, name, language, data in image.resources():
        resources.setdefault((rtype, name), []).append((language, data))
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
