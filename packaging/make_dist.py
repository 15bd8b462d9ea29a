"""The release archives, from the built presets: embark-<version>-windows.zip (the x64 and x86 launchers in folders of
their own, and the x64 embark-brand.exe) and embark-<version>-linux-x86_64.tar.gz (the launcher and embark-brand), each with the README, the licence, the changelog and the sample
application, and SHA256SUMS beside them. The same sources give the same bytes: fixed times, owners, modes and order
in the archives, and executables linked without time stamps.

    python3 packaging/make_dist.py [OUTPUT_FOLDER [BUILD_FOLDER]]      (default: dist/, build/)"""
import gzip
import hashlib
import io
import os
import re
import subprocess
import sys
import tarfile
import zipfile

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
ZIP_TIME = (1980, 1, 1, 0, 0, 0)  # the earliest a zip entry can carry
TAR_TIME = 315532800  # the same moment for tar: 1980-01-01 00:00:00 UTC
DOCUMENTS = ["README.md", "LICENSE", "CHANGELOG.md", "examples/hello/Hello.java", "examples/hello/hello.ini"]


def project_version():
    """The version that the CMake project defines, the one place it is written."""
    with open(os.path.join(ROOT, "CMakeLists.txt")) as f:
        return re.search(r"project\(embark VERSION ([0-9.]+)", f.read()).group(1)


def read(relative):
    with open(os.path.join(ROOT, relative), "rb") as f:
        return f.read()


def stripped(path):
    """The Linux launcher without its symbol table, as strip writes it (the same input gives the same bytes)."""
    copy = path + ".dist"
    subprocess.run(["strip", "--strip-all", "-o", copy, path], check=True)
    try:
        return read(copy)
    finally:
        os.remove(copy)


def write_zip(path, entries):  # entries: (name, bytes, executable)
    with zipfile.ZipFile(path, "w", zipfile.ZIP_DEFLATED, compresslevel=9) as archive:
        for name, data, executable in sorted(entries):
            info = zipfile.ZipInfo(name, ZIP_TIME)
            info.external_attr = (0o100755 if executable else 0o100644) << 16
            info.create_system = 3  # Unix, so that the modes above count
            archive.writestr(info, data, zipfile.ZIP_DEFLATED, 9)


def write_tar_gz(path, entries):
    buffer = io.BytesIO()
    with tarfile.open(fileobj=buffer, mode="w", format=tarfile.PAX_FORMAT) as archive:
        for name, data, executable in sorted(entries):
            info = tarfile.TarInfo(name)
            info.size, info.mtime, info.mode = len(data), TAR_TIME, 0o755 if executable else 0o644
            info.uid = info.gid = 0
            info.uname = info.gname = "root"
            archive.addfile(info, io.BytesIO(data))
    with open(path, "wb") as f, gzip.GzipFile(filename="", mode="wb", fileobj=f, mtime=0, compresslevel=9) as packed:
        packed.write(buffer.getvalue())


def main(output, build):
    version = project_version()
    documents = [(name, read(name), False) for name in DOCUMENTS]
    windows, linux = f"embark-{version}-windows", f"embark-{version}-linux-x86_64"
    made = {
        f"{windows}.zip": (write_zip, [(f"{windows}/{name}", data, executable) for name, data, executable in documents]
                           + [(f"{windows}/{folder}/{exe}", read(os.path.join(build, preset, "bin", exe)), True)
                              for preset, folder in (("win64", "x64"), ("win32", "x86"))
                              for exe in ("embark.exe", "embarkw.exe")]
                           + [(f"{windows}/embark-brand.exe", read(os.path.join(build, "win64", "bin", "embark-brand.exe")), True)]),
        f"{linux}.tar.gz": (write_tar_gz, [(f"{linux}/{name}", data, executable) for name, data, executable in documents]
                            + [(f"{linux}/{tool}", stripped(os.path.join(build, "linux", "bin", tool)), True)
                               for tool in ("embark", "embark-brand")]),
    }
    os.makedirs(output, exist_ok=True)
    sums = []
    for name, (write, entries) in made.items():
        # Under a temporary name first: a failed run leaves no half-written archive.
        target = os.path.join(output, name)
        write(target + ".part", entries)
        os.replace(target + ".part", target)
        sums.append(f"{hashlib.sha256(read(target)).hexdigest()}  {name}\n")
    with open(os.path.join(output, "SHA256SUMS"), "w") as f:
        f.writelines(sums)
    for line in sums:
        print(os.path.join(output, line.split()[1]))


if __name__ == "__main__":
    main(os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else os.path.join(ROOT, "dist")),
         os.path.abspath(sys.argv[2] if len(sys.argv) > 2 else os.path.join(ROOT, "build")))
