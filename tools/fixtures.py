#!/usr/bin/env python3
"""Makes the test fixtures into a folder, never into the repository.

Each module in tools/fixturegen/ that defines make(out_dir) contributes fixtures. A
module runs again only when its own source changed (a stamp holds its hash), so a
build with everything made costs almost nothing. One run at a time per folder."""
import argparse
import fcntl
import hashlib
import importlib.util
import os
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
GEN = os.path.join(HERE, "fixturegen")


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--out", required=True)
    ap.add_argument("--force", action="store_true", help="make everything again")
    args = ap.parse_args()
    out = os.path.abspath(args.out)
    os.makedirs(out, exist_ok=True)
    sys.path.insert(0, GEN)
    with open(os.path.join(out, ".lock"), "w") as lock:
        fcntl.flock(lock, fcntl.LOCK_EX)
        for name in sorted(os.listdir(GEN)) if os.path.isdir(GEN) else []:
            if not name.endswith(".py") or name.startswith("_"):
                continue
            path = os.path.join(GEN, name)
            loader_spec = importlib.util.spec_from_file_location(name[:-3], path)
            mod = importlib.util.module_from_spec(loader_spec)
            loader_spec.loader.exec_module(mod)
            if not hasattr(mod, "make"):
                continue
            digest = hashlib.sha256(open(path, "rb").read()).hexdigest()
            stamp = os.path.join(out, f".stamp-{name[:-3]}")
            if not args.force and os.path.exists(stamp) and open(stamp).read() == digest:
                continue
            start = time.time()
            print(f"fixtures: {name[:-3]} ...", flush=True)
            mod.make(out)
            with open(stamp, "w") as f:
                f.write(digest)
            print(f"fixtures: {name[:-3]} done in {time.time() - start:.1f} s", flush=True)


if __name__ == "__main__":
    main()
