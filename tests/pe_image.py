"""A small reader of Windows executables (PE files): headers, sections,
imports and resources, for the executable checks, the benchmark and the
release."""
import struct

SYSTEM_DLLS = {"kernel32.dll", "user32.dll", "gdi32.dll", "comctl32.dll", "ole32.dll", "msvcrt.dll"}
RESOURCE_TYPES = {3: "icon image", 14: "icon group", 16: "version information", 24: "manifest"}
DIRECTORY_EXPORT, DIRECTORY_IMPORT, DIRECTORY_RESOURCE, DIRECTORY_DEBUG = 0, 1, 2, 6


class Image:
    def __init__(self, path):
        with open(path, "rb") as f:
            self.data = f.read()
        data = self.data
        self.pe = struct.unpack_from("<I", data, 0x3C)[0]
        if data[self.pe:self.pe + 4] != b"PE\0\0":
            raise ValueError("%s is not a PE file" % path)
        (self.machine, count, self.timestamp, _, _, optional_size, _) = struct.unpack_from("<HHIIIHH", data, self.pe + 4)
        optional = self.pe + 24
        magic = struct.unpack_from("<H", data, optional)[0]
        self.header_size = struct.unpack_from("<I", data, optional + 60)[0]
        self.subsystem = struct.unpack_from("<H", data, optional + 68)[0]
        self.checksum = struct.unpack_from("<I", data, optional + 64)[0]
        directories = optional + (96 if magic == 0x10B else 112)
        self.directories = [struct.unpack_from("<II", data, directories + 8 * i) for i in range(16)]
        table = optional + optional_size
        self.sections = []
        for i in range(count):
            name, virtual_size, address, raw_size, raw = struct.unpack_from("<8sIIII", data, table + 40 * i)
            self.sections.append((name.rstrip(b"\0").decode("ascii"), virtual_size, address, raw_size, raw))

    def offset(self, rva):
        for _, size, address, raw_size, raw in self.sections:
            if address <= rva < address + max(size, raw_size):
                return raw + rva - address
        raise ValueError("rva %x outside the sections" % rva)

    def text(self, rva):
        start = self.offset(rva)
        return self.data[start:self.data.index(b"\0", start)].decode("ascii")

    def imports(self):
        """[(dll, number of functions)] in file order."""
        rva = self.directories[DIRECTORY_IMPORT][0]
        found = []
        while rva:
            lookup, _, _, name, address = struct.unpack_from("<IIIII", self.data, self.offset(rva))
            if name == 0:
                break
            thunk = self.offset(lookup or address)
            width = 4 if self.machine == 0x14C else 8
            functions = 0
            while int.from_bytes(self.data[thunk:thunk + width], "little"):
                functions += 1
                thunk += width
            found.append((self.text(name), functions))
            rva += 20
        return found

    def resource_tables(self):
        """Yields (offset of a directory table, its time stamp) for every table."""
        rva = self.directories[DIRECTORY_RESOURCE][0]
        if not rva:
            return
        base = self.offset(rva)
        pending = [0]
        while pending:
            table = pending.pop()
            stamp = struct.unpack_from("<I", self.data, base + table + 4)[0]
            yield table, stamp
            named, numbered = struct.unpack_from("<HH", self.data, base + table + 12)
            for i in range(named + numbered):
                _, target = struct.unpack_from("<II", self.data, base + table + 16 + 8 * i)
                if target & 0x80000000:
                    pending.append(target & 0x7FFFFFFF)

    def resources(self):
        """[(type, name, language, bytes)] for numbered types and names."""
        rva = self.directories[DIRECTORY_RESOURCE][0]
        if not rva:
            return []
        base = self.offset(rva)

        def entries(table):
            named, numbered = struct.unpack_from("<HH", self.data, base + table + 12)
            for i in range(named + numbered):
                key, target = struct.unpack_from("<II", self.data, base + table + 16 + 8 * i)
                yield key & 0x7FFFFFFF, target & 0x7FFFFFFF

        found = []
        for rtype, names in entries(0):
            for name, languages in entries(names):
                for language, leaf in entries(languages):
                    data_rva, size = struct.unpack_from("<II", self.data, base + leaf)
                    start = self.offset(data_rva)
                    found.append((rtype, name, language, self.data[start:start + size]))
        return found
