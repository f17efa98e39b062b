# -*- coding: utf-8 -*-
# The options every omniset.kx220 module takes: where the adapter is and which
# omniset-cli runs.

from __future__ import absolute_import, division, print_function

__metaclass__ = type


class ModuleDocFragment(object):

    DOCUMENTATION = r'''
options:
  port:
    description:
      - Search only COMn, as C(omniset-cli --port N).
      - Without I(port) and I(device) the adapter is searched for on COM1 to COM4, the
        port it was last found on first.
      - COMn leads to the device that C($XDG_CONFIG_HOME/omniset/dosdevices/comN) links to,
        in the environment of the user the task runs as (see C(omniset-cli link)).
    type: int
    choices: [1, 2, 3, 4]
  device:
    description:
      - Open this serial device directly, as C(omniset-cli --device PATH), for example a
        name under C(/dev/serial/by-id/).
    type: path
  line:
    description:
      - The device's line settings, C(RATE,BITS,PARITY,STOP) (C(115200,8,N,1)); without
        it the search's settings are tried.
      - Only with I(device).
    type: str
  cli:
    description:
      - The path of C(omniset-cli) on the managed host.
      - Found on the C(PATH) when not given.
    type: path
notes:
  - Runs C(omniset-cli) with C(-q) and C(--json) on the managed host and reads its one JSON
    object; a failure returns the program's message as I(msg) and its exit status as I(rc)
    (2 bad usage or a bad value, 3 adapter not found, 4 an exchange failed).
  - Only one program can hold a serial port; tasks for one adapter run one after another.
requirements:
  - omniset-cli (package omniset) on the managed host
'''
