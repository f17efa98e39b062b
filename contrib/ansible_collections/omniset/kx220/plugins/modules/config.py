#!/usr/bin/python
# -*- coding: utf-8 -*-

from __future__ import absolute_import, division, print_function

__metaclass__ = type

DOCUMENTATION = r'''
module: config
short_description: Make a KX220 hold the configuration a task names
version_added: 2.0.0
description:
  - Makes the adapter's current configuration, or one of its stored profiles 0 to 4, hold
    the field values in I(fields), and its quick-dial numbers those in I(quick_dial), with
    C(omniset-cli apply). Fields and numbers the task does not name stay as they are.
  - Only a record or number that differs is written; each write is read back, and when one
    fails everything already written is put back. Run again, the task writes nothing and
    reports no change.
  - The values are first checked against the adapter's records with the rules of the
    configuration pages; an unknown name or an invalid value fails the task with
    C(omniset-cli)'s message and writes nothing.
  - In check mode (C(omniset-cli apply --check)) nothing is written and the task reports
    whether anything would change.
  - >-
    With C(--diff) the changed fields are shown before and after, one
    C(PROFILE.NAME: VALUE) line each (C(current.data.bod.upper_threshold: 48),
    C(quick_dial.1: "5550101")), values as JSON.
options:
  profile:
    description:
      - The record I(fields) go to; C(current) is the configuration the adapter works with.
    type: str
    choices: [current, '0', '1', '2', '3', '4']
    default: current
  fields:
    description:
      - Field names and values with the names and the JSON types of
        C(omniset-cli show --json) (C(omniset-cli show) lists every field).
      - Numbers as numbers, flags as C(true)/C(false), choices and texts as strings; a
        field that takes C(disabled) takes that string too.
      - Quote numbers that are texts, such as an MSN (C("5550101")); a YAML number fails as
        the wrong type.
    type: dict
    default: {}
  quick_dial:
    description:
      - Quick-dial numbers by slot, C("1") to C("4"), each a string of digits; C("") clears
        a slot. Slots not named keep their numbers.
      - The numbers are the adapter's own, whatever I(profile) is.
    type: dict
  confirm_sync:
    description:
      - Write a change that puts the data port into synchronous mode (current
        configuration, profile 0 or 1), after which the adapter takes no AT command
        (C(omniset-cli apply --yes)).
      - Without it such a change fails and nothing is written.
    type: bool
    default: false
extends_documentation_fragment:
  - omniset.kx220.omniset_cli
  - ansible.builtin.action_common_attributes
attributes:
  check_mode:
    support: full
  diff_mode:
    support: full
  platform:
    platforms: posix
seealso:
  - module: omniset.kx220.info
  - module: omniset.kx220.backup
author:
  - Omniset maintainers (omniset@localhost)
'''

EXAMPLES = r'''
- name: Bandwidth on demand at 48 kbit/s, even parity on the data port
  omniset.kx220.config:
    fields:
      data.bod.upper_threshold: 48
      data.async.parity: even

- name: Stored profile 2 answers on its own MSN, adapter on COM2
  omniset.kx220.config:
    port: 2
    profile: "2"
    fields:
      tel1.msn: "5550101"

- name: Quick-dial numbers 1 and 2
  omniset.kx220.config:
    quick_dial:
      "1": "5550101"
      "2": "5550123"

- name: The current configuration kept in git, as show --json gives it
  omniset.kx220.config:
    device: /dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A1B2C3-if00-port0
    fields: "{{ lookup('file', 'kx220/site.json') | from_json }}"
'''

RETURN = r'''
changes:
  description:
    - What changed (in check mode, what would change), field by field, by record
      (C(current), C(0) to C(4)) and C(quick_dial) (by slot); a record or the numbers
      without changes have an empty dictionary.
    - The values are those of C(omniset-cli show --json).
  returned: always
  type: dict
  sample:
    current:
      data.bod.upper_threshold: {before: disabled, after: 48}
    quick_dial:
      "1": {before: "", after: "5550101"}
outcome:
  description:
    - What was done to each record and to the quick-dial numbers, as C(omniset-cli apply)
      reports it - C(unchanged), C(written), C(would change) (check mode),
      C(rolled back) or C(failed).
  returned: always
  type: dict
  sample: {current: written, quick_dial: unchanged}
'''

import json
import os
import tempfile

from ansible_collections.omniset.kx220.plugins.module_utils.omniset_cli import (
    OmnisetCli, diff_lines, omniset_module)

PROFILES = ['current', '0', '1', '2', '3', '4']


def desired_configuration(params):
    """The file apply takes: the fields of one record and the quick-dial numbers named."""
    desired = {'format': 'omniset-config', 'version': 1, 'profiles': {}}
    if params['fields'] or params['quick_dial'] is None:
        desired['profiles'][params['profile']] = params['fields']
    if params['quick_dial'] is not None:
        desired['quick_dial'] = dict((str(slot), number) for slot, number in params['quick_dial'].items())
    return desired


def read_report(report):
    """changes, outcome and diff pairs from apply's JSON object."""
    changes, outcome, pairs = {}, {}, []
    for key, step in (report.get('profiles') or {}).items():
        outcome[key] = step.get('result')
        changes[key] = step.get('changes') or {}
        for name, change in changes[key].items():
            pairs.append(('%s.%s' % (key, name), change.get('before'), change.get('after')))
    quick = report.get('quick_dial')
    if quick:
        outcome['quick_dial'] = quick.get('result')
        changes['quick_dial'] = quick.get('changes') or {}
        for slot, change in sorted(changes['quick_dial'].items()):
            pairs.append(('quick_dial.%s' % slot, change.get('before'), change.get('after')))
    return changes, outcome, pairs


def main():
    module = omniset_module(
        dict(
            profile=dict(type='str', default='current', choices=PROFILES),
            fields=dict(type='dict', default={}),
            quick_dial=dict(type='dict'),
            confirm_sync=dict(type='bool', default=False),
        ),
        supports_check_mode=True,
    )
    cli = OmnisetCli(module)

    fd, path = tempfile.mkstemp(prefix='omniset-config-', suffix='.json', dir=module.tmpdir)
    try:
        with os.fdopen(fd, 'w') as f:
            json.dump(desired_configuration(module.params), f, indent=2, sort_keys=True)
        args = ['apply', path, '--json']
        if module.check_mode:
            args.append('--check')
        if module.params['confirm_sync']:
            args.append('--yes')

        def details(report):
            changes, outcome, _ = read_report(report)
            return dict(changed=bool(report.get('changed')), changes=changes, outcome=outcome)

        # apply --check ends with exit status 1 when something would change.
        _, report = cli.run_json(args, ok_codes=(0, 1) if module.check_mode else (0,), details=details)
    finally:
        if os.path.exists(path):
            os.remove(path)

    changes, outcome, pairs = read_report(report)
    if module.check_mode:
        changed = any(r == 'would change' for r in outcome.values())
    else:
        changed = bool(report.get('changed'))
    result = dict(changed=changed, changes=changes, outcome=outcome)
    if module._diff:
        before, after = diff_lines(pairs)
        result['diff'] = dict(before=before, after=after)
    module.exit_json(**result)


if __name__ == '__main__':
    main()
