#!/usr/bin/env python3
"""A backup of simulated converters validates against the settings file's JSON Schema, so does the
shipped example, and `status --format openmetrics` passes a strict OpenMetrics parser.

Usage: check_files.py VEXILOCTL VEXILO_SIM SCHEMA EXAMPLE
"""
import json
import os
import select
import subprocess
import sys

import jsonschema
from prometheus_client.openmetrics.parser import text_string_to_metric_families


def start_sim(sim):
    proc = subprocess.Popen([sim, "rgb", "dvi", "ntsc"], stdout=subprocess.PIPE, text=True)
    ready, _, _ = select.select([proc.stdout], [], [], 10)
    line = proc.stdout.readline().strip() if ready else ""
    if not line.startswith("VEXILO_PORTS="):
        proc.kill()
        sys.exit(f"vexilo-sim printed no port line: {line!r}")
    return proc, line.split("=", 1)[1]


def none_found(vexiloctl, env):
    run = subprocess.run([vexiloctl, "--port", "no-such-port", "status", "--format", "openmetrics"],
                         env=env, capture_output=True, text=True)
    if run.returncode != 3:
        sys.exit(f"no converter: exit code {run.returncode}, not 3\n{run.stderr}")
    return run.stdout


def main():
    vexiloctl, sim, schema_path, example_path = sys.argv[1:5]
    with open(schema_path, encoding="utf-8") as f:
        schema = json.load(f)
    jsonschema.Draft202012Validator.check_schema(schema)
    validator = jsonschema.Draft202012Validator(schema)

    proc, ports = start_sim(sim)
    try:
        env = dict(os.environ, VEXILO_PORTS=ports)
        labels = [p.split("=", 1)[1][len("/dev/"):] for p in ports.split(",")]
        selection = [a for label in labels for a in ("--port", label)]

        backup = subprocess.run([vexiloctl, *selection, "backup"], env=env, check=True,
                                capture_output=True, text=True).stdout
        validator.validate(json.loads(backup))
        with open(example_path, encoding="utf-8") as f:
            validator.validate(json.load(f))
        # The schema is no blank cheque: a wrong kind fails it.
        wrong = json.loads(backup)
        wrong["converters"][0]["kind"] = "vga"
        if validator.is_valid(wrong):
            sys.exit("the schema accepts kind 'vga'")
        # Nor a Name with a NUL, which vexiloctl refuses.
        wrong = json.loads(backup)
        entry = next(c for c in wrong["converters"] if "id_group" in c)
        entry["id_group"]["name"] = "a\u0000b"
        if validator.is_valid(wrong):
            sys.exit("the schema accepts a NUL in a name")

        metrics = subprocess.run([vexiloctl, *selection, "status", "--format", "openmetrics"],
                                 env=env, check=True, capture_output=True, text=True).stdout
        families = {f.name: f for f in text_string_to_metric_families(metrics)}
        for name in ("vexilo_converter_up", "vexilo_fpga_temperature_celsius",
                     "vexilo_mcu_temperature_celsius", "vexilo_supply_voltage_volts",
                     "vexilo_input_present"):
            family = families.get(name)
            if family is None or family.type != "gauge":
                sys.exit(f"{name}: missing or not a gauge\n{metrics}")
            if sorted(s.labels["port"] for s in family.samples) != sorted(labels):
                sys.exit(f"{name}: not one sample per port\n{metrics}")
        if any(s.value != 1 for s in families["vexilo_converter_up"].samples):
            sys.exit(f"a simulated converter is not up\n{metrics}")
        # With no converter found, still a whole document that says so.
        for text, found in ((metrics, len(labels)), (none_found(vexiloctl, env), 0)):
            family = {f.name: f for f in text_string_to_metric_families(text)}.get(
                "vexilo_converters_found")
            if family is None or [s.value for s in family.samples] != [found]:
                sys.exit(f"vexilo_converters_found is not {found}\n{text}")
    finally:
        proc.terminate()
        proc.wait(timeout=10)
    print("1 passed, 0 failed")


if __name__ == "__main__":
    main()
