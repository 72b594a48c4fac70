#!/usr/bin/env python3
"""Prints what Python's own email parser reads from each message file named on the command
line: one line per file, tab-separated and escaped (\\t, \\n, \\r, \\\\): the file name, the
subject, the first sender's address, then the file names of the attachments.

Values pass through Windows-1252 (characters it lacks become "?"), as the program holds them.
Attachments are the parts below the top that carry a file name; an attached message counts
as one part and is not opened."""
import email
import email.policy
import sys


def cp1252(s):
    return s.encode("cp1252", errors="replace").decode("cp1252")


def esc(s):
    return (cp1252(s).replace("\\", "\\\\").replace("\t", "\\t")
            .replace("\n", "\\n").replace("\r", "\\r"))


def named_parts(part, top):
    if part.get_content_type() == "message/rfc822" and not top:
        return [part.get_filename()] if part.get_filename() else []
    if part.is_multipart():
        names = []
        for sub in part.get_payload():
            if isinstance(sub, email.message.Message):
                names += named_parts(sub, False)
        return names
    return [part.get_filename()] if not top and part.get_filename() else []


for path in sys.argv[1:]:
    with open(path, "rb") as f:
        msg = email.message_from_binary_file(f, policy=email.policy.default)
    try:
        subject = str(msg["subject"] or "")
    except Exception:
        subject = ""
    try:
        sender = msg["from"].addresses[0].addr_spec if msg["from"] else ""
    except Exception:
        sender = ""
    try:
        names = named_parts(msg, True)
    except Exception:
        names = []
    fields = [path.rsplit("/", 1)[-1], " ".join(subject.split()), sender] + names
    print("\t".join(esc(x) for x in fields))
