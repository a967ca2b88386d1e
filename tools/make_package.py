#!/usr/bin/env python3
"""Makes the Windows packages of one build: the zip and the per-user installer.

    make_package.py --version 2.02 --version-numbers 2.2.0.0 --deps-prefix P
        --bin DIR --icon Orvana.ico --source-dir TOP --out DIR

DIR/Orvana.exe and DIR/OrvanaFull.exe go in as built. README.txt, LICENSE and
THIRD-PARTY-NOTICES get Windows line ends, so Notepad shows them right. The
zip holds one folder "Orvana-<version>" and is byte-identical from run to run
(fixed time stamps and order); the installer comes from
scripts/package/Orvana.nsi.
"""
import argparse
import os
import shutil
import subprocess
import sys
import tempfile
from pathlib import Path

TOOLS = Path(__file__).resolve().parent
sys.path.insert(0, str(TOOLS))
import pack_skin  # noqa: E402  (the one deterministic folder-to-zip packer)


FIXED_TIME = 1767225600  # 2026-01-01, the zip's date as well


def windows_text(text):
    return text.replace("\r\n", "\n").replace("\n", "\r\n").encode("utf-8")


def main():
    parser = argparse.ArgumentParser()
    for name in ("version", "version-numbers", "deps-prefix", "bin", "icon", "source-dir", "out"):
        parser.add_argument("--" + name, required=True)
    args = parser.parse_args()
    top = Path(args.source_dir)
    out = Path(args.out)
    out.mkdir(parents=True, exist_ok=True)
    base = f"Orvana-{args.version}"

    with tempfile.TemporaryDirectory(prefix="orvana-package.") as work:
        zip_root = Path(work) / "zip"
        stage = zip_root / base
        stage.mkdir(parents=True)
        for exe in ("Orvana.exe", "OrvanaFull.exe"):
            shutil.copyfile(Path(args.bin) / exe, stage / exe)
        readme = (top / "scripts" / "package" / "README.txt").read_text(encoding="utf-8")
        (stage / "README.txt").write_bytes(windows_text(readme.replace("@VERSION@", args.version)))
        (stage / "LICENSE").write_bytes(windows_text((top / "LICENSE").read_text(encoding="utf-8")))
        notices = Path(work) / "notices"
        subprocess.run([sys.executable, str(TOOLS / "make_notices.py"), args.deps_prefix,
                        str(notices)], check=True)
        built = notices.read_text(encoding="utf-8")
        if built != (top / "THIRD-PARTY-NOTICES").read_text(encoding="utf-8"):
            print("make_package.py: THIRD-PARTY-NOTICES in the source tree does not match the "
                  "components this build used; the package carries the matching one. Update "
                  "the tree's copy with: tools/make_notices.py DEPS_PREFIX THIRD-PARTY-NOTICES",
                  file=sys.stderr)
        (stage / "THIRD-PARTY-NOTICES").write_bytes(windows_text(built))

        zip_path = out / f"{base}-win32.zip"
        pack_skin.main(str(zip_root), str(zip_path))

        shutil.copyfile(args.icon, stage / "Orvana.ico")
        # The installer records each file's time; fixed times make it the
        # same from build to build too.
        for path in stage.iterdir():
            os.utime(path, (FIXED_TIME, FIXED_TIME))
        setup = out / f"{base}-setup.exe"
        subprocess.run(["makensis", "-V2", "-INPUTCHARSET", "UTF8",
                        f"-DVERSION={args.version}", f"-DVERSION_NUMBERS={args.version_numbers}",
                        f"-DFILES={stage}", f"-DOUTFILE={setup}",
                        str(top / "scripts" / "package" / "Orvana.nsi")], check=True)


if __name__ == "__main__":
    main()
