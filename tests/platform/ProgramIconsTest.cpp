#include "platform/ProgramIcons.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "support/IconFixtures.h"
#include "support/TempEnvironment.h"

namespace kestrin {
namespace {

using test::FixtureImage;
using test::iconFileBytes;
using test::programBytes;

// Every pixel of `image` is the fixture's.
void expectPixels(const std::optional<IconImage>& image, const FixtureImage& fixture) {
    ASSERT_TRUE(image);
    ASSERT_EQ(image->width, fixture.size);
    ASSERT_EQ(image->height, fixture.size);
    ASSERT_EQ(image->pixels.size(), std::size_t(fixture.size * fixture.size));
    for (int y = 0; y < fixture.size; ++y) {
        for (int x = 0; x < fixture.size; ++x) {
            ASSERT_EQ(image->pixels[y * fixture.size + x], fixture.expected(x, y))
                << "at " << x << ", " << y;
        }
    }
}

// Icon `index` of the file bytes: its large and small image are these fixtures.
void expectIcon(const std::string& file, int index, const FixtureImage& large,
                const FixtureImage& small) {
    const auto icon = extractIconFromBytes(file, index);
    ASSERT_TRUE(icon);
    expectPixels(icon->large, large);
    expectPixels(icon->small, small);
}

// A file of icons that has none to give for the index (or no file of icons at all).
void expectNoImages(const std::optional<ExtractedIcon>& icon) {
    if (!icon) return;
    EXPECT_FALSE(icon->large);
    EXPECT_FALSE(icon->small);
}

// Images of an icon are well formed whatever the file was.
void expectWellFormed(const std::optional<IconImage>& image) {
    if (!image) return;
    EXPECT_GE(image->width, 1);
    EXPECT_LE(image->width, 256);
    EXPECT_GE(image->height, 1);
    EXPECT_LE(image->height, 256);
    if (image->png.empty()) {
        EXPECT_EQ(image->pixels.size(), std::size_t(image->width * image->height));
    }
}

TEST(ProgramIcons, ReadsEveryColourDepthWithItsMask) {
    struct Case {
        const char* name;
        int bitCount;
        bool alpha;
        int size;
    };
    const Case cases[] = {
        {"1 bit", 1, false, 32},
        {"4 bits", 4, false, 32},
        {"8 bits", 8, false, 32},
        {"24 bits", 24, false, 32},
        {"32 bits with alpha", 32, true, 32},
        {"32 bits without alpha: the mask", 32, false, 32},
        {"4 bits, odd width", 4, false, 13},
        {"256 pixels", 32, true, 256},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FixtureImage image(c.size, c.bitCount);
        image.alpha = c.alpha;
        if (c.alpha) image.accent = 0x80E0A000;  // half transparent: alpha kept as it is
        // The only image is the best for the small size too.
        expectIcon(iconFileBytes({image}), 0, image, image);
    }
}

TEST(ProgramIcons, ChoosesTheNearestSizeThenTheDeepestColours) {
    const FixtureImage small(16, 8, 0xFF00FF00);
    const FixtureImage large4(32, 4, 0xFF800000);
    const FixtureImage large32(32, 32, 0xFF0000FF);
    const FixtureImage huge(48, 32, 0xFFFFFFFF);
    expectIcon(iconFileBytes({huge, small, large4, large32}), 0, large32, small);

    // Without an image of the size, a larger one is taken before a smaller one as far off.
    const FixtureImage tiny(8, 32, 0xFF111111);
    const FixtureImage biggish(24, 32, 0xFF222222);
    expectIcon(iconFileBytes({tiny, biggish}), 0, biggish, biggish);
}

TEST(ProgramIcons, ProgramIconGroupsCountInDirectoryOrder) {
    const FixtureImage first(32, 8, 0xFFC00000);
    const FixtureImage firstSmall(16, 4, 0xFF00C000);
    const FixtureImage second(32, 32, 0xFF0000C0);
    const std::string program = programBytes({{first, firstSmall}, {second}}).bytes;
    EXPECT_EQ(iconCountFromBytes(program), 2);

    struct Case {
        int index;
        const FixtureImage* large;  // nullptr: no icon
        const FixtureImage* small;
    };
    const Case cases[] = {
        {0, &first, &firstSmall},
        {1, &second, &second},
        {2, nullptr, nullptr},
        {-1, &first, &firstSmall},
        {-2, &second, &second},
        {-3, nullptr, nullptr},
        {-2147483647 - 1, nullptr, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.index);
        if (c.large) {
            expectIcon(program, c.index, *c.large, *c.small);
        } else {
            const auto icon = extractIconFromBytes(program, c.index);
            ASSERT_TRUE(icon) << "a program is a file of icons even without the one asked for";
            expectNoImages(icon);
        }
    }
}

TEST(ProgramIcons, PngImagesAreHandedOnWithTheirSize) {
    // A PNG signature and header chunk are all the reader looks at; decoding is the caller's.
    std::string png = std::string("\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR", 16);
    png += std::string("\0\0\0\x30\0\0\0\x30\x08\x06\0\0\0", 13);
    FixtureImage compressed(48, 32);
    compressed.png = png;
    for (const std::string& file :
         {iconFileBytes({compressed}), programBytes({{compressed}}).bytes}) {
        const auto icon = extractIconFromBytes(file, 0);
        ASSERT_TRUE(icon && icon->large);
        EXPECT_EQ(icon->large->png, png);
        EXPECT_EQ(icon->large->width, 48);
        EXPECT_EQ(icon->large->height, 48);
        EXPECT_TRUE(icon->large->pixels.empty());
    }
}

TEST(ProgramIcons, AnIconFileHoldsOneIconAndOtherFilesNone) {
    const std::string ico = iconFileBytes({FixtureImage{}});
    EXPECT_EQ(iconCountFromBytes(ico), 1);
    const auto beyond = extractIconFromBytes(ico, 1);
    ASSERT_TRUE(beyond);
    expectNoImages(beyond);

    for (const std::string other : {"", "M", "hello", "\x89PNG\r\n\x1a\n",
                                    "\x7f"
                                    "ELF"}) {
        EXPECT_FALSE(extractIconFromBytes(other, 0)) << other;
        EXPECT_EQ(iconCountFromBytes(other), 0) << other;
    }
}

TEST(ProgramIcons, ReadsFilesButNoFolderPipeOrMissingFile) {
    test::TempFolder folder;
    const FixtureImage image(16, 4);
    test::writeFile(folder / "tool.exe", programBytes({{image}}).bytes);
    const auto icon = extractIcon(folder / "tool.exe", 0);
    ASSERT_TRUE(icon);
    expectPixels(icon->small, image);
    EXPECT_EQ(iconCount(folder / "tool.exe"), 1);

    // A pipe would block a reader until someone writes to it.
    ASSERT_EQ(::mkfifo((folder / "pipe").c_str(), 0600), 0);
    for (const char* name : {"pipe", "missing.ico", ""}) {
        EXPECT_FALSE(extractIcon(folder / name, 0)) << name;
        EXPECT_EQ(iconCount(folder / name), 0) << name;
    }
}

// A field a hostile file sets to what it likes: `width` bytes at `at`.
struct Patch {
    const char* name;
    std::size_t at;
    std::uint32_t value;
    int width = 4;
};

std::string patched(std::string bytes, const Patch& patch) {
    for (int i = 0; i < patch.width; ++i)
        bytes[patch.at + i] = char(patch.value >> (8 * i));
    return bytes;
}

TEST(ProgramIcons, HostileProgramsGiveNoIcon) {
    const FixtureImage image(32, 8);
    const test::ProgramFixture program = programBytes({{image}});
    ASSERT_TRUE(extractIconFromBytes(program.bytes, 0)->large);
    // The resource directory: the root's header (named and numbered counts at 12 and 14),
    // its entries (3: images, target at 20; 14: groups, target at 28); the image type's
    // directory at 32, the group type's at 56 with its one entry's target at 76.
    const std::size_t r = program.resourceAt;
    const Patch patches[] = {
        {"PE header past the end", 0x3C, 0xFFFFFFF0},
        {"no PE signature", 0x40, 0x00004551},
        {"unknown optional header", 0x58, 0x0107, 2},
        {"resource directory beyond the section", 0x58 + 112, 0x00100000},
        {"section count 65535", 0x46, 0xFFFF, 2},
        {"group type pointing back at the root", r + 28, 0x80000000},
        {"image type pointing back at the root", r + 20, 0x80000000},
        {"group pointing back at its type", r + 76, 0x80000000 | 56},
        {"group type past the end", r + 28, 0xFFFFFFFF},
        {"root with 65535 named entries", r + 12, 0xFFFF, 2},
        {"group with 65535 numbered entries", r + 56 + 14, 0xFFFF, 2},
    };
    for (const Patch& patch : patches) {
        SCOPED_TRACE(patch.name);
        expectNoImages(extractIconFromBytes(patched(program.bytes, patch), 0));
    }
}

TEST(ProgramIcons, HostileImagesAndDirectoriesGiveNoIcon) {
    const FixtureImage image(32, 4);
    const std::string ico = iconFileBytes({image});
    // Icon file: 6-byte header (count at 4), one 16-byte entry (size at 14, offset at 18), the
    // image at 22 (width at 26, height at 30, bit count at 36, compression at 38, colours used
    // at 54).
    const Patch patches[] = {
        {"image size 4 GiB", 14, 0xFFFFFFFF},
        {"image past the end", 18, 0x7FFFFFFF},
        {"width 2^31 - 1", 26, 0x7FFFFFFF},
        {"negative width", 26, 0x80000000},
        {"height 0", 30, 0},
        {"height beyond 256", 30, 1026},
        {"bit count 7", 36, 7, 2},
        {"compressed bitmap", 38, 1},
        {"palette of 2^32 - 1", 54, 0xFFFFFFFF},
        {"header size past the image", 22, 0x10000},
        {"65535 entries, one there", 4, 0xFFFF, 2},
    };
    for (const Patch& patch : patches) {
        SCOPED_TRACE(patch.name);
        const auto icon = extractIconFromBytes(patched(ico, patch), 0);
        ASSERT_TRUE(icon);
        expectNoImages(icon);
    }
}

TEST(ProgramIcons, EveryCutOfAFileGivesAWellFormedIconOrNone) {
    const FixtureImage large(32, 32);
    const FixtureImage small(16, 4);
    for (const std::string& file :
         {iconFileBytes({large, small}), programBytes({{large}, {small}}).bytes}) {
        for (std::size_t length = 0; length < file.size(); ++length) {
            const std::string cut = file.substr(0, length);
            for (int index : {0, 1}) {
                const auto icon = extractIconFromBytes(cut, index);
                if (!icon) continue;
                expectWellFormed(icon->large);
                expectWellFormed(icon->small);
            }
        }
    }
}

}  // namespace
}  // namespace kestrin
