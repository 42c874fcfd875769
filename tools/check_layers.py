#!/usr/bin/env python3
"""Checks that engine includes point one way; run by the build before compiling.

Binding sources (*_lua.cpp) sit above every core and may include anything;
headers, the bindings' shared ones included, keep their folder's rules, so no
header of a module folder reaches Lua or a layer above it.

platform <- host core <- image, media <- graphics <- bindings (*_lua.cpp,
host/modules.*) and the start-up in app/ <- the executables (app/main.cpp, app/qar.cpp). Module cores (image, media, graphics) never reach a Lua
header, directly or through another header, and only the host and the layers
above it see the archive format and the cipher. Exits 1 listing every wrong-way
include, so a wrong include fails the build instead of passing quietly.
"""
import os
import re
import sys

ALLOWED = {
    "platform": set(),
    "host": {"platform"},
    "image": {"platform", "host"},
    "media": {"platform", "host"},
    "graphics": {"platform", "host", "image"},
    "bind": {"platform", "host", "image", "media", "graphics", "bind"},
    "app": {"platform", "host", "image", "media", "graphics", "bind", "app"},
}
LUA_FREE = {"platform", "image", "media", "graphics"}
ARCHIVE_HEADERS = {"host/cipher.h", "host/archive.h"}
ARCHIVE_USERS = {"host", "bind", "app"}
FOLDERS = ("platform", "host", "image", "media", "graphics", "app")
INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]', re.M)


def unit_of(path):
    folder = path.split("/", 1)[0]
    base = os.path.basename(path)
    if path in ("app/main.cpp", "app/qar.cpp"):
        return "app"
    if folder == "app":  # the start-up that wires window, sound and device: beside the bindings
        return "bind"
    if base.endswith("_lua.cpp") or path in ("host/modules.cpp", "host/modules.h"):
        return "bind"
    return folder


def main(root):
    files = {}
    for folder in FOLDERS:
        for dirpath, _, names in os.walk(os.path.join(root, folder)):
            for name in names:
                if name.endswith((".cpp", ".h")):
                    full = os.path.join(dirpath, name)
                    rel = os.path.relpath(full, root).replace(os.sep, "/")
                    with open(full, encoding="utf-8", errors="replace") as f:
                        files[rel] = INCLUDE.findall(f.read())

    # Which files reach Lua, directly or through engine headers.
    direct_lua = {p for p, incs in files.items()
                  if any(k == "<" and (n.startswith("lua") or n.startswith("lauxlib")) for k, n in incs)}
    reaches_lua = set(direct_lua)
    changed = True
    while changed:
        changed = False
        for p, incs in files.items():
            if p not in reaches_lua and any(k == '"' and n in reaches_lua for k, n in incs):
                reaches_lua.add(p)
                changed = True

    errors = []
    for p, incs in sorted(files.items()):
        u = unit_of(p)
        for kind, name in incs:
            if kind != '"' or name not in files:
                continue
            v = unit_of(name)
            if v != u and v not in ALLOWED[u]:
                errors.append(f"{p}: includes {name} ({u} may not depend on {v})")
            if name in ARCHIVE_HEADERS and u not in ARCHIVE_USERS:
                errors.append(f"{p}: includes {name} (only the host reads archives; use host/resource_stream.h)")
        if u in LUA_FREE and p in reaches_lua:
            errors.append(f"{p}: reaches a Lua header ({u} core code must not touch lua_State)")
    for e in errors:
        print("layering: " + e, file=sys.stderr)
    return 1 if errors else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1] if len(sys.argv) > 1 else "."))
