// ".saf" archives: header parsing (good and damaged), member placement,
// and writing/packing that reads back the same.
#include <algorithm>
#include <cstring>

#include "vfs_fixture.h"

namespace {

struct Listed {
  std::string name;
  long long offset, size;
  bool operator==(const Listed& o) const { return name == o.name && offset == o.offset && size == o.size; }
};

void collect(const SafMember* m, void* context) {
  ((std::vector<Listed>*)context)->push_back(Listed{m->name, m->offset, m->size});
}

std::vector<Listed> list_archive(const fs::path& p, int* count) {
  std::vector<Listed> out;
  *count = saf_read_header(p.c_str(), collect, &out);
  return out;
}

}  // namespace

TEST_F(VfsTest, ArchiveHeadersGoodAndDamaged) {
  std::string long_name(1100, 'n');
  struct Case {
    const char* what;
    std::string bytes;
    int count;                    // -1: the whole archive is discarded
    std::vector<Listed> members;
  } cases[] = {
      {"two members", "3 a.txt\n2 b/c\n-\nAAABB", 2, {{"a.txt", 16, 3}, {"b/c", 19, 2}}},
      {"any separator byte", "3\ta b\n-\nxyz", 1, {{"a b", 8, 3}}},
      {"doubled slashes", "1 tracks//a///desc\n-\nx", 1, {{"tracks/a/desc", 21, 1}}},
      {"no dash line", "3 a.txt\n2 b\n", -1, {}},
      {"ends inside a line", "3 a.txt\n2 b", -1, {}},
      {"line without size", "3 a.txt\nb.txt\n-\nAAA", -1, {}},
      {"over-long line", "1 " + long_name + "\n-\nx", -1, {}},
      {"empty archive", "-\n", 0, {}},
      {"member cut off", "3 a\n5 b\n1 c\n-\nAAABB", 1, {{"a", 14, 3}}},
      {"absurd size", "99999999999999999999 a\n-\n", 0, {}},
  };
  for (const Case& c : cases) {
    write_whole(second / "t.saf", c.bytes);
    int count;
    std::vector<Listed> got = list_archive(second / "t.saf", &count);
    EXPECT_EQ(count, c.count) << c.what;
    EXPECT_EQ(got, c.members) << c.what;
  }
  int count;
  list_archive(second / "missing.saf", &count);
  EXPECT_EQ(count, -1);
}

TEST_F(VfsTest, DamagedArchiveContributesNothingToTheIndex) {
  second_file("good.saf", saf_bytes({{"good.txt", "g"}}));
  second_file("bad.saf", "1 bad.txt\nx");
  const char* const* list = vfs_build_file_index();
  std::vector<std::string> names;
  for (int i = 0; list[i]; i++) names.push_back(list[i]);
  EXPECT_EQ(names, (std::vector<std::string>{"bad.saf", "good.saf", "good.txt"}));
  EXPECT_EQ(read_name("@good.txt"), "g");
}

TEST_F(VfsTest, MemberReadsStopAtTheMemberEnd) {
  second_file("p.saf", saf_bytes({{"one", "first\nline"}, {"two", "SECOND"}}));
  vfs_build_file_index();
  Stream* s = stream_open("@one", "rb");
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(stream_size(s), 10);
  char line[64];
  ASSERT_TRUE(stream_read_line(s, line, sizeof line));
  EXPECT_STREQ(line, "first\n");
  ASSERT_TRUE(stream_read_line(s, line, sizeof line));
  EXPECT_STREQ(line, "line");
  EXPECT_FALSE(stream_read_line(s, line, sizeof line));
  EXPECT_EQ(stream_read_char(s), STREAM_EOF);
  // Seeking stays inside the member.
  EXPECT_TRUE(stream_seek(s, 6));
  EXPECT_EQ(read_stream(s), "line");
  EXPECT_TRUE(stream_seek(s, 10));
  EXPECT_FALSE(stream_seek(s, 11));
  stream_close(s);
}

TEST_F(VfsTest, PackedFolderReadsBackThroughTheIndex) {
  fs::path src = root / "src";
  write_whole(src / "b.txt", "bee");
  write_whole(src / "a/deep/c.bin", std::string("\0\1\2\n\3", 5));
  write_whole(src / "empty", "");
  ASSERT_TRUE(saf_pack_folder(src.c_str(), (second / "packed.saf").c_str()));
  int count;
  std::vector<Listed> got = list_archive(second / "packed.saf", &count);
  ASSERT_EQ(count, 3);
  EXPECT_EQ(got[0].name, "a/deep/c.bin");  // byte order, the same on every machine
  EXPECT_EQ(got[1].name, "b.txt");
  EXPECT_EQ(got[2].name, "empty");
  vfs_build_file_index();
  EXPECT_EQ(read_name("@a/deep/c.bin"), std::string("\0\1\2\n\3", 5));
  EXPECT_EQ(read_name("@b.txt"), "bee");
  EXPECT_EQ(read_name("@empty"), "");
  // Packing twice gives the same bytes.
  ASSERT_TRUE(saf_pack_folder(src.c_str(), (root / "again.saf").c_str()));
  EXPECT_EQ(read_whole(root / "again.saf"), read_whole(second / "packed.saf"));
}

TEST_F(VfsTest, FailedWriteKeepsThePreviousArchive) {
  write_whole(second / "keep.saf", "old archive");
  SafInput bad{"line\nbreak", nullptr, "x", 1};
  EXPECT_FALSE(saf_write((second / "keep.saf").c_str(), &bad, 1));
  SafInput missing{"m", (root / "no-such-file").c_str(), nullptr, 0};
  EXPECT_FALSE(saf_write((second / "keep.saf").c_str(), &missing, 1));
  EXPECT_EQ(read_whole(second / "keep.saf"), "old archive");
  EXPECT_FALSE(fs::exists(second / "keep.saf.tmp"));
}
