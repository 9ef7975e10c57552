// The stream interface: lines, blocks, peeking, seeking, printing, and scan
// checked against the C library's sscanf on the same text.
#include <array>
#include <cmath>
#include <tuple>
#include <cstdio>
#include <cstring>

#include "vfs_fixture.h"

namespace {

// Opens bytes written to a home file, plain or gzip.
Stream* open_text(const fs::path& home, const std::string& text, bool gzip = false) {
  write_whole(home / (gzip ? "t.gz" : "t"), gzip ? gzip_bytes(text) : text);
  if (gzip) fs::remove(home / "t");
  return stream_open("@t", "rb");
}

}  // namespace

TEST_F(VfsTest, LinesBlocksAndPeekingAgreeForPlainAndGzip) {
  std::string text = "first line\nsecond\n\nlast without newline";
  for (bool gzip : {false, true}) {
    Stream* s = open_text(home, text, gzip);
    ASSERT_NE(s, nullptr);
    char line[8];
    ASSERT_TRUE(stream_read_line(s, line, sizeof line));
    EXPECT_STREQ(line, "first l");  // size - 1 bytes at most
    ASSERT_TRUE(stream_read_line(s, line, sizeof line));
    EXPECT_STREQ(line, "ine\n");
    EXPECT_EQ(stream_peek_char(s), 's');
    EXPECT_EQ(stream_peek_char(s), 's');
    EXPECT_EQ(stream_tell(s), 11);
    char block[4];
    EXPECT_EQ(stream_read_block(s, block, 4), 4u);  // the peeked byte comes first
    EXPECT_EQ(std::string(block, 4), "seco");
    EXPECT_EQ(stream_read_char(s), 'n');
    EXPECT_EQ(stream_tell(s), 16);
    EXPECT_EQ(read_stream(s), "d\n\nlast without newline");
    EXPECT_EQ(stream_peek_char(s), STREAM_EOF);
    EXPECT_FALSE(stream_read_line(s, line, sizeof line));
    EXPECT_EQ(stream_seek(s, 0), !gzip);  // only plain streams seek
    stream_close(s);
  }
}

TEST_F(VfsTest, SeekClearsThePeekedByte) {
  Stream* s = open_text(home, "0123456789");
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(stream_size(s), 10);
  EXPECT_EQ(stream_peek_char(s), '0');
  EXPECT_TRUE(stream_seek(s, 7));
  EXPECT_EQ(stream_tell(s), 7);
  EXPECT_EQ(read_stream(s), "789");
  EXPECT_FALSE(stream_seek(s, -1));
  stream_close(s);
}

TEST_F(VfsTest, PrintWritesWhatScanReads) {
  Stream* out = stream_open("@out.txt", "wb");
  ASSERT_NE(out, nullptr);
  EXPECT_EQ(stream_print(out, "%d %f %s\n", -42, 2.5, "word"), 18);
  EXPECT_TRUE(stream_write_char(out, 'z'));
  EXPECT_EQ(stream_write_block(out, "\n", 1), 1u);
  EXPECT_EQ(stream_tell(out), 20);
  EXPECT_TRUE(stream_close(out));
  Stream* in = stream_open("@out.txt", "rb");
  ASSERT_NE(in, nullptr);
  int i;
  double d;
  char w[16], z;
  EXPECT_EQ(stream_scan(in, "%d %lf %15s %c", &i, &d, w, &z), 4);
  EXPECT_EQ(i, -42);
  EXPECT_EQ(d, 2.5);
  EXPECT_STREQ(w, "word");
  EXPECT_EQ(z, 'z');
  EXPECT_EQ(stream_scan(in, "%d", &i), -1);
  stream_close(in);
}

namespace {

using Text = std::array<char, 64>;
template <typename T> T* arg(T& x) { return &x; }
char* arg(Text& x) { return x.data(); }

// Scans input with format through a stream and through sscanf, each into
// zeroed storage of the given types, and expects the same count and values.
template <typename... Args>
void expect_same_scan(const fs::path& home, const char* input, const char* format) {
  SCOPED_TRACE(std::string("input \"") + input + "\" format \"" + format + "\"");
  write_whole(home / "scan", input);
  Stream* s = stream_open("@scan", "rb");
  ASSERT_NE(s, nullptr);
  std::tuple<Args...> got{}, want{};
  int got_count = std::apply([&](Args&... a) { return stream_scan(s, format, arg(a)...); }, got);
  int want_count = std::apply([&](Args&... a) { return std::sscanf(input, format, arg(a)...); }, want);
  stream_close(s);
  EXPECT_EQ(got_count, want_count);
  EXPECT_TRUE(got == want);
}

}  // namespace

