#!/usr/bin/python
# -*- coding: utf-8 -*-

from __future__ import absolute_import, division, print_function

__metaclass__ = type

DOCUMENTATION = r'''
module: backup
short_description: Keep a KX220's whole configuration in a file on the managed host
version_added: 2.0.0
description:
  - Reads the adapter's current configuration, its stored profiles 0 to 4 and its
    quick-dial numbers into a backup file (C(omniset-cli backup FILE --json)), the file
    C(omniset-cli restore) and C(omniset-cli apply) take.
  - The new backup replaces I(dest) only when it differs from it in more than the time it
    was made (its C(created) key), and then atomically; otherwise I(dest) stays as it is
    and the task reports no change.
  - In check mode the adapter is read all the same, into a temporary file, and the task
    reports whether I(dest) would change; nothing is written at I(dest).
  - >-
    With C(--diff) the fields that differ from I(dest) are shown before and after, one
    C(PROFILE.NAME: VALUE) line each; for a new file, a summary of what it will hold.
options:
  dest:
    description:
      - The backup file on the managed host. Its directory must exist.
      - An existing file keeps its permissions and owner; a new one gets the default
        permissions.
      - Use M(ansible.builtin.fetch) to bring it to the controller.
    type: path
    required: true
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
  - module: omniset.kx220.config
  - module: ansible.builtin.fetch
author:
  - Omniset maintainers (omniset@localhost)
'''

EXAMPLES = r'''
- name: Back up the adapter
  omniset.kx220.backup:
    dest: /var/backups/kx220.json

- name: Bring the backups home, one per host
  ansible.builtin.fetch:
    src: /var/backups/kx220.json
    dest: backups/{{ inventory_hostname }}/kx220.json
    flat: true
'''

RETURN = r'''
dest:
  description: The backup file.
  returned: always
  type: str
  sample: /var/backups/kx220.json
adapter:
  description: The adapter as the backup file describes it.
  returned: always
  type: dict
  sample: {firmware: V2.0, version: Version 2.0, model: Velmar KX220 ISDN Terminal Adapter,
           port_type: Euro-ISDN S0, record_length: 326}
'''

import json
import os
import tempfile

from ansible.module_utils.common.text.converters import to_native
from ansible_collections.omniset.kx220.plugins.module_utils.omniset_cli import (
    ABSENT, OmnisetCli, diff_lines, omniset_module)


def load_json(path):
    """The JSON object in path, or None when there is none."""
    try:
        with open(path, 'rb') as f:
            obj = json.loads(f.read().decode('utf-8'))
    except (IOError, OSError, ValueError):
        return None
    return obj if isinstance(obj, dict) else None


def comparable(backup):
    """A backup without the time it was made."""
    return dict((k, v) for k, v in backup.items() if k != 'created')


def backup_diff(old, new):
    """The diff of a backup against the file it would replace (old: None when absent)."""
    if old is None:
        profiles = ', '.join((new.get('profiles') or {}).keys())
        return '', ''.join([
            'adapter: %s\n' % json.dumps(new.get('adapter'), sort_keys=True),
            'profiles: %s\n' % profiles,
            'quick_dial: %s\n' % json.dumps(new.get('quick_dial')),
        ])
    pairs = []
    old_adapter, new_adapter = old.get('adapter') or {}, new.get('adapter') or {}
    for key in sorted(set(old_adapter) | set(new_adapter)):
        if old_adapter.get(key, ABSENT) != new_adapter.get(key, ABSENT):
            pairs.append(('adapter.' + key, old_adapter.get(key, ABSENT), new_adapter.get(key, ABSENT)))
    old_profiles, new_profiles = old.get('profiles') or {}, new.get('profiles') or {}
    for key in list(new_profiles) + [k for k in old_profiles if k not in new_profiles]:
        before, after = old_profiles.get(key) or {}, new_profiles.get(key) or {}
        old_fields, new_fields = before.get('fields') or {}, after.get('fields') or {}
        names = list(new_fields) + [n for n in old_fields if n not in new_fields]
        lines = [('%s.%s' % (key, n), old_fields.get(n, ABSENT), new_fields.get(n, ABSENT))
                 for n in names if old_fields.get(n, ABSENT) != new_fields.get(n, ABSENT)]
        # Bytes that no field shows can differ too.
        if not lines and before.get('hex') != after.get('hex'):
            lines.append((key + '.hex', before.get('hex', ABSENT), after.get('hex', ABSENT)))
        pairs.extend(lines)
    old_quick, new_quick = old.get('quick_dial') or [], new.get('quick_dial') or []
    for slot in range(max(len(old_quick), len(new_quick))):
        a = old_quick[slot] if slot < len(old_quick) else ABSENT
        b = new_quick[slot] if slot < len(new_quick) else ABSENT
        if a != b:
            pairs.append(('quick_dial.%d' % (slot + 1), a, b))
    return diff_lines(pairs)


def main():
    module = omniset_module(dict(dest=dict(type='path', required=True)), supports_check_mode=True)
    dest = module.params['dest']
    directory = os.path.dirname(os.path.abspath(dest))
    if os.path.isdir(dest):
        module.fail_json(msg='dest %s is a directory' % dest, dest=dest)
    if not os.path.isdir(directory):
        module.fail_json(msg='the directory of dest, %s, does not exist' % directory, dest=dest)
    cli = OmnisetCli(module)

    # Next to dest, so that moving it over dest is a rename; in check mode away from it.
    where = module.tmpdir if module.check_mode else directory
    fd, path = tempfile.mkstemp(prefix='.%s.' % os.path.basename(dest), suffix='.tmp', dir=where)
    os.close(fd)
    try:
        _, report = cli.run_json(['backup', path, '--json'], details=lambda report: dict(dest=dest))
        new = load_json(path)
        if new is None:
            module.fail_json(msg='omniset-cli wrote no backup file at %s' % path, dest=dest)
        old = load_json(dest) if os.path.exists(dest) else None
        changed = old is None or comparable(old) != comparable(new)
        result = dict(changed=changed, dest=dest, adapter=report.get('adapter') or new.get('adapter'))
        if module._diff:
            before, after = backup_diff(old, new)
            result['diff'] = dict(before=before, after=after, before_header=dest,
                                  after_header='the adapter')
        if changed and not module.check_mode:
            module.atomic_move(path, dest)
    except (IOError, OSError) as e:
        module.fail_json(msg='%s: %s' % (dest, to_native(e)), dest=dest)
    finally:
        if os.path.exists(path):
            os.remove(path)
    module.exit_json(**result)


if __name__ == '__main__':
    main()
