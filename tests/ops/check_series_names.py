#!/usr/bin/env python3
"""The Grafana dashboard parses as JSON and, like the alerting rules, asks only for series kelvane-cli watch writes
(the README's metric table): a renamed series would leave a panel or an alert silently empty.
Usage: check_series_names.py DASHBOARD.json RULES.yml"""
import json
import re
import sys

WRITTEN = {
    "kelvane_rack_up", "kelvane_rack_in_use", "kelvane_module_up", "kelvane_input_locked",
    "kelvane_input_lock_state", "kelvane_input_level", "kelvane_input_snr", "kelvane_channel_bits_per_second",
    "kelvane_channel_capacity_bits_per_second", "kelvane_service_rate", "kelvane_poll_failures_total",
    "kelvane_last_round_timestamp_seconds",
}
# What else a query may name: PromQL's functions and keywords, not series.
PROMQL = {"time", "increase", "rate", "label_values", "sum", "max", "min", "avg", "by", "on", "ignoring", "and",
          "or", "unless", "without", "group_left", "group_right"}


def queries(node):
    """Every PromQL text of the dashboard: panel targets and template variables."""
    if isinstance(node, dict):
        for key, value in node.items():
            if key in ("expr", "definition") and isinstance(value, str):
                yield value
            else:
                yield from queries(value)
    elif isinstance(node, list):
        for item in node:
            yield from queries(item)


def names_in(query):
    bare = re.sub(r'"(?:[^"\\]|\\.)*"', "", query)        # label values
    bare = re.sub(r"\{[^}]*\}|\[[^\]]*\]", "", bare)      # matchers and ranges
    bare = re.sub(r"\b(?:on|by|ignoring|without)\s*\([^)]*\)", "", bare)  # label lists
    bare = re.sub(r"\blabel_values\s*\(([^,()]*),[^)]*\)", r"\1", bare)  # the label a variable takes
    return set(re.findall(r"\b[a-zA-Z_:][a-zA-Z0-9_:]*\b", bare)) - PROMQL


def main():
    dashboard_path, rules_path = sys.argv[1:3]
    with open(dashboard_path, encoding="utf-8") as f:
        dashboard = json.load(f)
    problems = []
    texts = list(queries(dashboard))
    if not dashboard.get("panels") or not texts:
        problems.append("the dashboard has no panels or no queries")
    for text in texts:
        names = names_in(text)
        if not names & WRITTEN:
            problems.append(f"query names no Kelvane series: {text}")
        problems += [f"{name} is not a series the watcher writes (in: {text})" for name in names - WRITTEN]
    with open(rules_path, encoding="utf-8") as f:
        rules = f.read()
    for name in sorted(set(re.findall(r"\bkelvane_[a-z0-9_]+", rules)) - WRITTEN):
        problems.append(f"the rules ask for {name}, which the watcher does not write")
    for problem in problems:
        print("check_series_names:", problem, file=sys.stderr)
    print(f"check_series_names: {len(texts)} dashboard queries, {len(problems)} problems")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
