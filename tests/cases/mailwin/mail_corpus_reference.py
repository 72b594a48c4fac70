#!/usr/bin/env python3
"""Prints what Python's own email parser reads from each message file named on the command
line: one line per file, tab-separated and escaped (\\t, \\n, \\r, \\\\): the file name, the
subject, the first sender's address, then the file names of the attachments (empty for a part
that carries none).

Values pass through Windows-1252 (characters it lacks become "?"), as the program holds them.
Attachments are the parts that iter_attachments (policy default) yields, found again inside the
parts it leaves as the body (an alternative's branches, a related part's root) and inside
attached multiparts; an attached message counts as one part and is not opened; a text part
without a file name that is not marked as an attachment is read as part of the text."""
import email
import email.policy
import sys


def cp1252(s):
    return s.encode("cp1252", errors="replace").decode("cp1252")


def esc(s):
    return (cp1252(s).replace("\\", "\\\\").replace("\t", "\\t")
            .replace("\n", "\\n").replace("\r", "\\r"))


def is_message(part):
    return part.get_content_type() == "message/rfc822"


def is_multipart(part):
    # A message/delivery-status part holds a list of header blocks: Python's is_multipart() is
    # true of it, but it is one part.
    return part.get_content_maintype() == "multipart" and part.is_multipart()


def reader_attachments(part):
    if not is_multipart(part):
        return []
    yielded = list(part.iter_attachments())
    found = []
    for sub in part.iter_parts():
        attached = any(sub is a for a in yielded)
        if is_multipart(sub):
            found += reader_attachments(sub)
        elif attached and not (sub.get_content_maintype() == "text" and not sub.get_filename()
                               and not sub.is_attachment()):
            found.append(sub)
    return found


def names(msg):
    found = []
    for part in reader_attachments(msg):
        name = part.get_filename()
        if not name and is_message(part):
            name = None
        found.append(name or "")
    return found


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
        attachments = names(msg)
    except Exception:
        attachments = []
    fields = [path.rsplit("/", 1)[-1], " ".join(subject.split()), sender] + attachments
    print("\t".join(esc(x) for x in fields))
