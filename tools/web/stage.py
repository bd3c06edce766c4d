#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Lays out the page for serving: every file named by its content (so a server may let browsers keep it for
good), the page itself pointing at those names, and each compressed beforehand with gzip and, when the brotli
tool is there, brotli.
   stage.py LINK_DIR PAGE_DIR PLAY_DIR"""
import gzip
import hashlib
import html
import json
import pathlib
import shutil
import subprocess
import sys

GAME = ["gromwumbler.js", "gromwumbler.wasm", "gromwumbler.data"]
PAGE = ["page.js", "page.css"]


def hashed_name(path: pathlib.Path) -> str:
    digest = hashlib.sha256(path.read_bytes()).hexdigest()[:16]
    return f"{path.stem}.{digest}{path.suffix}"


def compress(path: pathlib.Path) -> None:
    data = path.read_bytes()
    with open(path.with_name(path.name + ".gz"), "wb") as out:
        # No name or time in the header: the same input always gives the same bytes.
        with gzip.GzipFile(filename="", mode="wb", compresslevel=9, fileobj=out, mtime=0) as gz:
            gz.write(data)
    if shutil.which("brotli"):
        subprocess.run(["brotli", "-f", "-q", "11", "-o", str(path) + ".br", str(path)], check=True)


def main() -> int:
    link, page, play = (pathlib.Path(a) for a in sys.argv[1:4])
    if play.exists():
        shutil.rmtree(play)
    play.mkdir(parents=True)
    names = {}
    for name, folder in [(n, link) for n in GAME] + [(n, page) for n in PAGE]:
        source = folder / name
        names[name] = hashed_name(source)
        shutil.copyfile(source, play / names[name])
    index = (page / "index.html").read_text(encoding="utf-8")
    index = index.replace("@page.css@", names["page.css"]).replace("@page.js@", names["page.js"])
    index = index.replace("@files@", html.escape(json.dumps({n: names[n] for n in GAME}), quote=True))
    # The game's big files start downloading with the page, not only once the scripts that ask for them have run.
    index = index.replace("@preload@", "\n".join([
        f'<link rel="preload" href="{names["gromwumbler.js"]}" as="script">',
        f'<link rel="preload" href="{names["gromwumbler.wasm"]}" as="fetch" crossorigin>',
        f'<link rel="preload" href="{names["gromwumbler.data"]}" as="fetch" crossorigin>']))
    (play / "index.html").write_text(index, encoding="utf-8")
    for path in sorted(play.iterdir()):
        compress(path)
    return 0


if __name__ == "__main__":
    sys.exit(main())
