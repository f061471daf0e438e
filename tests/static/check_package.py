#!/usr/bin/env python3
"""Opens the package that scripts/package wrote and checks what Total Commander's installer relies on:
the entries (both DLLs as built, the guide and its pictures, no Korvex.cfg) and the keys of pluginst.inf."""
import re
import sys
import zipfile

package, dll32, dll64, guide, docs, version = sys.argv[1:7]
failures = []


def check(condition, message):
    if not condition:
        failures.append(message)


def read(path):
    with open(path, "rb") as f:
        return f.read()


try:
    archive = zipfile.ZipFile(package)
except (OSError, zipfile.BadZipFile) as error:
    sys.exit(f"FAIL: cannot open {package} ({error}); scripts/package writes it")

guide_bytes = read(guide)
pictures = set(re.findall(r"\]\(([\w.-]+\.png)\)", guide_bytes.decode("utf-8")))
expected = {"pluginst.inf": None, "Korvex.wdx": read(dll32), "Korvex.wdx64": read(dll64),
            "Korvex-guide.md": guide_bytes}
expected.update({name: read(f"{docs}/{name}") for name in pictures})
names = archive.namelist()
check(sorted(names) == sorted(expected), f"entries {sorted(names)}, expected {sorted(expected)}")
check(archive.testzip() is None, "a damaged entry")
for name, content in expected.items():
    if content is not None and name in names:
        check(archive.read(name) == content, f"{name} differs from the built file")

# The installer reads plain "key=value" lines of [plugininstall].
inf = archive.read("pluginst.inf").decode("ascii") if "pluginst.inf" in names else ""
lines = inf.split("\r\n")
check(lines[0] == "[plugininstall]", f"first line {lines[0]!r}")
keys = dict(line.split("=", 1) for line in lines[1:] if line)
description = keys.pop("description", "")
check(description.strip() != "" and "\n" not in description, "one-line description")
check(keys == {"type": "wfx", "file": "Korvex.wdx", "name": "Korvex", "defaultdir": "Korvex", "version": version},
      f"inf keys {keys}")
check(keys.get("file", "") + "64" in names, "the 64-bit file sits beside the 32-bit one under its name + 64")

for failure in failures:
    print("FAIL:", failure)
sys.exit(1 if failures else 0)
