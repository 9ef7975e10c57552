// Finding the game data by its marker archive, and the build's own data set
// passing that check.
#include <cstdlib>

#include "platform/platform.h"
#include "vfs_fixture.h"

TEST_F(VfsTest, MarkerDigestIsRipemd160OfTheFirstMegabyte) {
  char hex[41];
  write_whole(root / "abc", "abc");
  ASSERT_TRUE(vfs_marker_digest((root / "abc").c_str(), hex));
  EXPECT_STREQ(hex, "8eb208f7e05d987a9b044a8e98c6b087f15a0bfc");  // the published test vector
  std::string mega(1048576, 'm');
  write_whole(root / "exact", mega);
  write_whole(root / "longer", mega + "anything after the first megabyte");
  char a[41], b[41];
  ASSERT_TRUE(vfs_marker_digest((root / "exact").c_str(), a));
  ASSERT_TRUE(vfs_marker_digest((root / "longer").c_str(), b));
  EXPECT_STREQ(a, b);
  EXPECT_FALSE(vfs_marker_digest((root / "missing").c_str(), a));
}

TEST_F(VfsTest, GameDataFoundOnlyByAnAcceptedMarker) {
  unsetenv("WEFT_LOGFILE");
  log_reset_for_test();
  second_file("zzzz.saf", saf_bytes({{"note.txt", "test data"}}));
  EXPECT_FALSE(vfs_find_game_data());
  // Finding the data also made the home folder and put the log in it.
  EXPECT_TRUE(fs::is_directory(home));
  EXPECT_TRUE(fs::exists(home / "lastlog.txt"));

  char hex[41];
  ASSERT_TRUE(vfs_marker_digest((second / "zzzz.saf").c_str(), hex));
  std::string upper = hex;
  for (char& c : upper) c = (char)toupper(c);
  vfs_accept_game_data(upper.c_str());  // either letter case
  EXPECT_TRUE(vfs_find_game_data());
  // Any other bytes are not the game data.
  second_file("zzzz.saf", saf_bytes({{"note.txt", "test datA"}}));
  EXPECT_FALSE(vfs_find_game_data());
  log_reset_for_test();
}

TEST(GameData, BuildAcceptsTheDataSetItMade) {
  // The build writes the data set and bakes the marker's digest into the
  // game; a stale digest would make the game refuse its own data.
  const char* data = std::getenv("DW_DATA_DIR");
  fs::path marker = fs::path(data ? data : DW_BINARY_DIR "/data") / "zzzz.saf";
  std::string source = read_whole(fs::path(DW_BINARY_DIR) / "generated" / "data_digest.cpp");
  const std::string key = "game_data_digest[] = \"";
  size_t at = source.find(key);
  ASSERT_NE(at, std::string::npos) << "the build has not written the game data digest";
  std::string baked = source.substr(at + key.size(), 40);
  char hex[41];
  ASSERT_TRUE(vfs_marker_digest(marker.c_str(), hex)) << marker << " is missing: build the game_data target";
  EXPECT_EQ(baked, hex);
}
