#include "runtime/mail/local_mail_store.h"

#include <gtest/gtest.h>

#include "runtime/mail/fault_mapi.h"
#include "runtime/mail/local_delivery.h"
#include "runtime/text/clock.h"
#include "runtime/text/date_time.h"
#include "tests/runtime/mail/mail_test_support.h"

namespace trv::mail {
namespace {

using testing::TempDir;

class LocalMailStoreTest : public ::testing::Test {
 protected:
  TempDir config, mailRoot;
  text::ManualClock clock{*text::dateNumber(2002, 5, 6), *text::timeNumber(10, 0)};
  LocalMailStore store =
      *LocalMailStore::create(config.path(), mailRoot.path() / "Mail", "desk@trovanel.test");
};

// The scenario steps: mail-in, expect sent-mail, sendmail fails, mail none.
TEST_F(LocalMailStoreTest, ServesTheScenarioSteps) {
  ASSERT_TRUE(store
                  .deliver(testing::plainMessage("client@example.com", "Printer", "help"),
                           localEpochSeconds(clock))
                  .ok());
  MailSystem mail(store.environment(clock));
  MapiHandle h = 0;
  ASSERT_EQ(mail.MAPILogon(0, "", "", kMapiNewSession, 0, h), MapiSuccess) << mail.lastDetail();
  std::string id;
  ASSERT_EQ(mail.MAPIFindNext(h, 0, "", "", 0, 0, id), MapiSuccess);

  MapiMessage m;
  m.subject = "Case 12";
  m.recips = {{0, kMapiTo, "client@example.com", "", ""}, {0, kMapiCc, "boss@example.com", "", ""}};
  ASSERT_EQ(mail.MAPISendMail(h, 0, m, 0, 0), MapiSuccess) << mail.lastDetail();
  ASSERT_EQ(store.sent().size(), 1u);
  EXPECT_EQ(sentMailField(store.sent()[0], "to"), "client@example.com");
  EXPECT_EQ(sentMailField(store.sent()[0], "cc"), "boss@example.com");
  EXPECT_EQ(sentMailField(store.sent()[0], "subject"), "Case 12");
  EXPECT_EQ(sentMailField(store.sent()[0], "from"), "desk@trovanel.test");
  EXPECT_FALSE(sentMailField(store.sent()[0], "colour"));

  store.refuseSends();
  EXPECT_EQ(mail.MAPISendMail(h, 0, m, 0, 0), MapiFailure);
  EXPECT_EQ(store.sent().size(), 1u);

  ASSERT_EQ(store.unconfigure(), "");
  MailSystem unconfigured(store.environment(clock));
  EXPECT_EQ(unconfigured.MAPILogon(0, "", "", kMapiNewSession, 0, h), MapiFailure);
}

TEST_F(LocalMailStoreTest, FaultMapiAnswersChosenCallsAndForwardsTheRest) {
  MailSystem real(store.environment(clock));
  FaultMapi mail(real);
  MapiHandle h = 77;
  mail.fail(MapiCall::Logon, MapiTooManySessions, /*once=*/true);
  EXPECT_EQ(mail.MAPILogon(0, "", "", kMapiNewSession, 0, h), MapiTooManySessions);
  EXPECT_EQ(h, 0u);
  ASSERT_EQ(mail.MAPILogon(0, "", "", kMapiNewSession, 0, h), MapiSuccess);

  mail.fail(MapiCall::SendMail, MapiDiskFull);
  MapiMessage m;
  m.recips = {{0, kMapiTo, "client@example.com", "", ""}};
  EXPECT_EQ(mail.MAPISendMail(h, 0, m, 0, 0), MapiDiskFull);
  EXPECT_EQ(mail.MAPISendMail(h, 0, m, 0, 0), MapiDiskFull);
  mail.heal(MapiCall::SendMail);
  EXPECT_EQ(mail.MAPISendMail(h, 0, m, 0, 0), MapiSuccess);
  EXPECT_EQ(store.sent().size(), 1u);
}

}  // namespace
}  // namespace trv::mail
