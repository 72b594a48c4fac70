#include "runtime/mail/sendmail_transport.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "tests/runtime/mail/mail_test_support.h"

namespace trv::mail {
namespace {

namespace fs = std::filesystem;
using testing::readText;
using testing::TempDir;
using testing::writeText;

class SendmailTransportTest : public ::testing::Test {
 protected:
  // A stand-in for sendmail: a shell script with the given body.
  fs::path script(const std::string& body) {
    const fs::path path = dir.path() / "sendmail";
    writeText(path, "#!/bin/sh\n" + body + "\n");
    ::chmod(path.c_str(), 0755);
    return path;
  }

  OutgoingMail mail(std::string wire = "Subject: hi\n\nbody\n") {
    return {"helpdesk@example.org", {"a@example.org", "b@example.org"}, std::move(wire), {}};
  }

  TempDir dir;
};

TEST_F(SendmailTransportTest, HandsTheMessageAndEnvelopeToTheCommand) {
  const std::string out = (dir.path() / "args").string(), in = (dir.path() / "stdin").string();
  SendmailTransport transport(script("printf '%s\\n' \"$@\" > " + out + "\ncat > " + in));
  const TransportResult result = transport.send(mail());
  ASSERT_TRUE(result.ok()) << result.detail;
  EXPECT_EQ(result.status, TransportStatus::Sent);
  EXPECT_EQ(readText(out), "-i\n-f\nhelpdesk@example.org\n--\na@example.org\nb@example.org\n");
  EXPECT_EQ(readText(in), "Subject: hi\n\nbody\n");
}

TEST_F(SendmailTransportTest, ALargeMessageGetsThroughACommandThatTalksFirst) {
  // The command fills its error output before reading: a writer that only writes would hang.
  const std::string in = (dir.path() / "stdin").string();
  SendmailTransport transport(script("head -c 300000 /dev/zero >&2\ncat > " + in));
  const std::string big(2'000'000, 'x');
  const TransportResult result = transport.send(mail(big));
  ASSERT_TRUE(result.ok()) << result.detail.substr(0, 80);
  EXPECT_EQ(fs::file_size(in), big.size());
}

TEST_F(SendmailTransportTest, RefusalsCarryTheReason) {
  struct Case {
    const char* name;
    std::string body;  // empty: no command at all
    const char* detail;
    const char* command = nullptr;  // instead of a script
  };
  const Case cases[] = {
      {"exit status", "cat >/dev/null\necho 'mail queue is full' >&2\nexit 75",
       "exited with status 75: mail queue is full"},
      {"signal", "cat >/dev/null\nkill -9 $$", "was ended by signal 9"},
      {"missing command", "", "cannot start", "/nonexistent/sendmail"},
      {"command not on the search path", "", "cannot start", "no-such-sendmail-here"},
  };
  for (const Case& c : cases) {
    const fs::path command = c.command ? fs::path(c.command) : script(c.body);
    SendmailTransport transport(command);
    const TransportResult result = transport.send(mail());
    EXPECT_EQ(result.status, TransportStatus::Failed) << c.name;
    EXPECT_NE(result.detail.find(c.detail), std::string::npos) << c.name << ": " << result.detail;
  }
}

TEST_F(SendmailTransportTest, ACommandThatHangsIsStopped) {
  SendmailTransport transport(script("exec sleep 30"), std::chrono::milliseconds(300));
  const TransportResult result = transport.send(mail());
  EXPECT_EQ(result.status, TransportStatus::Failed);
  EXPECT_NE(result.detail.find("did not finish in time"), std::string::npos) << result.detail;
}

}  // namespace
}  // namespace trv::mail
