#include "runtime/platform/instance_registry.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <thread>

namespace trv::platform {
namespace {

using std::chrono::milliseconds;

std::filesystem::path testFolder() {
  return std::filesystem::temp_directory_path() / ("trv_inst_" + std::to_string(::getpid()));
}

class InstanceRegistryTest : public ::testing::Test {
 protected:
  void SetUp() override { std::filesystem::remove_all(testFolder()); }
  void TearDown() override { std::filesystem::remove_all(testFolder()); }

  InstanceRegistry registry_{testFolder(), ":0"};
};

TEST_F(InstanceRegistryTest, ARegisteredInstanceIsFoundUntilItEnds) {
  std::unique_ptr<InstanceRegistration> reg;
  ASSERT_EQ(registry_.registerInstance("ProductWnd", "Product 1.0", reg), InstanceStatus::kOk);
  auto byClass = registry_.findByClass("ProductWnd");
  ASSERT_TRUE(byClass);
  EXPECT_EQ(byClass->title, "Product 1.0");
  EXPECT_EQ(byClass->pid, long(::getpid()));
  ASSERT_TRUE(registry_.findByTitle("Product 1.0"));
  EXPECT_EQ(registry_.findByTitle("Product 1.0")->windowClass, "ProductWnd");
  EXPECT_FALSE(registry_.findByTitle("Product"));
  EXPECT_FALSE(registry_.isRunning("productwnd")) << "classes are exact";

  std::unique_ptr<InstanceRegistration> second;
  EXPECT_EQ(registry_.registerInstance("ProductWnd", "Again", second),
            InstanceStatus::kAlreadyRunning);
  EXPECT_FALSE(second);
  EXPECT_FALSE(InstanceRegistry(registry_.folder(), ":1").isRunning("ProductWnd"))
      << "another display has instances of its own";

  reg.reset();
  EXPECT_FALSE(registry_.isRunning("ProductWnd"));
  EXPECT_EQ(registry_.post("ProductWnd", InstanceRequest::kClose), InstanceStatus::kNotRunning);
  EXPECT_EQ(registry_.registerInstance("ProductWnd", "Again", second), InstanceStatus::kOk);
}

TEST_F(InstanceRegistryTest, RequestsReachTheInstance) {
  std::unique_ptr<InstanceRegistration> reg;
  ASSERT_EQ(registry_.registerInstance("A/../B class", "t", reg), InstanceStatus::kOk);
  EXPECT_FALSE(reg->nextRequest());
  ASSERT_EQ(registry_.post("A/../B class", InstanceRequest::kBringToFront), InstanceStatus::kOk);
  ASSERT_EQ(registry_.post("A/../B class", InstanceRequest::kClose), InstanceStatus::kOk);
  EXPECT_EQ(reg->nextRequest(milliseconds(1000)), InstanceRequest::kBringToFront);
  EXPECT_EQ(reg->nextRequest(milliseconds(1000)), InstanceRequest::kClose);
  EXPECT_FALSE(reg->nextRequest(milliseconds(10)));
  for (const auto& e : std::filesystem::directory_iterator(registry_.folder()))
    EXPECT_EQ(e.path().parent_path(), registry_.folder());
}

TEST_F(InstanceRegistryTest, AFileLeftByACrashCountsAsNotRunning) {
  std::filesystem::create_directories(registry_.folder());
  std::ofstream(registry_.folder() / "%3A0@ProductWnd.lock") << "99999\nProductWnd\nOld\n";
  EXPECT_FALSE(registry_.isRunning("ProductWnd"));
  EXPECT_TRUE(registry_.list().empty());
  std::unique_ptr<InstanceRegistration> reg;
  EXPECT_EQ(registry_.registerInstance("ProductWnd", "New", reg), InstanceStatus::kOk);
  EXPECT_EQ(registry_.findByClass("ProductWnd")->title, "New");
}

TEST_F(InstanceRegistryTest, ASocketPathTooLongIsRefused) {
  InstanceRegistry deep(registry_.folder() / std::string(120, 'x'), ":0");
  std::unique_ptr<InstanceRegistration> reg;
  EXPECT_EQ(deep.registerInstance("ProductWnd", "t", reg), InstanceStatus::kNameTooLong);
}

TEST_F(InstanceRegistryTest, AnotherProcessClosesOnRequest) {
  int ready[2];
  ASSERT_EQ(::pipe(ready), 0);
  pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    std::unique_ptr<InstanceRegistration> reg;
    if (registry_.registerInstance("ProductWnd", "Child", reg) != InstanceStatus::kOk) ::_exit(2);
    (void)!::write(ready[1], "r", 1);
    while (reg->nextRequest(milliseconds(5000)) != InstanceRequest::kClose) {
    }
    reg.reset();
    ::_exit(0);
  }
  char c;
  ASSERT_EQ(::read(ready[0], &c, 1), 1);
  EXPECT_TRUE(registry_.isRunning("ProductWnd"));
  EXPECT_FALSE(registry_.waitUntilEnded("ProductWnd", milliseconds(50)));
  ASSERT_EQ(registry_.post("ProductWnd", InstanceRequest::kClose), InstanceStatus::kOk);
  EXPECT_TRUE(registry_.waitUntilEnded("ProductWnd", milliseconds(5000)));
  int status = 0;
  ::waitpid(child, &status, 0);
  EXPECT_EQ(WEXITSTATUS(status), 0);
  ::close(ready[0]);
  ::close(ready[1]);
}

}  // namespace
}  // namespace trv::platform
