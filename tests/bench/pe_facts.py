#!/usr/bin/env python3
"""Facts read from Windows executables (PE files) for scripts/bench and
scripts/release.

  pe_facts.py size-report EXE BASELINE_EXE LINK_MAP LIMIT_BYTES
      Markdown: file size against the limit, sections, resources, imported
      DLLs, and the code and data of each linked object (from the map of the
      same link without -s).
  pe_facts.py reproducible EXE [BUILD_PATH...]
      Checks that nothing in the file depends on when or where it was built:
      the header time stamp, the debug directory, the resource directory time
      stamps, and the given paths as 8-bit or UTF-16 text. Prints each
      finding; exit status 1 if any of them is there.
"""
import collections
import os
import re
import sys

import pefile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
from check_executable import SYSTEM_DLLS, load, resources  # noqa: E402

RESOURCE_TYPES = {3: "icon image", 14: "icon group", 16: "version information", 24: "manifest"}


def link_map_contributions(path):
    """{(output section, input object): bytes} from a GNU ld map file."""
    contributions = collections.Counter()
    output = None
    pending_name = None
    entry = re.compile(r"^ (\S+)?\s+0x[0-9a-f]+\s+0x([0-9a-f]+)\s+(\S.*)$")
    with open(path) as f:
        for line in f:
            line = line.rstrip("\n")
            if re.match(r"^\.\w", line):
                output = line.split()[0]
                pending_name = None
                continue
            if output is None:
                continue
            match = entry.match(line)
            if match and (match.group(1) or pending_name):
                size = int(match.group(2), 16)
                source = match.group(3).strip()
                if size and not source.startswith("0x"):
                    contributions[(output, short_object_name(source))] += size
                pending_name = None
            elif re.match(r"^ [.\w$]\S*$", line):
                pending_name = line.strip()
    return contributions


def short_object_name(source):
    """'libtimer_core.a(settings.cpp.obj)' for an archive member, else the file name."""
    member = re.match(r"^(.*?)\((.*)\)$", source)
    if member:
        return "%s(%s)" % (os.path.basename(member.group(1)), member.group(2))
    return os.path.basename(source)


def size_report(exe, baseline, link_map, limit):
    """Markdown lines about the size of exe against baseline, and the facts
    the targets are judged by: {"size", "within_limit", "foreign_dlls"}."""
    image, floor = load(exe, "IMPORT", "RESOURCE"), load(baseline)
    size, floor_size = os.path.getsize(exe), os.path.getsize(baseline)
    lines = []
    out = lines.append
    out("| | timer | baseline |")
    out("| --- | ---: | ---: |")
    out("| file size (bytes) | %d | %d |" % (size, floor_size))
    out("| limit | %d | |" % limit)
    out("| within the limit | %s | |" % ("met" if size <= limit else "NOT met"))
    out("")
    out("Sections. In the file every section takes a multiple of 512 bytes; "
        "\"used\" is the part that holds data.")
    out("")
    out("| section | timer in file | timer used | baseline in file | baseline used |")
    out("| --- | ---: | ---: | ---: | ---: |")
    timer_sections = {s.Name.rstrip(b"\0").decode("ascii"): s for s in image.sections}
    floor_sections = {s.Name.rstrip(b"\0").decode("ascii"): s for s in floor.sections}
    names = list(timer_sections) + [name for name in floor_sections if name not in timer_sections]

    def cells(table, name):
        if name not in table:
            return "-", "-"
        virtual_size, raw_size = table[name].Misc_VirtualSize, table[name].SizeOfRawData
        return str(raw_size), str(min(virtual_size, raw_size) if raw_size else virtual_size)

    out("| headers | %d | | %d | |" % (image.OPTIONAL_HEADER.SizeOfHeaders, floor.OPTIONAL_HEADER.SizeOfHeaders))
    for name in names:
        out("| %s | %s | %s | %s | %s |" % ((name,) + cells(timer_sections, name) + cells(floor_sections, name)))
    out("")

    out("Resources of the timer:")
    out("")
    out("| resource | id | language | bytes |")
    out("| --- | ---: | ---: | ---: |")
    for rtype, name, language, resource in resources(image):
        out("| %s | %s | 0x%04X | %d |" % (RESOURCE_TYPES.get(rtype, "type %s" % rtype), name, language, len(resource)))
    out("")

    imports = [(entry.dll.decode("ascii"), len(entry.imports)) for entry in getattr(image, "DIRECTORY_ENTRY_IMPORT", [])]
    foreign = [dll for dll, _ in imports if dll.lower() not in SYSTEM_DLLS]
    out("Imported DLLs of the timer (functions): %s. Only system DLLs: %s." % (
        ", ".join("%s (%d)" % (dll, count) for dll, count in imports),
        "met" if not foreign else "NOT met, also " + ", ".join(foreign)))
    out("")

    contributions = link_map_contributions(link_map)
    if contributions:
        out("Code and data of the timer by linked object (bytes, from the map of the same link without -s):")
        out("")
        outputs = [o for o in (".text", ".rdata", ".data", ".bss", ".eh_frame")
                   if any(k[0] == o for k in contributions)]
        out("| object | " + " | ".join(outputs) + " |")
        out("| --- | " + " | ".join("---:" for _ in outputs) + " |")
        objects = sorted({k[1] for k in contributions if k[0] in outputs},
                         key=lambda o: (-sum(contributions[(s, o)] for s in outputs), o))
        for name in objects:
            out("| %s | %s |" % (name, " | ".join(str(contributions[(s, name)] or "") for s in outputs)))
        out("")
    return lines, {"size": size, "within_limit": size <= limit, "foreign_dlls": foreign}


