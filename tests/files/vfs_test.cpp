// Name resolution: search folders, the file index over folders and
// archives, variants, writing into the home folder and numbered backups.
#include <cstring>

#include "core/core.h"
#include "vfs_fixture.h"

TEST_F(VfsTest, SearchFoldersAreHomeThenDwHomeNormalised) {
  setenv("DW_HOME", (std::string(second.c_str()) + "\\sub//deeper").c_str(), 1);
  vfs_shutdown();
  EXPECT_EQ(std::string(vfs_search_folder(0)), home.string() + "/");
  EXPECT_EQ(std::string(vfs_home_folder()), home.string() + "/");
  EXPECT_EQ(std::string(vfs_search_folder(1)), second.string() + "/sub/deeper/");
  EXPECT_EQ(vfs_search_folder(2), nullptr);
}

TEST_F(VfsTest, WithoutDwHomeTheProgramsFolderIsSecond) {
  unsetenv("DW_HOME");
  setenv("XDG_DATA_HOME", "relative/ignored", 1);  // XDG paths must be absolute
  setenv("HOME", root.c_str(), 1);
  vfs_shutdown();
  EXPECT_EQ(std::string(vfs_search_folder(0)), root.string() + "/.local/share/Dirtwave/");
  std::string exe = fs::read_symlink("/proc/self/exe").parent_path().string() + "/";
  EXPECT_EQ(std::string(vfs_search_folder(1)), exe);
}

TEST_F(VfsTest, HomeBeatsSecondFolderBeatsArchives) {
  home_file("tracks/a/desc", "home");
  second_file("tracks/a/desc", "second");
  second_file("tracks/b/desc", "second b");
  second_file("data.saf", saf_bytes({{"tracks/a/desc", "archive"}, {"tracks/b/desc", "archive b"},
                                      {"tracks/c/desc", "archive c"}}));
  vfs_build_file_index();
  EXPECT_EQ(read_name("@tracks/a/desc"), "home");
  EXPECT_EQ(read_name("@tracks/b/desc"), "second b");
  EXPECT_EQ(read_name("@tracks/c/desc"), "archive c");
  EXPECT_EQ(read_name("@tracks/d/desc"), "<none>");
}

TEST_F(VfsTest, EarlierArchiveWinsAndLetterCaseIsIgnored) {
  second_file("a.saf", saf_bytes({{"Models/Bike.QM", "from a"}}));
  second_file("b.SAF", saf_bytes({{"models/bike.qm", "from b"}, {"only/in/B", "b"}}));
  vfs_build_file_index();
  EXPECT_EQ(read_name("@models/bike.qm"), "from a");
  EXPECT_EQ(read_name("@MODELS/BIKE.qm"), "from a");
  EXPECT_EQ(read_name("@only/in/b"), "b");
}

TEST_F(VfsTest, FileListIsSortedWithoutCaseAndWithoutDuplicates) {
  home_file("B.txt", "1");
  second_file("b.TXT", "2");
  second_file("a.txt", "3");
  second_file("pack.saf", saf_bytes({{"c/d.txt", "4"}, {"A.TXT", "5"}}));
  const char* const* list = vfs_build_file_index();
  std::vector<std::string> names;
  for (int i = 0; list[i]; i++) names.push_back(list[i]);
  // "a.txt" from the folder outranks "A.TXT" from the archive; "B.txt"
  // from the home folder outranks "b.TXT" from the second one.
  EXPECT_EQ(names, (std::vector<std::string>{"a.txt", "B.txt", "c/d.txt", "pack.saf"}));
  EXPECT_EQ(vfs_build_file_index(), list);  // built once
  EXPECT_EQ(vfs_file_index_count(), 6);
}

