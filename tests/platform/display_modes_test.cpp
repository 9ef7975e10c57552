// The display-mode list, the video-mode items built from it, and the
// full-screen mode chosen for a requested size.
#include <gtest/gtest.h>

#include "platform/platform_local.h"
#include "platform_test.h"

namespace {

TEST(DisplayModes, ListFiltersDepthsAndDuplicates) {
  LogCapture log("modes");
  RawDisplayMode desktop{1280, 1024, 32, 60};
  RawDisplayMode raw[] = {
      {640, 480, 32, 60}, {640, 480, 32, 75},  // same size and depth: once
      {640, 480, 16, 60}, {800, 600, 4, 60},   // 4 bits: ignored
      {1280, 1024, 32, 60},                    // the desktop again
      {1024, 768, 24, 60},
  };
  display_modes_set(desktop, raw, 6);
  int count;
  const DisplayMode* m = display_modes(&count);
  ASSERT_EQ(count, 4);
  EXPECT_EQ(m[0].width, 1280);  // the desktop comes first
  EXPECT_EQ(m[1].width, 640);
  EXPECT_EQ(m[1].bits, 32);
  EXPECT_EQ(m[2].bits, 16);
  EXPECT_EQ(m[3].width, 1024);
  EXPECT_TRUE(log.in_order({"Registry mode is 1280x1024x32@60hz\n", "Found mode 640x480x32@60hz\n",
                            "Found mode 640x480x16@60hz\n", "Found mode 800x600x4@60hz (ignored)\n",
                            "Found mode 1024x768x24@60hz\n"}));
  EXPECT_FALSE(log.has("640x480x32@75hz"));

  // Video-mode items: the two fixed ones, then the modes of the first depth.
  const char* const* names;
  const int *widths, *heights;
  int items = video_mode_items(&names, &widths, &heights);
  ASSERT_EQ(items, 4);
  EXPECT_STREQ(names[0], "Default Fullscreen");
  EXPECT_STREQ(names[1], "Windowed");
  EXPECT_EQ(widths[0], 0);
  EXPECT_EQ(heights[1], 0);
  EXPECT_STREQ(names[2], "1280x1024");
  EXPECT_STREQ(names[3], "640x480");
  EXPECT_EQ(widths[3], 640);
  EXPECT_EQ(heights[3], 480);
  int w, h;
  desktop_size(&w, &h);
  EXPECT_EQ(w, 1280);
  EXPECT_EQ(h, 1024);
  display_modes_forget();
}

TEST(DisplayModes, UnusualDesktopDepthIsIgnored) {
  LogCapture log("modes_desktop");
  RawDisplayMode desktop{1920, 1080, 30, 60};
  RawDisplayMode raw[] = {{1920, 1080, 30, 60}, {800, 600, 16, 60}, {1024, 768, 16, 60}, {640, 480, 32, 60}};
  display_modes_set(desktop, raw, 4);
  EXPECT_TRUE(log.has("Registry mode is 1920x1080x30@60hz (ignored)\n"));
  const char* const* names;
  const int *widths, *heights;
  int items = video_mode_items(&names, &widths, &heights);
  ASSERT_EQ(items, 4);  // the 16-bit modes: the first usable one sets the depth
  EXPECT_STREQ(names[2], "800x600");
  EXPECT_STREQ(names[3], "1024x768");
  display_modes_forget();
}

TEST(DisplayModes, NoDisplayLeavesTheFixedItemsAndA640x480Desktop) {
  RawDisplayMode none{0, 0, 0, 0};
  display_modes_set(none, nullptr, 0);
  int w, h;
  desktop_size(&w, &h);
  EXPECT_EQ(w, 640);
  EXPECT_EQ(h, 480);
  const char* const* names;
  const int *widths, *heights;
  EXPECT_EQ(video_mode_items(&names, &widths, &heights), 2);
  display_modes_forget();
}

TEST(DisplayModes, FullScreenModeForARequestedSize) {
  const DisplayMode modes[] = {{640, 480, 32}, {1024, 768, 32}, {1280, 1024, 32}, {1600, 900, 32}};
  const struct {
    int w, h, want_w, want_h;
  } cases[] = {
      {800, 600, 1024, 768},   {640, 480, 640, 480},     {1024, 769, 1280, 1024},
      {1300, 800, 1600, 900},  {0, 0, 1920, 1080},       {800, 0, 1920, 1080},
      {4000, 3000, 1920, 1080},
  };
  for (const auto& c : cases) {
    int w, h;
    fullscreen_mode_choose(modes, 4, c.w, c.h, 1920, 1080, &w, &h);
    EXPECT_EQ(w, c.want_w) << c.w << "x" << c.h;
    EXPECT_EQ(h, c.want_h) << c.w << "x" << c.h;
  }
}

}  // namespace
