#!/usr/bin/python3
"""test_schemas.py CLI SIM SCHEMA_DIR [TESTCLASS]: omniset-cli's real files and --json objects against
kx220-sim (full replies and 326-byte records; short replies and 314-byte records) validate
against the schemas, and documents broken in one place do not."""

import copy
import json
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time
import unittest

try:
    from jsonschema import Draft202012Validator
except ImportError:
    sys.exit("test_schemas: python3-jsonschema is missing (tools/install-deps installs it)")

CLI, SIM, SCHEMA_DIR = sys.argv[1:4]
del sys.argv[1:4]

SCHEMAS = {}
for name in ("backup", "config", "show", "info", "diff", "apply"):
    with open(os.path.join(SCHEMA_DIR, f"{name}.schema.json"), encoding="utf-8") as f:
        schema = json.load(f)
    Draft202012Validator.check_schema(schema)
    SCHEMAS[name] = Draft202012Validator(schema)

# A small configuration, valid on either record length, and one with an invalid value.
CONFIG = {"format": "omniset-config", "version": 1,
          "profiles": {"current": {"data.bod.upper_threshold": 48, "data.async.parity": "even"},
                       "2": {"tel1.msn": "5550101"}},
          "quick_dial": {"1": "5550101"}}
BAD_CONFIG = {"format": "omniset-config", "version": 1,
              "profiles": {"current": {"data.async.parity": "purple"}}}


def problems(kind, doc):
    return [f"{'/'.join(map(str, e.absolute_path)) or '(top)'}: {e.message}"
            for e in SCHEMAS[kind].iter_errors(doc)]