def resource_tables(directory):
    """Every directory table of a resource tree, its root first."""
    tables = [directory]
    for entry in directory.entries:
        if hasattr(entry, "directory"):
            tables += resource_tables(entry.directory)
    return tables


def reproducible(exe, paths):
    image = load(exe, "EXPORT", "RESOURCE")
    with open(exe, "rb") as f:
        data = f.read()
    findings = []
    for path in paths:
        if path.encode() in data or path.encode("utf-16-le") in data:
            findings.append("the path " + path)
    timestamp = image.FILE_HEADER.TimeDateStamp
    print("header time stamp: %d" % timestamp)
    if timestamp:
        findings.append("header time stamp")
    debug_size = image.OPTIONAL_HEADER.DATA_DIRECTORY[pefile.DIRECTORY_ENTRY["IMAGE_DIRECTORY_ENTRY_DEBUG"]].Size
    print("debug directory: %d bytes" % debug_size)
    if debug_size:
        findings.append("debug directory")
    if hasattr(image, "DIRECTORY_ENTRY_EXPORT"):
        stamp = image.DIRECTORY_ENTRY_EXPORT.struct.TimeDateStamp
        print("export directory time stamp: %d" % stamp)
        if stamp:
            findings.append("export time stamp")
    tables = resource_tables(image.DIRECTORY_ENTRY_RESOURCE) if hasattr(image, "DIRECTORY_ENTRY_RESOURCE") else []
    stamps = [table.struct.TimeDateStamp for table in tables]
    print("resource directory tables: %d, time stamps set: %d" % (len(stamps), sum(1 for s in stamps if s)))
    if any(stamps):
        findings.append("resource time stamps")
    print("header checksum field: 0x%08X" % image.OPTIONAL_HEADER.CheckSum)
    print("build paths looked for: %d" % len(paths))
    if findings:
        print("build-dependent: " + ", ".join(findings))
        return 1
    return 0


def main(arguments):
    if len(arguments) == 5 and arguments[0] == "size-report":
        lines, _ = size_report(arguments[1], arguments[2], arguments[3], int(arguments[4]))
        print("\n".join(lines))
        return 0
    if len(arguments) >= 2 and arguments[0] == "reproducible":
        return reproducible(arguments[1], arguments[2:])
    sys.stderr.write(__doc__)
    return 2


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
