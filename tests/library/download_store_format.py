#!/usr/bin/env python3
"""The download store file checked with Python's own property-list reader and writer.

What the program writes must be a binary keyed archive around a binary list of items; what an
independent writer makes in either form must read back in the program.
Usage: download_store_format.py PATH/TO/download_store_file
"""
import os
import plistlib
import subprocess
import sys
import tempfile

VIDEO_KEYS = {"id", "sign", "preurl", "title", "url", "description", "time", "size", "imgurl",
              "imgsize", "tags", "ratio", "width", "height", "frame", "rate", "audio", "uptime",
              "down", "view", "author", "avatar", "avatarsize", "hp", "upcount"}


def check(condition, what):
    if not condition:
        print("FAIL:", what)
        sys.exit(1)


def main():
    tool = sys.argv[1]
    with tempfile.TemporaryDirectory() as scratch:
        path = os.path.join(scratch, "downloadInfo.bat")
        subprocess.run([tool, "write", path], check=True)
        data = open(path, "rb").read()
        check(data.startswith(b"bplist00"), "the archive is a binary property list")
        archive = plistlib.loads(data, fmt=plistlib.FMT_BINARY)
        check(archive["$archiver"] == "NSKeyedArchiver", "$archiver")
        check(archive["$version"] == 100000, "$version")
        check(archive["$top"] == {"root": plistlib.UID(1)}, "$top names object 1")
        objects = archive["$objects"]
        check(len(objects) == 2 and objects[0] == "$null", "$objects holds $null and the data")
        inner = objects[1]
        check(isinstance(inner, bytes) and inner.startswith(b"bplist00"), "the items are binary")
        items = plistlib.loads(inner, fmt=plistlib.FMT_BINARY)
        check(isinstance(items, list) and len(items) == 2, "two items")
        for item in items:
            check(set(item["videoInfo"].keys()) == VIDEO_KEYS, "the 25 video keys")
        check(set(items[0].keys()) == {"videoInfo", "cacheURL"}, "first item has its cache address")
        check(items[0]["cacheURL"]["relative"].startswith("file:///"), "cache address text")
        check(set(items[1].keys()) == {"videoInfo"}, "second item has none")
        written = subprocess.run([tool, "read", path], check=True, capture_output=True, text=True)
        lines = written.stdout.splitlines()
        check(len(lines) == 2, "the program reads back its own file")

        # Made by the independent writer, in each form, with a title the ASCII form cannot hold.
        items[1]["videoInfo"]["title"] = "Caf\u00e9 \u2713"
        for outer_form, inner_form in ((plistlib.FMT_BINARY, plistlib.FMT_BINARY),
                                       (plistlib.FMT_XML, plistlib.FMT_XML),
                                       (plistlib.FMT_BINARY, plistlib.FMT_XML)):
            made = dict(archive)
            made["$objects"] = ["$null", plistlib.dumps(items, fmt=inner_form)]
            if outer_form == plistlib.FMT_XML:  # the XML form writes a reference as a dictionary
                made["$top"] = {"root": {"CF$UID": 1}}
            with open(path, "wb") as out:
                out.write(plistlib.dumps(made, fmt=outer_form))
            result = subprocess.run([tool, "read", path], capture_output=True, text=True)
            check(result.returncode == 0, "reads a file made by another writer")
            read = result.stdout.splitlines()
            check(read[0] == lines[0], "first entry unchanged")
            check(read[1].split(" ", 1)[1].startswith("Caf\u00e9 \u2713"), "non-ASCII title")
    print("download store format: ok")


if __name__ == "__main__":
    main()