class Adapter:
    """kx220-sim on COM1 of a scratch settings folder, and omniset-cli run against it."""

    def __init__(self, sim_args):
        self.home = tempfile.mkdtemp(prefix="omniset-schema-")
        self.env = {k: v for k, v in os.environ.items()
                    if k not in ("DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "LC_ALL", "LC_MESSAGES")}
        self.env.update(LANG="C", XDG_CONFIG_HOME=f"{self.home}/config", XDG_DATA_HOME=f"{self.home}/data")
        links = f"{self.home}/config/omniset/dosdevices"
        os.makedirs(links)
        for n in (2, 3, 4):  # nothing falls back to the machine's own serial ports
            os.symlink(f"{self.home}/no-adapter", f"{links}/com{n}")
        # Unpaced: the documents are the same at any speed.
        self.sim = subprocess.Popen([SIM, "--com", "1", "--no-pace", "--store", f"{self.home}/sim.store",
                                     *sim_args],
                                    env=self.env, stderr=subprocess.DEVNULL)
        for _ in range(200):
            if os.path.islink(f"{links}/com1"):
                break
            time.sleep(0.05)
        else:
            self.close()
            raise RuntimeError("kx220-sim made no link for COM1")

    def path(self, name):
        return os.path.join(self.home, name)

    def write(self, name, doc):
        with open(self.path(name), "w", encoding="utf-8") as f:
            json.dump(doc, f)
        return self.path(name)

    def run(self, *args):
        run = subprocess.run([CLI, "--port", "1", "-q", *args], env=self.env, capture_output=True,
                             timeout=180, check=False)
        return run.returncode, run.stdout.decode(), run.stderr.decode()

    def json(self, *args):
        code, out, err = self.run(*args)
        try:
            return code, json.loads(out), err
        except ValueError:
            raise AssertionError(f"omniset-cli {' '.join(args)}: not one JSON object (exit {code}): "
                                 f"{out!r} {err!r}")

    def close(self):
        self.sim.send_signal(signal.SIGTERM)
        self.sim.wait(timeout=10)
        shutil.rmtree(self.home, ignore_errors=True)


class Outputs:
    """The documents one adapter gives, each validated against its schema."""

    SIM_ARGS = []
    adapter = None

    @classmethod
    def setUpClass(cls):
        cls.adapter = Adapter(cls.SIM_ARGS)

    @classmethod
    def tearDownClass(cls):
        cls.adapter.close()

    def assertValid(self, kind, doc, what):
        self.assertEqual(problems(kind, doc), [], f"{what} against {kind}.schema.json")

    def backup(self, name):
        code, out, err = self.adapter.run("backup", self.adapter.path(name))
        self.assertEqual(code, 0, err)
        with open(self.adapter.path(name), encoding="utf-8") as f:
            return json.load(f)

    def test_backup_file(self):
        doc = self.backup("backup.json")
        self.assertValid("backup", doc, "backup FILE")
        self.assertEqual(doc["adapter"]["record_length"], self.RECORD_LENGTH)

    def check_show(self, *args):
        code, doc, err = self.adapter.json("show", *args, "--json")
        self.assertEqual(code, 0, err)
        self.assertValid("show", doc, f"show {' '.join(args)} --json")

    def test_show_current(self):
        self.check_show()

    def test_show_profile_2(self):
        self.check_show("2")

    def test_apply_check_apply_and_refused(self):
        config = self.adapter.write("site.json", CONFIG)
        self.assertValid("config", CONFIG, "the configuration applied")
        code, check, err = self.adapter.json("apply", config, "--check", "--json")
        self.assertEqual(code, 1, err)
        self.assertValid("apply", check, "apply --check --json")
        self.assertEqual(check["profiles"]["current"]["result"], "would change")
        code, done, err = self.adapter.json("apply", config, "--json")
        self.assertEqual(code, 0, err)
        self.assertValid("apply", done, "apply --json")
        self.assertEqual(done["quick_dial"]["result"], "written")
        # A file apply refuses is one the schema rejects, and the refusal is valid too.
        self.assertNotEqual(problems("config", BAD_CONFIG), [])
        code, refused, err = self.adapter.json("apply", self.adapter.write("bad.json", BAD_CONFIG), "--json")
        self.assertEqual(code, 2, err)
        self.assertValid("apply", refused, "apply --json of an invalid value")
        self.assertEqual(refused["error"]["exit"], 2)

    def test_set_and_restore_dry_run(self):
        backup = self.backup("before-set.json")
        code, doc, err = self.adapter.json("set", "data.async.parity=odd", "tel1.msn=77", "--dry-run", "--json")
        self.assertEqual(code, 0, err)
        self.assertValid("apply", doc, "set --dry-run --json")
        code, doc, err = self.adapter.json("restore", self.adapter.write("b.json", backup), "--dry-run", "--json")
        self.assertEqual(code, 0, err)
        self.assertValid("apply", doc, "restore --dry-run --json")

    def test_broken_backup_and_show_are_rejected(self):
        backup = self.backup("good.json")
        code, show, err = self.adapter.json("show", "--json")
        self.assertEqual(code, 0, err)
        check_breaks(self, "backup", backup, [
            ("an unknown field", ["profiles", "2", "fields", "data.nonsense"], 1),
            ("a wrong word", ["profiles", "current", "fields", "data.async.parity"], "purple"),
            ("a record without hex", ["profiles", "0", "hex"], DELETE),
            ("a record without a field", ["profiles", "4", "fields", "tel1.msn"], DELETE),
            ("the other record length", ["adapter", "record_length"], {314: 326, 326: 314}[self.RECORD_LENGTH]),
            ("three quick-dial numbers", ["quick_dial", 3], DELETE)])
        check_breaks(self, "show", show, [
            ("no raw", ["raw"], DELETE),
            ("a word for a bool", ["fields", "data.check_dtr"], "yes"),
            ("raw text not hex", ["raw", "tel1.msn"], "5g"),
            ("profile 7", ["profile"], "7")])

    def test_info(self):
        code, doc, err = self.adapter.json("info", "--json")
        self.assertEqual(code, 0, err)
        self.assertValid("info", doc, "info --json")
        self.assertEqual(doc["record_length"], self.RECORD_LENGTH)

    def test_diff(self):
        before = self.adapter.path("diff-before.json")
        self.assertEqual(self.adapter.run("backup", before)[0], 0)
        self.assertEqual(self.adapter.run("set", "data.async.parity=none", "quick_dial.2=123")[0], 0)
        after = self.adapter.path("diff-after.json")
        self.assertEqual(self.adapter.run("backup", after)[0], 0)
        for args, expected in (((before,), 1), ((before, "2"), 0), ((before, after), 1),
                               ((before, self.adapter.path("missing.json")), 2)):
            code, doc, err = self.adapter.json("diff", *args, "--json")
            self.assertEqual(code, expected, err)
            self.assertValid("diff", doc, f"diff {' '.join(args)} --json")


class FullReplies(Outputs, unittest.TestCase):
    SIM_ARGS = []
    RECORD_LENGTH = 326


class ShortRepliesOldFirmware(Outputs, unittest.TestCase):
    SIM_ARGS = ["--short-replies", "--firmware", "1.62"]
    RECORD_LENGTH = 314


# Documents of the forms omniset-cli writes, for the schemas' own checks.
EXAMPLES = {
    "info": {"firmware": "V2.0", "version": "Version 1.62", "model": "KX220", "port_type": "S/T",
             "record_length": 326, "port": "COM1", "device": "/dev/pts/3", "line": "115200,8,N,1",
             "error": None},
    "diff": {"equal": False,
             "profiles": {"current": {"changes": {"data.async.parity": {"before": "odd", "after": "even"}},
                                      "other_bytes": [12, 40]}},
             "quick_dial": {"changes": {"1": {"before": "", "after": "5550101"}}}, "error": None},
    "config": CONFIG,
    "apply": {"changed": True, "check": False,
              "profiles": {"current": {"result": "written", "changes": {
                  "data.bod.upper_threshold": {"before": "disabled", "after": 48}}}},
              "quick_dial": None, "error": None},
}
DELETE = object()


def broken(doc, path, value=DELETE):
    """A copy of doc with the member at path (keys and indexes) set to value, or removed."""
    doc = copy.deepcopy(doc)
    *parents, last = path
    target = doc
    for key in parents:
        target = target[key]
    if value is DELETE:
        del target[last]
    else:
        target[last] = value
    return doc


def check_breaks(test, kind, good, breaks):
    """The schema takes a good document and rejects it broken in each of these places."""
    test.assertEqual(problems(kind, good), [], f"the good {kind} document")
    for what, path, value in breaks:
        with test.subTest(kind=kind, broken=what):
            test.assertNotEqual(problems(kind, broken(good, path, value)), [], f"{kind}.schema.json took {what}")


class SchemasRejectBrokenDocuments(unittest.TestCase):
    check = check_breaks

    def test_hand_written_documents(self):
        self.check("info", EXAMPLES["info"], [("a missing key", ["port"], DELETE), ("port COM5", ["port"], "COM5")])
        changes = ["profiles", "current", "changes"]
        self.check("diff", EXAMPLES["diff"], [
            ("an unknown field", changes + ["data.nonsense"], {"before": 1, "after": 2}),
            ("a wrong word", changes + ["data.async.parity", "after"], "purple"),
            ("profile 5", ["profiles", "5"], {"changes": {}, "other_bytes": []})])
        wanted = ["profiles", "current"]
        self.check("config", EXAMPLES["config"], [
            ("an unknown field", wanted + ["data.nonsense"], 1),
            ("a wrong word", wanted + ["data.async.parity"], "purple"),
            ("a threshold above its range", wanted + ["data.bod.upper_threshold"], 200),
            ("a time off its step", wanted + ["data.bod.release_time"], 125),
            ("a word a number lacks", wanted + ["data.bod.fare_unit"], "disabled"),
            ("letters in an MSN", wanted + ["tel1.msn"], "55a"),
            ("an MSN too long", wanted + ["tel1.msn"], "1234567890123456"),
            ("a rate as a string", wanted + ["data.async.baud"], "9600"),
            ("no format", ["format"], DELETE),
            ("quick-dial number 5", ["quick_dial", "5"], "1")])
        self.check("apply", EXAMPLES["apply"], [
            ("an unknown result", ["profiles", "current", "result"], "done"),
            ("no error key", ["error"], DELETE),
            ("an unknown field", ["profiles", "current", "changes", "tel9.msn"], {"before": "", "after": "1"})])


if __name__ == "__main__":
    unittest.main(verbosity=2)
