"""The application manifest of the built saver: read out of the program (a
PE file) or out of the compiled .res file, checked to be well-formed XML
that declares per-monitor DPI awareness with its fallbacks and the
supported Windows versions from 7 to 11.

Usage: manifest_test.py <pomarelo.scr or pomarelo.res>
"""
import struct
import sys
import xml.etree.ElementTree as ET

RT_MANIFEST = 24
ASM_V1 = "{urn:schemas-microsoft-com:asm.v1}"
ASM_V3 = "{urn:schemas-microsoft-com:asm.v3}"
COMPATIBILITY = "{urn:schemas-microsoft-com:compatibility.v1}"
SETTINGS_2005 = "{http://schemas.microsoft.com/SMI/2005/WindowsSettings}"
SETTINGS_2016 = "{http://schemas.microsoft.com/SMI/2016/WindowsSettings}"
REQUIRED_OS = {
    "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}": "Windows 7",
    "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}": "Windows 8",
    "{1f676c76-80e1-4239-95bb-83d0f6d0da78}": "Windows 8.1",
    "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}": "Windows 10 and 11",
}


def manifests_in_pe(image):
    """{name id: bytes} of the type-24 resources of a PE file."""
    (pe_offset,) = struct.unpack_from("<I", image, 0x3C)
    if image[:2] != b"MZ" or image[pe_offset:pe_offset + 4] != b"PE\0\0":
        raise ValueError("not a PE file")
    coff = pe_offset + 4
    sections, optional_size = struct.unpack_from("<H12xH", image, coff + 2)
    optional = coff + 20
    (magic,) = struct.unpack_from("<H", image, optional)
    directories = optional + (96 if magic == 0x10B else 112)
    resource_rva, _ = struct.unpack_from("<II", image, directories + 2 * 8)
    table = optional + optional_size
    section_list = [struct.unpack_from("<8sIIII", image, table + 40 * i) for i in range(sections)]

    def file_offset(rva):
        for _, virtual_size, address, raw_size, raw_pointer in section_list:
            if address <= rva < address + max(virtual_size, raw_size):
                return raw_pointer + rva - address
        raise ValueError("RVA %#x lies in no section" % rva)

    base = file_offset(resource_rva)

    def entries(directory):
        named, numbered = struct.unpack_from("<HH", image, base + directory + 12)
        for i in range(named + numbered):
            name, target = struct.unpack_from("<II", image, base + directory + 16 + 8 * i)
            yield name, target

    found = {}
    for type_id, type_target in entries(0):
        if type_id != RT_MANIFEST or not type_target & 0x80000000:
            continue
        for name_id, name_target in entries(type_target & 0x7FFFFFFF):
            for _, leaf in entries(name_target & 0x7FFFFFFF):
                rva, size = struct.unpack_from("<II", image, base + leaf)
                found[name_id] = bytes(image[file_offset(rva):file_offset(rva) + size])
    return found


def manifests_in_res(data):
    """{name id: bytes} of the type-24 resources of a .res file."""
    found = {}
    position = 0

    def read_id(at):
        if struct.unpack_from("<H", data, at)[0] == 0xFFFF:
            return struct.unpack_from("<H", data, at + 2)[0], at + 4
        end = at
        while struct.unpack_from("<H", data, end)[0] != 0:
            end += 2
        return data[at:end].decode("utf-16-le"), end + 2

    while position + 8 <= len(data):
        data_size, header_size = struct.unpack_from("<II", data, position)
        type_id, after_type = read_id(position + 8)
        name_id, _ = read_id(after_type)
        start = position + header_size
        if type_id == RT_MANIFEST:
            found[name_id] = bytes(data[start:start + data_size])
        position = (start + data_size + 3) & ~3
    return found


def check(manifests):
    problems = []
    if list(manifests) != [1]:
        return ["expected one manifest, id 1; found ids %s" % sorted(manifests, key=str)]
    try:
        root = ET.fromstring(manifests[1])
    except ET.ParseError as error:
        return ["the manifest is not well-formed XML: %s" % error]
    if root.tag != ASM_V1 + "assembly" or root.get("manifestVersion") != "1.0":
        problems.append("the root is not an assembly of manifest version 1.0")
    settings = root.find("%sapplication/%swindowsSettings" % (ASM_V3, ASM_V3))
    if settings is None:
        problems.append("no application/windowsSettings")
    else:
        aware = settings.findtext(SETTINGS_2005 + "dpiAware", "").strip().lower()
        if aware != "true/pm":
            problems.append("dpiAware is %r, not true/pm (per monitor, else system)" % aware)
        awareness = [v.strip() for v in
                     settings.findtext(SETTINGS_2016 + "dpiAwareness", "").split(",")]
        if awareness[:2] != ["PerMonitorV2", "PerMonitor"]:
            problems.append("dpiAwareness is %r, not PerMonitorV2 then PerMonitor" % awareness)
    declared = {os.get("Id", "").lower() for os in root.iterfind(
        "%scompatibility/%sapplication/%ssupportedOS" % (COMPATIBILITY, COMPATIBILITY,
                                                          COMPATIBILITY))}
    for guid, name in REQUIRED_OS.items():
        if guid not in declared:
            problems.append("%s is not among the supported systems" % name)
    return problems


def main():
    path = sys.argv[1]
    with open(path, "rb") as f:
        data = f.read()
    manifests = manifests_in_pe(data) if data[:2] == b"MZ" else manifests_in_res(data)
    problems = check(manifests)
    for problem in problems:
        print("%s: %s" % (path, problem))
    if not problems:
        print("%s: the manifest declares per-monitor DPI awareness and Windows 7 to 11" % path)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
