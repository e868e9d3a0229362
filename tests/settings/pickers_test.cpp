// The pickers against stand-in dialog programs: what they are given, what
// comes back, the fallback, no program at all, and the asynchronous form.
#include "settings/pickers.h"

#include <gtest/gtest.h>
#include <signal.h>

#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "tests/settings/stub_dialog.h"

namespace {

using Args = std::vector<std::string>;
using Paths = std::vector<std::wstring>;

class PickersTest : public ::testing::Test {
 protected:
  StubDialogs stubs_;
};

// The answer counts once the dialog has ended, even while a helper it left
// behind still holds its output open.
TEST_F(PickersTest, AnswerArrivesWhenTheDialogEndsNotWhenItsOutputCloses) {
  stubs_.Install("zenity", "/srv/update.img\n", 0,
                 "/bin/sleep 60 & echo $! > \"$log/helper\"");
  EXPECT_EQ(PickFile({}), L"/srv/update.img");
  int helper = 0;
  std::ifstream(stubs_.root() / "helper") >> helper;
  ASSERT_GT(helper, 0);
  EXPECT_EQ(::kill(helper, 0), 0);  // still running: nobody waited for it
  ::kill(helper, SIGKILL);
}

TEST_F(PickersTest, KindOutsideTheFourShowsNoDialog) {
  stubs_.Install("zenity", "/a\n", 0);
  Paths results;
  EXPECT_FALSE(ShowFileDialog(0, 4, {}, results));
  EXPECT_FALSE(ShowFileDialog(0, -1, {}, results));
  EXPECT_FALSE(stubs_.Ran());
  EXPECT_TRUE(ShowFileDialog(0, kPickerSavePreview, {}, results));
  EXPECT_EQ(stubs_.Arguments(), (Args{"--file-selection", "--save"}));
}

TEST_F(PickersTest, KdialogStandsInForAMissingZenity) {
  stubs_.Install("kdialog", "/home/u/logo.jpg\n", 0);
  PickerRequest request;
  request.filter = L"图片 (*.jpg)|*.jpg";
  EXPECT_EQ(PickFile(request), L"/home/u/logo.jpg");
  EXPECT_EQ(stubs_.Arguments(), (Args{"--getopenfilename", ".", "*.[jJ][pP][gG]|图片 (*.jpg)"}));
}

// Cancelled or unavailable, the results stay as they were (a file picker
// missing altogether: the settings window's toast).
TEST_F(PickersTest, CancelOrNoDialogProgramLeavesTheResultsAlone) {
  stubs_.Install("zenity", "", 1);
  Paths kept{L"kept"};
  EXPECT_FALSE(ShowFileDialog(0, kPickerOpen, {}, kept));
  EXPECT_EQ(PickFolder(0), L"");
  stubs_.EmptyPath();
  EXPECT_EQ(RunFolderDialog(0).status, PickerStatus::kUnavailable);
  EXPECT_FALSE(ShowFileDialog(0, kPickerOpen, {}, kept));
  EXPECT_EQ(kept, Paths{L"kept"});
}

class AsyncPickersTest : public PickersTest {
 protected:
  void SetUp() override { ASSERT_TRUE(ui_.registered()); }
  UiLoop ui_;
};

TEST_F(AsyncPickersTest, CallbackMayDestroyItsOwnOperation) {
  stubs_.Install("zenity", "/x\n", 0);
  std::unique_ptr<PickerOperation> operation;
  bool called = false;
  operation = PickFileAsync({}, [&](const PickerResult&) {
    called = true;
    operation.reset();
  });
  ASSERT_TRUE(ui_.RunUntil([&] { return called; }));
  EXPECT_EQ(operation, nullptr);
}

}  // namespace
