#!/usr/bin/env python3
"""The omniset.kx220 collection in playbooks on localhost against kx220-sim on COM1 of a
scratch settings folder: check.yml --check --diff (reports, writes nothing), then site.yml
--diff twice (changes, then finds nothing to change). The playbooks assert on what the
modules return; this checks the recaps, the diffs and the simulator's transcript.

Usage: playbooks_test.py --cli OMNISET_CLI --sim KX220_SIM --source SOURCE_DIR --scratch DIR
"""

import argparse
import json
import os
import re
import shutil
import subprocess
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
# A profile record (AT&Xn) or a quick-dial number (at&zN=digits) sent to the adapter.
WRITE = re.compile(r'host: (AT&X\d|at&z\d=)', re.IGNORECASE)
RECAP = re.compile(r'^localhost\s*: ok=\d+\s+changed=(\d+)\s+unreachable=\d+\s+failed=(\d+)'
                   r'\s+skipped=\d+\s+rescued=\d+\s+ignored=(\d+)', re.MULTILINE)
failures = []


def check(ok, what, output=None):
    if not ok:
        failures.append(what)
        print('FAIL: ' + what + ('\n' + output if output else ''))


def start_simulator(sim, scratch, env):
    dosdevices = os.path.join(env['XDG_CONFIG_HOME'], 'omniset', 'dosdevices')
    os.makedirs(dosdevices)
    for n in (2, 3, 4):
        os.symlink('/nonexistent', os.path.join(dosdevices, 'com%d' % n))
    log = open(os.path.join(scratch, 'sim.log'), 'w')
    proc = subprocess.Popen([sim, '--com', '1', '--no-pace', '--verbose', '--store',
                             os.path.join(scratch, 'sim.store')],
                            stdin=subprocess.DEVNULL, stdout=log, stderr=log, env=env)
    link = os.path.join(dosdevices, 'com1')
    for _ in range(200):
        if os.path.exists(link):
            return proc, os.readlink(link)
        time.sleep(0.05)
    proc.kill()
    raise SystemExit('FAIL: kx220-sim made no link %s' % link)


def run_playbook(label, playbook, options, scratch, env, extra_vars):
    """Exit status, output and (changed, failed, ignored) of a run; the transcript it caused."""
    log = os.path.join(scratch, 'sim.log')
    start = os.path.getsize(log)
    with open(os.path.join(scratch, label + '.vars.json'), 'w') as f:
        json.dump(extra_vars, f)
    cmd = ['ansible-playbook', '-i', os.path.join(scratch, 'hosts'), os.path.join(HERE, playbook),
           '-e', '@' + f.name] + options
    began = time.monotonic()
    p = subprocess.run(cmd, cwd=scratch, env=env, stdin=subprocess.DEVNULL,
                       stdout=subprocess.PIPE, stderr=subprocess.STDOUT, timeout=180)
    out = p.stdout.decode('utf-8', 'replace')
    with open(os.path.join(scratch, label + '.out'), 'w') as f:
        f.write('$ ansible-playbook %s %s\n%s' % (playbook, ' '.join(options), out))
    print('%s: %s %s: exit %d in %.1f s' % (label, playbook, ' '.join(options), p.returncode,
                                           time.monotonic() - began))
    time.sleep(0.2)  # the simulator's last transcript lines
    with open(log, 'rb') as f:
        f.seek(start)
        exchanges = f.read().decode('utf-8', 'replace')
    m = RECAP.search(out)
    check(p.returncode == 0, '%s: exit %d' % (label, p.returncode), out)
    return out, tuple(int(g) for g in m.groups()) if m else None, WRITE.findall(exchanges), exchanges


