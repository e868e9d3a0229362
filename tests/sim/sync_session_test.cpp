// The sync protocol as adb push drives it (hostile requests and any split of
// the stream are the wire fuzzer's).
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <fstream>

#include "sim/sync_session.h"
#include "tests/support/temp_folder.h"

namespace sim {
namespace {

std::string Le(uint32_t v) { return std::string{char(v), char(v >> 8), char(v >> 16), char(v >> 24)}; }
std::string Request(const char* id, const std::string& payload) {
  return std::string(id, 4) + Le(uint32_t(payload.size())) + payload;
}
std::string Done(uint32_t mtime) { return std::string("DONE", 4) + Le(mtime); }
std::string Okay() { return std::string("OKAY", 4) + Le(0); }

class FakeHost : public SyncHost {
 public:
  std::string FilesRoot() const override { return root; }
  void OnFilePushed(const std::string& path, uint64_t size) override {
    pushed_path = path;
    pushed_size = size;
  }
  int64_t DropPushAfter() const override { return drop_after; }
  std::string PushFailMessage() const override { return fail; }
  std::string Read(const std::string& device_path) const { return folder.Read(device_path); }

  fleetsync_test::TempFolder folder{"sync-session"};
  std::string root = folder.path();
  std::string pushed_path;
  uint64_t pushed_size = 0;
  int64_t drop_after = -1;
  std::string fail;
};

// What adb push sends for one file of `content`.
std::string PushRequests(const std::string& path, const std::string& content) {
  std::string bytes = Request("STAT", path) + Request("SEND", path + ",33188");
  for (size_t at = 0; at < content.size(); at += 65536)
    bytes += Request("DATA", content.substr(at, 65536));
  return bytes + Done(1700000000) + Request("QUIT", "");
}

std::string Pattern(size_t size) {
  std::string s(size, '\0');
  for (size_t i = 0; i < size; ++i) s[i] = char(i * 7 + i / 251);
  return s;
}

TEST(SyncSessionTest, PushCreatesParentsAndAnswersStatOkayThenCloses) {
  FakeHost host;
  SyncSession session(host);
  const std::string content = Pattern(200000);
  std::string reply;
  EXPECT_EQ(session.Feed(PushRequests("/tmp/fleet-sync/update.img", content), reply),
            SyncSession::Status::kCloseStream);
  EXPECT_EQ(reply, std::string("STAT", 4) + std::string(12, '\0') + Okay());
  EXPECT_EQ(host.Read("/tmp/fleet-sync/update.img"), content);
  EXPECT_EQ(host.pushed_path, "/tmp/fleet-sync/update.img");
  EXPECT_EQ(host.pushed_size, content.size());
  struct stat info {};
  ASSERT_EQ(stat((host.root + "/tmp/fleet-sync/update.img").c_str(), &info), 0);
  EXPECT_EQ(info.st_mtime, 1700000000);
}

TEST(SyncSessionTest, StatOfAFolderReportsADirectory) {
  FakeHost host;
  std::filesystem::create_directories(host.root + "/tmp/fleet-sync");
  SyncSession session(host);
  std::string reply;
  session.Feed(Request("STAT", "/tmp/fleet-sync"), reply);
  ASSERT_EQ(reply.size(), 16u);
  const uint32_t mode = uint8_t(reply[4]) | uint8_t(reply[5]) << 8 | uint8_t(reply[6]) << 16;
  EXPECT_TRUE(S_ISDIR(mode));
}

TEST(SyncSessionTest, ScriptedFailureAnswersFailAndLeavesNoFile) {
  FakeHost host;
  host.fail = "No space left on device";
  SyncSession session(host);
  std::string reply;
  session.Feed(Request("SEND", "/x,33188") + Request("DATA", "abc") + Done(1), reply);
  EXPECT_EQ(reply, std::string("FAIL", 4) + Le(23) + "No space left on device");
  EXPECT_FALSE(std::filesystem::exists(host.root + "/x"));
  EXPECT_TRUE(host.pushed_path.empty());
}

TEST(SyncSessionTest, DropAfterNBytesAbandonsThePush) {
  FakeHost host;
  host.drop_after = 100000;
  SyncSession session(host);
  std::string reply;
  const std::string content = Pattern(300000);
  EXPECT_EQ(session.Feed(PushRequests("/x", content), reply), SyncSession::Status::kDropConnection);
  EXPECT_FALSE(std::filesystem::exists(host.root + "/x"));
}

TEST(SyncSessionTest, HostGoneMidPushRemovesThePartialFile) {
  FakeHost host;
  {
    SyncSession session(host);
    std::string reply;
    session.Feed(Request("SEND", "/tmp/y,33188") + Request("DATA", "part"), reply);
    EXPECT_TRUE(std::filesystem::exists(host.root + "/tmp/y"));
  }
  EXPECT_FALSE(std::filesystem::exists(host.root + "/tmp/y"));
}

TEST(SyncSessionTest, ListNamesTheEntriesThenDone) {
  FakeHost host;
  std::filesystem::create_directories(host.root + "/d");
  std::ofstream(host.root + "/d/file.txt") << "x";
  SyncSession session(host);
  std::string reply;
  session.Feed(Request("LIST", "/d"), reply);
  EXPECT_NE(reply.find("file.txt"), std::string::npos);
  EXPECT_EQ(reply.substr(reply.size() - 20, 4), "DONE");
}

}  // namespace
}  // namespace sim
