#!/usr/bin/env python3
"""tarnwick-cli test on a terminal with no -P: the password is asked for once
for the whole archive, and what is typed is not echoed.

usage: password_prompt_test.py TARNWICK_CLI ARCHIVE PASSWORD"""
import os
import pty
import sys

cli, archive, password = sys.argv[1:4]
pid, fd = pty.fork()
if pid == 0:
    os.execv(cli, [cli, "test", archive])
out, sent = b"", False
while True:
    try:
        chunk = os.read(fd, 4096)
    except OSError:  # the child has gone and closed its side
        break
    if not chunk:
        break
    out += chunk
    if not sent and out.rstrip().endswith(b":") and b"Enter the password for " in out:
        os.write(fd, password.encode() + b"\n")
        sent = True
status = os.waitstatus_to_exitcode(os.waitpid(pid, 0)[1])
text = out.decode(errors="replace")
failures = []
if out.count(b"Enter the password for ") != 1:
    failures.append("asked %d times" % out.count(b"Enter the password for "))
if password.encode() in out:
    failures.append("the password was echoed")
if status != 0:
    failures.append("exit status %d" % status)
if failures:
    sys.exit("; ".join(failures) + "\n" + text)
