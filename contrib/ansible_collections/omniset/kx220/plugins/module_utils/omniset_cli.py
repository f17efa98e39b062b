# -*- coding: utf-8 -*-
# What the omniset.kx220 modules share: the options that say where the adapter is, the
# command line built from them, running omniset-cli with --json and reading its one JSON
# object, and failing with the message and exit status the program reports.

from __future__ import absolute_import, division, print_function

__metaclass__ = type

import json

from ansible.module_utils.basic import AnsibleModule

# The options every module of the collection takes (documented in the doc fragment
# omniset.kx220.omniset_cli).
COMMON_ARGUMENT_SPEC = dict(
    port=dict(type='int', choices=[1, 2, 3, 4]),
    device=dict(type='path'),
    line=dict(type='str'),
    cli=dict(type='path'),
)

# English messages whatever the managed host's locale is, in UTF-8.
_ENVIRONMENT = {'LANG': 'C.UTF-8', 'LC_ALL': 'C.UTF-8', 'LC_MESSAGES': 'C.UTF-8'}


def omniset_module(argument_spec, **kwargs):
    """An AnsibleModule with the common options added to argument_spec."""
    options = dict(COMMON_ARGUMENT_SPEC)
    options.update(argument_spec)
    return AnsibleModule(
        argument_spec=options,
        mutually_exclusive=[('port', 'device')],
        required_by={'line': ('device',)},
        **kwargs
    )


class OmnisetCli(object):
    """omniset-cli on the managed host, run with the module's common options."""

    def __init__(self, module):
        self.module = module
        params = module.params
        self.binary = params['cli'] or module.get_bin_path('omniset-cli', required=True)
        self.adapter_args = []
        if params['port'] is not None:
            self.adapter_args += ['--port', str(params['port'])]
        if params['device'] is not None:
            self.adapter_args += ['--device', params['device']]
        if params['line'] is not None:
            self.adapter_args += ['--line', params['line']]

    def command(self, args):
        """The argument list: the program, -q, where the adapter is, then args."""
        return [self.binary, '-q'] + self.adapter_args + list(args)

    def run_json(self, args, ok_codes=(0,), details=None):
        """Runs the program with args (which include --json) and returns (rc, the object).

        A reported error, an exit status outside ok_codes or output that is not one JSON
        object fails the module; details(object), when given, adds to what a failure
        returns (what a command did before it failed).
        """
        cmd = self.command(args)
        rc, out, err = self.module.run_command(cmd, environ_update=_ENVIRONMENT)
        result = dict(cmd=cmd, rc=rc, stderr=err)
        try:
            obj = json.loads(out)
        except ValueError:
            obj = None
        if not isinstance(obj, dict):
            self.module.fail_json(msg=self._no_json_message(rc, err), stdout=out, **result)
        error = obj.get('error')
        if error or rc not in ok_codes:
            if details:
                result.update(details(obj))
            message = None
            if isinstance(error, dict):
                result['rc'] = error.get('exit', rc)
                message = error.get('message')
            self.module.fail_json(msg=message or self._no_json_message(rc, err), **result)
        return rc, obj

    @staticmethod
    def _no_json_message(rc, err):
        # Without a JSON error the program's last line on standard error says why.
        lines = [l for l in err.splitlines() if l.strip()]
        reason = lines[-1] if lines else 'no message'
        return 'omniset-cli ended with exit status %d: %s' % (rc, reason)


def value_text(value):
    """A field's value as the diff lines show it: JSON, so that "56" and 56 differ."""
    return json.dumps(value, ensure_ascii=False, sort_keys=True)


# A side of a diff that does not have the key at all (a field's value may be null).
ABSENT = object()


def diff_lines(pairs):
    """Diff text from (key, before, after) triples; ABSENT marks a side without the key."""
    before, after = [], []
    for key, old, new in pairs:
        if old is not ABSENT:
            before.append('%s: %s\n' % (key, value_text(old)))
        if new is not ABSENT:
            after.append('%s: %s\n' % (key, value_text(new)))
    return ''.join(before), ''.join(after)
