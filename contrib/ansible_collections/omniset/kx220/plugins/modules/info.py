#!/usr/bin/python
# -*- coding: utf-8 -*-

from __future__ import absolute_import, division, print_function

__metaclass__ = type

DOCUMENTATION = r'''
module: info
short_description: What a KX220 is and, optionally, what one of its records holds
version_added: 2.0.0
description:
  - Returns the adapter's firmware, version, model, ISDN port type and record length and
    where it was found (C(omniset-cli info --json)).
  - With I(profile), also every field of that record and the quick-dial numbers
    (C(omniset-cli show PROFILE --json)).
  - Changes nothing; runs in check mode too.
options:
  profile:
    description:
      - The record whose fields are returned as I(fields), C(current) or a stored profile
        C(0) to C(4); without it only I(adapter) is returned.
    type: str
    choices: [current, '0', '1', '2', '3', '4']
extends_documentation_fragment:
  - omniset.kx220.omniset_cli
  - ansible.builtin.action_common_attributes
attributes:
  check_mode:
    support: full
  diff_mode:
    support: none
  platform:
    platforms: posix
seealso:
  - module: omniset.kx220.config
author:
  - Omniset maintainers (omniset@localhost)
'''

EXAMPLES = r'''
- name: Which firmware each adapter runs
  omniset.kx220.info:
  register: kx220

- name: Upgrade where it is older than 2.0
  ansible.builtin.debug:
    msg: "{{ inventory_hostname }} runs {{ kx220.adapter.firmware }}"
  when: kx220.adapter.firmware != 'V2.0'

- name: The current configuration's fields
  omniset.kx220.info:
    port: 1
    profile: current
  register: current

- ansible.builtin.assert:
    that: current.fields['data.async.parity'] == 'even'
'''

RETURN = r'''
adapter:
  description:
    - The adapter as C(omniset-cli info --json) gives it; a key whose value is unknown is
      null (I(port) with I(device)).
  returned: always
  type: dict
  contains:
    firmware:
      description: The firmware version.
      type: str
      sample: V2.0
    version:
      description: The adapter's own version reply.
      type: str
      sample: Version 2.0
    model:
      description: The model name.
      type: str
    port_type:
      description: The ISDN port type.
      type: str
      sample: Euro-ISDN S0
    record_length:
      description: The length of a configuration record in bytes, 314 or 326.
      type: int
      sample: 326
    port:
      description: The port it was found on.
      type: str
      sample: COM1
    device:
      description: The serial device.
      type: str
      sample: /dev/ttyUSB0
    line:
      description: The line settings it answered at.
      type: str
      sample: 115200,8,N,1
fields:
  description: Every field of the record I(profile), names and values as C(omniset-cli show --json).
  returned: when I(profile) is given
  type: dict
  sample: {data.bod.upper_threshold: 56, data.async.parity: none, tel1.msn: "5550101"}
quick_dial:
  description: The quick-dial numbers by slot C("1") to C("4"), as I(quick_dial) of omniset.kx220.config takes them.
  returned: when I(profile) is given
  type: dict
  sample: {"1": "5550101", "2": "", "3": "", "4": ""}
'''

from ansible_collections.omniset.kx220.plugins.module_utils.omniset_cli import (
    OmnisetCli, omniset_module)


def main():
    module = omniset_module(
        dict(profile=dict(type='str', choices=['current', '0', '1', '2', '3', '4'])),
        supports_check_mode=True,
    )
    cli = OmnisetCli(module)
    _, info = cli.run_json(['info', '--json'])
    result = dict(changed=False, adapter=dict((k, v) for k, v in info.items() if k != 'error'))
    profile = module.params['profile']
    if profile is not None:
        _, shown = cli.run_json(['show', profile, '--json'])
        result['fields'] = shown.get('fields')
        result['quick_dial'] = dict(
            (str(slot), number) for slot, number in enumerate(shown.get('quick_dial') or [], 1))
    module.exit_json(**result)


if __name__ == '__main__':
    main()