def main():
    parser = argparse.ArgumentParser()
    for name in ('cli', 'sim', 'source', 'scratch'):
        parser.add_argument('--' + name, required=True)
    args = parser.parse_args()
    scratch = os.path.abspath(args.scratch)
    shutil.rmtree(scratch, ignore_errors=True)
    for folder in ('backups', 'home'):
        os.makedirs(os.path.join(scratch, folder))
    cli = os.path.abspath(args.cli)
    env = dict((k, v) for k, v in os.environ.items()
               if k not in ('DISPLAY', 'WAYLAND_DISPLAY', 'QT_QPA_PLATFORM', 'ANSIBLE_CONFIG'))
    env.update({
        'HOME': os.path.join(scratch, 'home'),
        'XDG_CONFIG_HOME': os.path.join(scratch, 'config'),
        'XDG_DATA_HOME': os.path.join(scratch, 'data'),
        # omniset-cli found on the PATH, as on a managed host with the package.
        'PATH': os.path.dirname(cli) + os.pathsep + env.get('PATH', '/usr/bin:/bin'),
        'ANSIBLE_COLLECTIONS_PATH': os.path.join(os.path.abspath(args.source), 'contrib'),
        'ANSIBLE_LOCAL_TEMP': os.path.join(scratch, 'ansible-local'),
        'ANSIBLE_REMOTE_TEMP': os.path.join(scratch, 'ansible-remote'),
        'ANSIBLE_NOCOLOR': '1', 'ANSIBLE_RETRY_FILES_ENABLED': '0', 'ANSIBLE_STDOUT_CALLBACK': 'default',
        'PYTHONDONTWRITEBYTECODE': '1',  # nothing written into the source tree
    })
    with open(os.path.join(scratch, 'hosts'), 'w') as f:
        f.write('localhost ansible_connection=local ansible_python_interpreter="{{ ansible_playbook_python }}"\n')

    sim, device = start_simulator(os.path.abspath(args.sim), scratch, env)
    try:
        common = {'backup_dest': os.path.join(scratch, 'backups', 'kx220.json'),
                  'sim_device': device, 'omniset_cli': cli}
        store = os.path.join(scratch, 'sim.store')
        stored = lambda: open(store, 'rb').read() if os.path.exists(store) else None
        store_before = stored()

        out, counts, writes, exchanges = run_playbook('check', 'check.yml', ['--check', '--diff'],
                                                      scratch, env, common)
        check(counts == (2, 0, 0), 'check mode: (changed, failed, ignored) %s, not (2, 0, 0)' % (counts,))
        for line in ('-current.data.bod.upper_threshold: 56', '+current.data.bod.upper_threshold: 48',
                     '-current.data.async.parity: "none"', '+current.data.async.parity: "even"',
                     '+current.tel1.msn: "4711"'):
            check(line in out.splitlines(), 'check mode: no diff line %r' % line)
        check(not writes, 'check mode wrote to the adapter: %s' % writes)
        check(stored() == store_before, "check mode changed the simulator's store")
        check('AT&Y' in exchanges.upper(), 'check mode did not read the adapter')

        for run in (1, 2):
            out, counts, writes, _ = run_playbook('site-%d' % run, 'site.yml', ['--diff'], scratch, env,
                                                  dict(common, run=run))
            # Run 1 changes the site configuration, profile 2 with a number, and the backup;
            # the invalid value fails (ignored) in both.
            want = (3 if run == 1 else 0, 0, 1)
            check(counts == want, 'run %d: (changed, failed, ignored) %s, not %s' % (run, counts, want))
            shown = '+current.data.bod.upper_threshold: 48' in out.splitlines()
            # Run 1: profile 2 (AT&X2), quick-dial slot 1 (at&z0=), the current configuration (AT&X5).
            want = ['AT&X2', 'AT&X5', 'AT&Z0='] if run == 1 else []
            check(sorted(w.upper() for w in writes) == want, 'run %d: writes %s, not %s' % (run, writes, want))
            check(shown == (run == 1), 'run %d: %s' % (run, 'no diff' if run == 1 else 'a diff'))
    finally:
        sim.terminate()
        sim.wait(10)
    print('%d failure(s); the outputs and the transcript are in %s' % (len(failures), scratch)
          if failures else 'all checks passed')
    return 1 if failures else 0


if __name__ == '__main__':
    sys.exit(main())