TEST_F(VfsTest, DescribeEntryCutsToFitAndReportsMissingEntries) {
  second_file("pack.saf", saf_bytes({{"x.txt", "1"}}));
  vfs_build_file_index();
  char line[512];
  ASSERT_TRUE(vfs_describe_entry(0, line, sizeof line));
  EXPECT_EQ(std::string(line), "pack.saf -> " + (second / "pack.saf").string());
  ASSERT_TRUE(vfs_describe_entry(1, line, sizeof line));
  EXPECT_EQ(std::string(line), "x.txt -> " + (second / "pack.saf").string());
  char small[8];
  EXPECT_TRUE(vfs_describe_entry(1, small, sizeof small));
  EXPECT_STREQ(small, "x.txt -");
  EXPECT_FALSE(vfs_describe_entry(2, line, sizeof line));
  EXPECT_STREQ(line, "");
}

TEST_F(VfsTest, CompressedAndScrambledVariantsReadAsPlain) {
  std::string plain;
  for (int i = 0; i < 3000; i++) plain += "line " + std::to_string(i) + "\n";  // several 1 KiB windows
  home_file("g.txt.gz", gzip_bytes(plain));
  ASSERT_TRUE(scramble_write_file((second / "s.txt.scram").c_str(), plain.data(), plain.size()));
  std::string gz = gzip_bytes(plain);
  ASSERT_TRUE(scramble_write_file((second / "gs.txt.gz.scram").c_str(), gz.data(), gz.size()));
  std::string scram_member = read_whole(second / "s.txt.scram");
  second_file("pack.saf", saf_bytes({{"m/g.txt.gz", gz}, {"m/s.txt.scram", scram_member}}));
  vfs_build_file_index();
  EXPECT_EQ(read_whole(second / "s.txt.scram").find("line"), std::string::npos);  // unreadable as it is
  EXPECT_EQ(read_name("@g.txt"), plain);
  EXPECT_EQ(read_name("@s.txt"), plain);
  EXPECT_EQ(read_name("@gs.txt"), plain);
  EXPECT_EQ(read_name("@m/g.txt"), plain);
  EXPECT_EQ(read_name("@m/s.txt"), plain);
  // Ordinary paths find their variants too.
  EXPECT_EQ(read_name((home / "g.txt").c_str()), plain);
}

TEST_F(VfsTest, PriorityDecidesBetweenVariantsBeforeTheirOrder) {
  second_file("a.saf", saf_bytes({{"v.txt.gz", gzip_bytes("compressed, first archive")}}));
  second_file("b.saf", saf_bytes({{"v.txt", "plain, second archive"}}));
  vfs_build_file_index();
  EXPECT_EQ(read_name("@v.txt"), "compressed, first archive");
}

TEST_F(VfsTest, DamagedVariantsFailToOpen) {
  home_file("notgzip.gz", "plain text, not gzip");
  home_file("notscram.scram", "XXXXXXXXXXXXXXXX");
  std::string bad_flags = gzip_bytes("x");
  bad_flags[3] = (char)0x80;  // reserved flag bit
  home_file("flags.gz", bad_flags);
  EXPECT_EQ(stream_open("@notgzip", "rb"), nullptr);
  EXPECT_EQ(stream_open("@notscram", "rb"), nullptr);
  EXPECT_EQ(stream_open("@flags", "rb"), nullptr);
}

TEST_F(VfsTest, DamagedGzipDataEndsTheStreamEarly) {
  std::string plain(20000, 'a');
  for (size_t i = 0; i < plain.size(); i += 7) plain[i] = (char)('a' + i % 26);
  std::string gz = gzip_bytes(plain);
  std::string cut = gz.substr(0, gz.size() / 2);
  std::string garbled = gz;
  for (size_t i = 20; i < garbled.size() - 8; i += 3) garbled[i] = (char)0xff;
  home_file("cut.gz", cut);
  home_file("garbled.gz", garbled);
  for (const char* name : {"@cut", "@garbled"}) {
    std::string got = read_name(name);
    EXPECT_LT(got.size(), plain.size()) << name;
    EXPECT_EQ(got, plain.substr(0, got.size())) << name;
  }
}

