#!/usr/bin/env python3
"""Runs sislist --json over packages of both families (and a file that is none) and validates
every line against data/sislist-catalogue.schema.json.
Usage: validate_catalogue.py SISLIST SCHEMA PACKAGE...   (exit 77: skipped)"""
import json
import subprocess
import sys
import tempfile

try:
    import jsonschema
except ImportError:
    print("skipped: python3-jsonschema is not installed")
    sys.exit(77)

sislist, schema_path, packages = sys.argv[1], sys.argv[2], sys.argv[3:]
with open(schema_path, encoding="utf-8") as f:
    schema = json.load(f)
jsonschema.Draft7Validator.check_schema(schema)
validator = jsonschema.Draft7Validator(schema)

with tempfile.NamedTemporaryFile(suffix=".sisx") as bad:
    bad.write(b"\x7a\x1a\x20\x10 cut short")
    bad.flush()
    run = subprocess.run([sislist, "--json", "--at", "2027-01-01", *packages, bad.name],
                         capture_output=True, text=True, check=False)
lines = run.stdout.splitlines()
if len(lines) != len(packages) + 1:
    sys.exit(f"{len(lines)} lines for {len(packages) + 1} files:\n{run.stdout}{run.stderr}")
failed = False
for line in lines:
    entry = json.loads(line)
    for error in validator.iter_errors(entry):
        failed = True
        print(f"{entry.get('file')}: {'/'.join(map(str, error.path))}: {error.message}")
if "error" not in json.loads(lines[-1]):
    sys.exit("the damaged file gave no error line")
if run.returncode != 1:
    sys.exit(f"exit status {run.returncode}, expected 1 (one file does not read)")
sys.exit(1 if failed else 0)
