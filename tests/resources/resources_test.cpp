// The compiled resources of the saver: the about box as Windows will load
// it, the icon group and its six images, the display name and the version.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <utility>

#include "resource_formats.h"

namespace restest {
namespace {

Bytes MustLoad(uint16_t type, ResourceName name) {
  Bytes data;
  EXPECT_TRUE(LoadResourceBytes(type, name, &data))
      << "resource type " << type << " " << (name.name ? name.name : std::to_string(name.id))
      << " missing in " << ResourceOrigin();
  return data;
}

DialogTemplate AboutBox() {
  DialogTemplate t;
  Bytes data = MustLoad(kDialog, {"KZ_SCRNSAVER_ABOUT", 0});
  EXPECT_TRUE(ParseDialogEx(data, &t)) << "not an extended dialog template";
  return t;
}

TEST(AboutBox, IsAnExtendedTemplateWithTheGivenFrame) {
  DialogTemplate t = AboutBox();
  EXPECT_EQ(t.version, 1);
  EXPECT_EQ(t.signature, 0xFFFF);
  EXPECT_EQ(t.style, 0x90C800D0u);
  EXPECT_EQ(t.ex_style, 0u);
  EXPECT_EQ(t.help_id, 0u);
  EXPECT_EQ(t.x, 6);
  EXPECT_EQ(t.y, 18);
  EXPECT_EQ(t.cx, 160);
  EXPECT_EQ(t.cy, 62);
  EXPECT_EQ(t.menu, "");
  EXPECT_EQ(t.window_class, "");  // the dialog manager's own class
  EXPECT_EQ(t.caption, "Pomarelo - ScreenSaver");
  ASSERT_TRUE(t.has_font);
  EXPECT_EQ(t.point_size, 10);
  EXPECT_EQ(t.typeface, "Arial");
  EXPECT_EQ(t.italic, 0);
}

TEST(AboutBox, HasThreeCentredLinesAndADefaultOkButton) {
  DialogTemplate t = AboutBox();
  ASSERT_EQ(t.items.size(), 4u);
  const std::string expected_text[] = {"Pomarelo", "Version " POMARELO_VERSION_TEXT};
  for (int i = 0; i < 3; ++i) {
    const DialogItem& line = t.items[i];
    SCOPED_TRACE("line " + std::to_string(i + 1));
    EXPECT_EQ(line.window_class, "static");
    EXPECT_EQ(line.id, -1);
    EXPECT_EQ(line.style, 0x50020001u);
    EXPECT_EQ(line.ex_style, 0u);
    EXPECT_EQ(line.x, 0);
    EXPECT_EQ(line.y, 5 + 10 * i);
    EXPECT_EQ(line.cx, 160);
    EXPECT_EQ(line.cy, 8);
    EXPECT_EQ(line.extra_bytes, 0);
    if (i < 2) {
      EXPECT_EQ(line.text, expected_text[i]);
    }
  }
  // The third line is the shop's web address.
  const std::string& address = t.items[2].text;
  EXPECT_EQ(address.rfind("www.", 0), 0u) << address;
  EXPECT_NE(address.find("pomarelo"), std::string::npos) << address;
  EXPECT_NE(address.find('.', 4), std::string::npos) << address;

  const DialogItem& ok = t.items[3];
  EXPECT_EQ(ok.window_class, "button");
  EXPECT_EQ(ok.text, "OK");
  EXPECT_EQ(ok.id, 1);
  EXPECT_EQ(ok.style, 0x50010001u);
  EXPECT_EQ(ok.ex_style, 0u);
  EXPECT_EQ(ok.x, 55);
  EXPECT_EQ(ok.y, 40);
  EXPECT_EQ(ok.cx, 50);
  EXPECT_EQ(ok.cy, 14);
}

TEST(AboutBox, EveryTruncationOfTheTemplateIsRejected) {
  Bytes data = MustLoad(kDialog, {"KZ_SCRNSAVER_ABOUT", 0});
  // The template ends with the count of the OK button's creation data:
  // any shorter prefix is cut off inside a field.
  ASSERT_GT(data.size(), 0u);
  for (size_t n = 0; n < data.size(); ++n) {
    Bytes cut(data.begin(), data.begin() + n);
    DialogTemplate t;
    EXPECT_FALSE(ParseDialogEx(cut, &t)) << "accepted " << n << " of " << data.size() << " bytes";
  }
}

TEST(ProgramIcon, GroupOneHoldsSixImagesAtThreeSizesAndTwoDepths) {
  std::vector<GroupIconEntry> entries;
  ASSERT_TRUE(ParseGroupIcon(MustLoad(kGroupIcon, {nullptr, 1}), &entries));
  std::set<std::pair<int, int>> seen;
  for (const GroupIconEntry& e : entries) {
    SCOPED_TRACE("icon " + std::to_string(e.id));
    EXPECT_EQ(e.width, e.height);
    EXPECT_EQ(e.planes, 1);
    seen.insert({e.width, e.bit_count});
    Bytes image = MustLoad(kIcon, {nullptr, e.id});
    EXPECT_EQ(image.size(), e.bytes_in_res);
    IconImage img;
    ASSERT_TRUE(ParseIconImage(image, &img));
    EXPECT_EQ(img.width, e.width);
    EXPECT_EQ(img.height, 2 * e.width);
    EXPECT_EQ(img.bit_count, e.bit_count);
  }
  EXPECT_EQ(entries.size(), 6u);
  std::set<std::pair<int, int>> wanted = {{48, 8}, {48, 32}, {32, 8}, {32, 32}, {16, 8}, {16, 32}};
  EXPECT_EQ(seen, wanted);
}

bool Reddish(uint32_t argb) {
  const int r = argb >> 16 & 255, g = argb >> 8 & 255, b = argb & 255;
  return r > g + 60 && r > b + 40;
}

TEST(ProgramIcon, ImagesShowTheMarkOnATransparentGround) {
  std::vector<GroupIconEntry> entries;
  ASSERT_TRUE(ParseGroupIcon(MustLoad(kGroupIcon, {nullptr, 1}), &entries));
  ASSERT_FALSE(entries.empty());
  for (const GroupIconEntry& e : entries) {
    IconImage img;
    ASSERT_TRUE(ParseIconImage(MustLoad(kIcon, {nullptr, e.id}), &img));
    const int w = img.width;
    SCOPED_TRACE(std::to_string(w) + " px, " + std::to_string(img.bit_count) + " bpp");
    size_t transparent = 0, soft = 0;
    for (size_t i = 0; i < img.pixels.size(); ++i) {
      const uint32_t a = img.pixels[i] >> 24;
      transparent += img.mask[i];
      if (img.bit_count == 32) {
        // The mask agrees with the alpha channel.
        EXPECT_EQ(img.mask[i], a < 128 ? 1 : 0) << "pixel " << i;
        if (a > 0 && a < 255) ++soft;
      } else if (img.mask[i]) {
        // Transparent pixels draw black so the screen shows through.
        EXPECT_EQ(img.index[i], 0) << "pixel " << i;
      }
    }
    // The corners are ground; the middle of the fruit is opaque red.
    for (int corner : {0, w - 1, w * (w - 1), w * w - 1}) EXPECT_EQ(img.mask[corner], 1);
    const size_t centre = static_cast<size_t>(w * 58 / 100) * w + w * 48 / 100;
    EXPECT_EQ(img.mask[centre], 0);
    EXPECT_TRUE(Reddish(img.pixels[centre])) << std::hex << img.pixels[centre];
    EXPECT_GT(transparent, img.pixels.size() / 5);
    EXPECT_LT(transparent, img.pixels.size() * 4 / 5);
    if (img.bit_count == 32) {
      EXPECT_GT(soft, static_cast<size_t>(w)) << "edges are not soft";
    } else {
      EXPECT_EQ(img.palette_entries, 256u);
    }
  }
}

TEST(DisplayName, StringOneNamesTheSaver) {
  // Strings 0 to 15 live in block 1.
  std::vector<std::string> block;
  ASSERT_TRUE(ParseStringBlock(MustLoad(kString, {nullptr, 1}), &block));
  ASSERT_EQ(block.size(), 16u);
  EXPECT_EQ(block[1], "Pomarelo");
  EXPECT_EQ(block[0], "");
}

TEST(VersionRecord, NamesTheProductItsVersionAndItsOwnFile) {
  VersionInfo v;
  ASSERT_TRUE(ParseVersionInfo(MustLoad(kVersion, {nullptr, 1}), &v));
  EXPECT_EQ(v.signature, 0xFEEF04BDu);
  EXPECT_EQ(v.file_version_ms, POMARELO_VERSION_MS);
  EXPECT_EQ(v.file_version_ls, POMARELO_VERSION_LS);
  EXPECT_EQ(v.product_version_ms, POMARELO_VERSION_MS);
  EXPECT_EQ(v.product_version_ls, POMARELO_VERSION_LS);
  EXPECT_EQ(v.file_type, 1u);  // an application
  EXPECT_EQ(v.strings["ProductName"], "Pomarelo ScreenSaver");
  EXPECT_EQ(v.strings["ProductVersion"], POMARELO_VERSION_TEXT);
  EXPECT_EQ(v.strings["FileVersion"], POMARELO_VERSION_TEXT);
  EXPECT_EQ(v.strings["OriginalFilename"], POMARELO_FILE_NAME);
}

}  // namespace
}  // namespace restest