TEST_F(VfsTest, WritingLandsInTheHomeFolderAndCreatesFolders) {
  Stream* s = stream_open("@demos/sub/new.dwdemo", "wb");
  ASSERT_NE(s, nullptr);
  EXPECT_TRUE(stream_write_string(s, "demo"));
  EXPECT_TRUE(stream_close(s));
  EXPECT_EQ(read_whole(home / "demos/sub/new.dwdemo"), "demo");
  EXPECT_FALSE(fs::exists(second / "demos"));
}

TEST_F(VfsTest, FolderIsNotAFileToRead) {
  fs::create_directories(home / "tracks");
  second_file("tracks", "a file in the second folder");
  EXPECT_EQ(read_name("@tracks"), "a file in the second folder");
}

TEST_F(VfsTest, BackupModeKeepsNumberedCopies) {
  auto write = [](const char* text) {
    Stream* s = stream_open("@results.txt", "~wb");
    ASSERT_NE(s, nullptr);
    stream_write_string(s, text);
    stream_close(s);
  };
  write("one");
  EXPECT_FALSE(fs::exists(home / "results.txt.~1~"));  // nothing to keep yet
  write("two");
  write("three");
  EXPECT_EQ(read_whole(home / "results.txt"), "three");
  EXPECT_EQ(read_whole(home / "results.txt.~1~"), "one");
  EXPECT_EQ(read_whole(home / "results.txt.~2~"), "two");
  fs::remove(home / "results.txt.~1~");
  write("four");  // the first free number is taken again
  EXPECT_EQ(read_whole(home / "results.txt.~1~"), "three");
}

TEST_F(VfsTest, RenameResolvesHomeNamesAndReplacesTheTarget) {
  home_file("demos/default.dwdemo", "new");
  home_file("demos/default00.dwdemo", "old");
  EXPECT_TRUE(vfs_rename("@demos/default.dwdemo", "@demos/default00.dwdemo"));
  EXPECT_EQ(read_whole(home / "demos/default00.dwdemo"), "new");
  EXPECT_FALSE(fs::exists(home / "demos/default.dwdemo"));
  EXPECT_FALSE(vfs_rename("@demos/missing", "@demos/x"));
}

TEST_F(VfsTest, FileToStringStopsAt16MiB) {
  const size_t limit = 16777215;
  home_file("big", std::string(limit, 'x'));
  size_t n = 0;
  char* text = file_to_string("@big", &n);
  ASSERT_NE(text, nullptr);
  EXPECT_EQ(n, limit);
  EXPECT_EQ(text[limit], 0);
  mem_free(text);
  home_file("big", std::string(limit + 1, 'x'));
  EXPECT_EQ(file_to_string("@big"), nullptr);
  home_file("big.gz", gzip_bytes(std::string(limit + 1, 'x')));  // size unknown before reading
  fs::remove(home / "big");
  EXPECT_EQ(file_to_string("@big"), nullptr);
  EXPECT_EQ(file_to_string("@nothing"), nullptr);
}

TEST_F(VfsTest, IndexFreedAndRebuiltSeesNewFiles) {
  second_file("pack.saf", saf_bytes({{"x", "1"}}));
  vfs_build_file_index();
  EXPECT_EQ(read_name("@x"), "1");
  vfs_free_file_index();
  EXPECT_EQ(read_name("@x"), "<none>");  // members are reached through the index only
  second_file("pack.saf", saf_bytes({{"y", "2"}}));
  vfs_build_file_index();
  EXPECT_EQ(read_name("@y"), "2");
}

TEST_F(VfsTest, LinkedFolderLoopsAreWalkedOnce) {
  second_file("tracks/a/desc", "a");
  fs::create_directory_symlink(second / "tracks", second / "tracks/a/up");
  fs::create_directory_symlink(second / "tracks", second / "tracks/a/up2");
  fs::create_directory_symlink(second / "tracks/a", second / "alias");  // not a loop: listed
  const char* const* list = vfs_build_file_index();
  std::vector<std::string> names;
  for (int i = 0; list[i]; i++) names.push_back(list[i]);
  EXPECT_EQ(names, (std::vector<std::string>{"alias/desc", "tracks/a/desc"}));
}
