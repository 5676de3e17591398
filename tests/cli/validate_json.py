#!/usr/bin/python3
"""Checks JSON documents against share/zelkora/zelkora.schema.json with Debian's
python3-jsonschema: validate_json.py SCHEMA FILE... Prints each violation with
its file and place; exit status 1 when there is any."""
import json
import sys

import jsonschema

schema = json.load(open(sys.argv[1], encoding="utf-8"))
jsonschema.Draft202012Validator.check_schema(schema)
validator = jsonschema.Draft202012Validator(schema)
violations = 0
for path in sys.argv[2:]:
    document = json.load(open(path, encoding="utf-8"))
    # The most telling error; the whole document would be quoted for "oneOf".
    error = jsonschema.exceptions.best_match(validator.iter_errors(document))
    if error is not None:
        place = "/".join(str(part) for part in error.absolute_path)
        print(f"{path}: /{place}: {error.message[:300]}", file=sys.stderr)
        violations += 1
sys.exit(1 if violations else 0)
