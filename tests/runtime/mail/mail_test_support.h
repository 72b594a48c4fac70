#pragma once
// Temporary folders and small real messages for the mail tests.

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "tests/support/temp_dir.h"

namespace trv::mail::testing {

using trv::testing::TempDir;

inline void writeText(const std::filesystem::path& file, const std::string& text) {
  std::filesystem::create_directories(file.parent_path());
  std::ofstream(file, std::ios::binary) << text;
}

inline std::string readText(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

// Mixed message: encoded subject and sender name, a Latin-1 text part, a PDF attachment with an
// RFC 2231 name and an attachment whose name tries to leave its folder.
inline const char* const kMixedMessage =
    "From: =?UTF-8?Q?J=C3=BCrgen_M=C3=BCller?= <juergen@example.com>\r\n"
    "To: Help Desk <helpdesk@example.org>, second@example.org\r\n"
    "Cc: boss@example.org\r\n"
    "Subject: =?ISO-8859-1?Q?Drucker_f=E4llt_aus?=\r\n"
    "Date: Mon, 6 May 2002 09:30:00 +0200\r\n"
    "Message-ID: <m1@example.com>\r\n"
    "MIME-Version: 1.0\r\n"
    "Content-Type: multipart/mixed; boundary=\"b1\"\r\n"
    "\r\n"
    "--b1\r\n"
    "Content-Type: text/plain; charset=iso-8859-1\r\n"
    "Content-Transfer-Encoding: quoted-printable\r\n"
    "\r\n"
    "Der Drucker f=E4llt aus.\r\n"
    "Gr=FC=DFe\r\n"
    "--b1\r\n"
    "Content-Type: application/pdf\r\n"
    "Content-Disposition: attachment; filename*=UTF-8''Rechnung%20M%C3%A4rz.pdf\r\n"
    "Content-Transfer-Encoding: base64\r\n"
    "\r\n"
    "JVBERi0xLjQK\r\n"
    "--b1\r\n"
    "Content-Type: text/plain\r\n"
    "Content-Disposition: attachment; filename=\"../../etc/evil.txt\"\r\n"
    "\r\n"
    "not for /etc\r\n"
    "--b1--\r\n";

inline std::string plainMessage(const std::string& from, const std::string& subject,
                                const std::string& body) {
  return "From: " + from + "\nTo: helpdesk@example.org\nSubject: " + subject +
         "\nMIME-Version: 1.0\nContent-Type: text/plain; charset=utf-8\n\n" + body + "\n";
}

}  // namespace trv::mail::testing
