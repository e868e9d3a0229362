// Filter conversion, dialog command lines and reading a dialog's answer.
#include "settings/picker_command.h"

#include <fnmatch.h>
#include <gtest/gtest.h>

#include <iterator>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace {

using Args = std::vector<std::string>;

// "name|pattern" pairs; a name without its pattern is dropped.
TEST(ConvertFilterTest, PairsNamesWithPatterns) {
  const std::pair<const wchar_t*, std::vector<std::wstring>> cases[] = {
      {L"升级文件 (*.img)|*.img", {L"升级文件 (*.img)", L"*.img"}},
      {L"Images|*.jpg;*.png|All|*", {L"Images", L"*.jpg;*.png", L"All", L"*"}},
      {L"A|*.a|B", {L"A", L"*.a"}},
      {L"A|*.a|B|*.b|C", {L"A", L"*.a", L"B", L"*.b"}},
      {L"A|", {L"A", L""}},
      {L"所有文件", {}},
      {L"", {}},
  };
  for (const auto& [filter, expected] : cases) {
    std::vector<std::wstring> flat;
    for (const auto& entry : ConvertFilter(filter)) flat.insert(flat.end(), {entry.name, entry.pattern});
    EXPECT_EQ(flat, expected) << testing::PrintToString(std::wstring(filter));
  }
}

// The dialogs match like the shell (fnmatch); names match regardless of case.
TEST(ZenityCommandTest, FilterPatternsMatchNamesRegardlessOfCase) {
  PickerRequest request;
  request.filter = L"图片 (*.jpg)|*.jpg;logo[0-9].png";
  const DialogCommand command = FileDialogCommand("/usr/bin/zenity", kPickerOpen, request);
  const std::string prefix = "--file-filter=图片 (*.jpg) | ";
  ASSERT_EQ(command.argv.back().rfind(prefix, 0), 0u);
  std::istringstream patterns(command.argv.back().substr(prefix.size()));
  std::vector<std::string> list{std::istream_iterator<std::string>(patterns), {}};
  ASSERT_EQ(list.size(), 2u);
  for (const char* name : {"boot_logo.JPG", "LOGO.JPG", "logo.jpg", "x.Jpg"})
    EXPECT_EQ(fnmatch(list[0].c_str(), name, 0), 0) << name;
  for (const char* name : {"logo.png", "logo.jpeg", "jpg"})
    EXPECT_NE(fnmatch(list[0].c_str(), name, 0), 0) << name;
  EXPECT_EQ(fnmatch(list[1].c_str(), "LOGO7.PNG", 0), 0);
  EXPECT_NE(fnmatch(list[1].c_str(), "logoX.png", 0), 0);
}

TEST(ZenityCommandTest, OptionsOwnerTitleAndStartPath) {
  PickerRequest request;
  request.title = L"选择";
  request.initialDirectory = L"/srv/images";
  request.initialFile = L"a.img";
  request.owner = 0x2a00007;
  request.filter = L"Images|*.jpg;*.png";
  request.options = kPickerMultiSelect | kPickerOverwritePrompt;

  const DialogCommand open = FileDialogCommand("zenity", kPickerOpenPreview, request);
  EXPECT_TRUE(open.multiple);
  EXPECT_EQ(open.argv, (Args{"zenity", "--file-selection", "--multiple", "--separator=\n",
                             "--title=选择", "--attach=44040199", "--filename=/srv/images/a.img",
                             "--file-filter=Images | *.[jJ][pP][gG] *.[pP][nN][gG]"}));

  request.options = kPickerOverwritePrompt;
  const DialogCommand save = FileDialogCommand("zenity", kPickerSave, request);
  EXPECT_EQ(Args(save.argv.begin(), save.argv.begin() + 4),
            (Args{"zenity", "--file-selection", "--save", "--confirm-overwrite"}));
}

TEST(ZenityCommandTest, LongInitialFileIsPassedWholeUntilTheArgumentLimit) {
  PickerRequest request;
  request.initialFile = std::wstring(70000, L'a');
  Args argv = FileDialogCommand("zenity", kPickerOpen, request).argv;
  ASSERT_EQ(argv.size(), 3u);
  EXPECT_EQ(argv[2], "--filename=" + std::string(70000, 'a'));

  // Longer than a child can be given: left out, so the dialog still opens.
  request.initialFile = std::wstring(kMaxArgumentBytes, L'a');
  argv = FileDialogCommand("zenity", kPickerOpen, request).argv;
  EXPECT_EQ(argv, (Args{"zenity", "--file-selection"}));
}

// Opening a file: the stand-in's arguments in the pickers' test.
TEST(KdialogCommandTest, SaveAndFolder) {
  PickerRequest request;
  request.filter = L"升级文件 (*.img)|*.img";
  request.initialDirectory = L"/srv/";
  request.options = kPickerMultiSelect;
  const DialogCommand multi = FileDialogCommand("/opt/kdialog", kPickerSave, request);
  EXPECT_TRUE(multi.multiple);
  EXPECT_EQ(multi.argv, (Args{"/opt/kdialog", "--multiple", "--separate-output",
                              "--getsavefilename", "/srv/", "*.[iI][mM][gG]|升级文件 (*.img)"}));

  EXPECT_EQ(FolderDialogCommand("/opt/kdialog", 0).argv,
            (Args{"/opt/kdialog", "--title", "请选择文件夹", "--getexistingdirectory", "."}));
}

// The exit code and output decide the choice; multiple answers split at
// line feeds; a save dialog adds its default extension to a bare name.
TEST(DialogAnswerTest, ExitCodeOutputAndDialogKindDecideThePaths) {
  DialogCommand single;
  PickerResult chosen = ReadDialogAnswer(single, 0, "/srv/升级 files/update.img \n");
  ASSERT_EQ(chosen.status, PickerStatus::kChosen);
  EXPECT_EQ(chosen.paths, (std::vector<std::wstring>{L"/srv/升级 files/update.img "}));

  EXPECT_EQ(ReadDialogAnswer(single, 1, "/srv/a\n").status, PickerStatus::kCancelled);
  EXPECT_EQ(ReadDialogAnswer(single, 5, "").status, PickerStatus::kCancelled);
  EXPECT_EQ(ReadDialogAnswer(single, 0, "\n").status, PickerStatus::kCancelled);
  EXPECT_EQ(ReadDialogAnswer(single, 0, "/srv/\xff\xfe\n").status, PickerStatus::kCancelled);

  DialogCommand multiple;
  multiple.multiple = true;
  EXPECT_EQ(ReadDialogAnswer(multiple, 0, "/a/1.img\n/a/2 b.img\n\n").paths,
            (std::vector<std::wstring>{L"/a/1.img", L"/a/2 b.img"}));

  DialogCommand save;
  save.default_extension = L"img";
  EXPECT_EQ(ReadDialogAnswer(save, 0, "/x.d/name\n").paths.front(), L"/x.d/name.img");
  EXPECT_EQ(ReadDialogAnswer(save, 0, "/x/name.bin\n").paths.front(), L"/x/name.bin");
  save.default_extension = L".img";
  EXPECT_EQ(ReadDialogAnswer(save, 0, "/x/name\n").paths.front(), L"/x/name.img");
}

}  // namespace