TEST_F(VfsTest, ScanAgreesWithTheCLibrary) {
  struct Case {
    const char* input;
    const char* format;
  };
  for (Case c : {Case{"12 -7 +3", "%d %d %d"}, {"12345678", "%3d%2d%d"}, {"1,2,3", "%d,%d,%d"},
                 {"0x1F 017 99", "%i %i %i"}, {"-0x10 0X", "%i %i"}, {"abc", "%d"}, {"", "%d"},
                 {"   ", " %d"}, {"12", "%d %d"}, {"x", "y%d"}, {"", "lit%d"}, {"- 5", "%d"}, {"+", "%d"}})
    expect_same_scan<int, int, int>(home, c.input, c.format);
  for (Case c : {Case{"777 ff FF", "%o %x %X"}, {"0xab 12", "%x %u"}})
    expect_same_scan<unsigned, unsigned, unsigned>(home, c.input, c.format);
  for (Case c : {Case{"3.25 -1e3 .5", "%f %f %f"}, {"6. 1E-2 -0.0", "%f %e %g"}, {"1e", "%f"}, {"2.5e+x", "%f"}, {".", "%f"}, {"-.e1", "%f"},
                 {"v 1.000000 2.5 -3.125", "v %f %f %f"}, {"0.1 0.2 0.3", "%f %f %f"}})
    expect_same_scan<float, float, float>(home, c.input, c.format);
  expect_same_scan<double, double>(home, "0.1 1e300", "%lf %lf");
  expect_same_scan<long double>(home, "0.1", "%Lf");
  expect_same_scan<float, char>(home, "1.5E+2x", "%f%c");
  for (Case c : {Case{"abc def", "%s %s"}, {"abcdef", "%2s%s"}, {"hello world", "%[a-z]%*c%[^\n]"},
                 {"]bracket] tail", "%[]a-z]%s"}, {"key=value", "%[^=]=%s"}, {"a-b c", "%[a-]%s"},
                 {"123", "%[a-z]%s"}})
    expect_same_scan<Text, Text>(home, c.input, c.format);
  for (Case c : {Case{"  x", "%c"}, {"  x", " %c"}, {"", "%c"}})
    expect_same_scan<char>(home, c.input, c.format);
  expect_same_scan<Text>(home, "abcdef", "%3c");
  expect_same_scan<int, Text>(home, "100% done", "%d%% %s");
  expect_same_scan<int>(home, "skip 5", "%*s %d");
  expect_same_scan<short, unsigned short, signed char>(home, "65000 70000 -1", "%hd %hu %hhd");
  expect_same_scan<long long, long, long long>(home, "123456789012 9 -5", "%lld %ld %qd");
  expect_same_scan<int, int, int, int>(home, "12 34", "%d%n %d%n");
}

TEST_F(VfsTest, ScanKeepsItsPlaceAcrossCalls) {
  // Parsers scan a file piece by piece: each call starts where the last
  // stopped, including after a byte looked at and not taken.
  Stream* s = open_text(home, "3\n1.5 2.5 3.5\nname end\n", true);
  ASSERT_NE(s, nullptr);
  int n;
  ASSERT_EQ(stream_scan(s, "%d", &n), 1);
  double v[3];
  for (int i = 0; i < n; i++) ASSERT_EQ(stream_scan(s, "%lf", &v[i]), 1);
  EXPECT_EQ(v[2], 3.5);
  char word[16];
  ASSERT_EQ(stream_scan(s, "%15s", word), 1);
  EXPECT_STREQ(word, "name");
  char line[16];
  ASSERT_TRUE(stream_read_line(s, line, sizeof line));
  EXPECT_STREQ(line, " end\n");
  stream_close(s);
}
