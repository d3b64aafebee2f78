"""The released programs as Windows expects a program to be: a GUI program
for its processor with ASLR (relocatable, 64-bit addresses on x64), DEP and
terminal-server awareness; no symbols or debug sections; only Windows' own
DLLs imported; the manifest, icon group and display name; and a version
record with the release's version that names the file itself. The headers
are read with the cross binutils' objdump, the resources with windres.

Usage: check_pe.py VERSION pomarelo.scr pomarelo64.scr
"""
import os
import re
import subprocess
import sys

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "resources"))
import manifest_test  # noqa: E402  (the manifest's own checks)

TRIPLE = {"pomarelo.scr": ("i686-w64-mingw32", "pei-i386"),
          "pomarelo64.scr": ("x86_64-w64-mingw32", "pei-x86-64")}
HIGH_ENTROPY_VA, DYNAMIC_BASE, NX_COMPAT, TERMINAL_SERVER_AWARE = 0x20, 0x40, 0x100, 0x8000
SYSTEM_DLLS = {"kernel32.dll", "user32.dll", "gdi32.dll", "msvcrt.dll", "advapi32.dll",
               "shell32.dll", "ole32.dll", "comctl32.dll", "ntdll.dll", "winmm.dll"}


def tool(triple, name, *args):
    return subprocess.run(["%s-%s" % (triple, name)] + list(args), check=True,
                          capture_output=True, text=True).stdout


def field(text, pattern):
    found = re.search(pattern, text, re.M)
    return found.group(1) if found else None


def problems_of(path, version):
    name = os.path.basename(path)
    triple, pe_format = TRIPLE[name]
    headers = tool(triple, "objdump", "-f", "-h", "-p", path)
    wide = field(headers, r"^Magic\s+(020b)") is not None
    problems = []
    if field(headers, r"file format (\S+)") != pe_format:
        problems.append("not a %s program" % pe_format)
    if field(headers, r"^Subsystem\s+(\w+)") != "00000002":
        problems.append("not a Windows GUI program")
    flags = int(field(headers, r"^DllCharacteristics\s+(\w+)") or "0", 16)
    wanted = DYNAMIC_BASE | NX_COMPAT | TERMINAL_SERVER_AWARE | (HIGH_ENTROPY_VA if wide else 0)
    if flags & wanted != wanted:
        problems.append("DllCharacteristics %#x lack %#x" % (flags, wanted & ~flags))
    if not wide and "large address aware" not in headers:
        problems.append("not large-address-aware: a video wall's frames need more than 2 GiB")
    if "relocations stripped" in headers or field(headers, r"^Entry 5 \w+ (\w+)") in (None, "00000000"):
        problems.append("no base relocations: Windows cannot move it (no ASLR)")
    debug = re.findall(r"^\s+\d+ (\.debug\S*|/\d+)\s", headers, re.M)
    if debug or "HAS_SYMS" in headers:
        problems.append("not stripped: symbols or debug sections %s" % debug)
    foreign = [d for d in re.findall(r"DLL Name: (\S+)", headers) if d.lower() not in SYSTEM_DLLS]
    if foreign:
        problems.append("imports DLLs that Windows does not ship: %s" % foreign)

    if int(field(headers, r"^Entry 2 \w+ (\w+)") or "0", 16) == 0:
        return problems + ["no resources: no manifest, icon, display name or version record"]
    with open(path, "rb") as f:
        problems += manifest_test.check(manifest_test.manifests_in_pe(f.read()))
    resources = tool(triple, "windres", "-J", "coff", "-O", "rc", "-i", path)
    if not re.search(r"^1 14 /\* RT_GROUP_ICON \*/", resources, re.M):
        problems.append("no icon group 1")
    if field(resources, r'^STRINGTABLE\nBEGIN\n(?:.*\n)*?  1, "(.*)"') != "Pomarelo":
        problems.append("the display name (string 1) is not Pomarelo")
    numbers = ", ".join((version.split(".") + ["0"] * 4)[:4])
    if field(resources, r"^ FILEVERSION (.*)") != numbers:
        problems.append("the record's file version is not %s" % numbers)
    for key, value in (("OriginalFilename", name), ("InternalName", name[:-4]),
                       ("FileVersion", version), ("ProductVersion", version)):
        actual = field(resources, r'VALUE "%s", "(.*)"' % key)
        if actual != value:
            problems.append("version record: %s is %r, not %r" % (key, actual, value))
    return problems


def main():
    version, paths = sys.argv[1], sys.argv[2:]
    failed = False
    for path in paths:
        problems = problems_of(path, version)
        for problem in problems:
            print("%s: %s" % (path, problem))
        if not problems:
            print("%s: a stripped GUI program with ASLR, DEP, its resources and version %s"
                  % (path, version))
        failed = failed or bool(problems)
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
