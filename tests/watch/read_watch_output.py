"""Reads what kelvane-cli watch wrote with independent parsers and prints it flattened, one fact a line.

  read_watch_output.py prometheus FILE   every metric family (name, type, whether it has help), then every
                                         sample with its labels, as prometheus_client's own parser reads them
  read_watch_output.py json FILE         every line as a JSON document, flattened to path=value lines

A file either parser refuses ends the script with status 1 and the parser's complaint on standard error.
"""
import json
import sys


def prometheus(path):
    from prometheus_client.parser import text_string_to_metric_families
    with open(path, encoding="utf-8") as f:
        text = f.read()
    for family in text_string_to_metric_families(text):
        print(f"family {family.name} {family.type} {'help' if family.documentation else 'nohelp'}")
        for sample in family.samples:
            labels = ",".join(f"{k}={json.dumps(v, ensure_ascii=False)}" for k, v in sorted(sample.labels.items()))
            print(f"sample {sample.name}{{{labels}}} {sample.value!r}")


def flatten(value, path, out):
    if isinstance(value, dict):
        for key, item in value.items():
            flatten(item, f"{path}.{key}" if path else key, out)
    elif isinstance(value, list):
        out.append(f"{path}#={len(value)}")
        for index, item in enumerate(value):
            flatten(item, f"{path}[{index}]", out)
    else:
        out.append(f"{path}={json.dumps(value, ensure_ascii=False)}")


def json_lines(path):
    with open(path, encoding="utf-8") as f:
        for number, line in enumerate(f):
            out = []
            flatten(json.loads(line), "", out)
            for fact in out:
                print(f"{number}:{fact}")


if __name__ == "__main__":
    try:
        {"prometheus": prometheus, "json": json_lines}[sys.argv[1]](sys.argv[2])
    except Exception as error:  # the parsers' complaints, whatever their class
        print(f"{type(error).__name__}: {error}", file=sys.stderr)
        sys.exit(1)
