#!/usr/bin/env python3
"""Makes the test fixtures into a folder (placeholder until the recording fixtures land)."""
import argparse
import os

ap = argparse.ArgumentParser()
ap.add_argument("--out", required=True)
args = ap.parse_args()
os.makedirs(args.out, exist_ok=True)
