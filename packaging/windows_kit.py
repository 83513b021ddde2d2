#!/usr/bin/python3
"""make com-kit: the Windows kit COM_DIR/novaflux-<version>-windows.zip, from the servers `make com`
built (COM_DIR/win64, COM_DIR/win32) and the scripts, README and samples in packaging/windows/.
Everything sits in one folder novaflux-<version>-windows/ of the zip. Text files get CRLF line
ends, as cmd, the VBA importer and Notepad expect; every entry carries the release date, so the
same sources give the same zip.
Usage: windows_kit.py COM_DIR"""
import os
import pathlib
import subprocess
import sys
import tempfile
import zipfile

ROOT = pathlib.Path(__file__).resolve().parents[1]
KIT_SOURCES = ROOT / "packaging" / "windows"
SERVER_FILES = ("novaflux.dll", "psylib32.dll", "NOVAFLUX.db")
STRIP = {"win64": "x86_64-w64-mingw32-strip", "win32": "i686-w64-mingw32-strip"}
TEXT_SUFFIXES = {".cmd", ".txt", ".vbs", ".bas", ".cs", ".csproj", ".md"}


def release(com_dir):
    """The version and its date as the build of the servers configured them ("1.0.0 2026-12-08")."""
    path = com_dir / "tree-win64" / "release"
    if not path.is_file():
        sys.exit(f"windows_kit: {path} is missing; `make com` writes it")
    version, date = path.read_text().split()
    return version, tuple(int(g) for g in date.split("-")) + (12, 0, 0)


def kit_entries(com_dir, version):
    """(name in the kit, bytes) of every file."""
    for arch in ("win64", "win32"):
        for name in SERVER_FILES:
            path = com_dir / arch / name
            if not path.is_file():
                sys.exit(f"windows_kit: {path} is missing; `make com` builds it")
            yield f"{arch}/{name}", without_debug_information(path, arch) if name.endswith(".dll") else path.read_bytes()
    sources = [(p.relative_to(KIT_SOURCES).as_posix(), p) for p in sorted(KIT_SOURCES.rglob("*")) if p.is_file()]
    for name, path in sources + [("CHANGELOG.md", ROOT / "CHANGELOG.md")]:
        if path.suffix not in TEXT_SUFFIXES:
            sys.exit(f"windows_kit: {path} is not a kind of file the kit knows")
        text = path.read_text(encoding="utf-8").replace("@VERSION@", version)
        yield name, text.replace("\r\n", "\n").replace("\n", "\r\n").encode("utf-8")


def without_debug_information(dll, arch):
    """The DLL without the debug sections the static MinGW runtime brings along."""
    with tempfile.TemporaryDirectory() as tmp:
        stripped = pathlib.Path(tmp) / dll.name
        subprocess.run([STRIP[arch], "--strip-debug", "-o", str(stripped), str(dll)], check=True)
        return stripped.read_bytes()


def main(com_dir):
    version, date = release(com_dir)
    folder = f"novaflux-{version}-windows"
    out = com_dir / f"{folder}.zip"
    partial = com_dir / f".{folder}.zip.partial"
    with zipfile.ZipFile(partial, "w", zipfile.ZIP_DEFLATED, compresslevel=9) as kit:
        for name, data in kit_entries(com_dir, version):
            entry = zipfile.ZipInfo(f"{folder}/{name}", date_time=date)
            entry.external_attr = 0o644 << 16
            entry.compress_type = zipfile.ZIP_DEFLATED
            kit.writestr(entry, data)
    os.replace(partial, out)
    print(out)


if __name__ == "__main__":
    if len(sys.argv) != 2:
        sys.exit(__doc__.splitlines()[-1])
    main(pathlib.Path(sys.argv[1]))
