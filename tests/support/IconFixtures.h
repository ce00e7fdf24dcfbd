#pragma once
// Icon files written by the tests themselves: icon images as a program or an icon file stores
// them, .ico files, and PE programs with icon groups in their resource directory.
//
// Every fixture image is one colour with two marks in its top row: pixel (0, 0) transparent
// and pixel (1, 0) in a second colour, so that a reader that turns the rows, the columns or
// the bits of a byte the wrong way shows it.

#include <cstdint>
#include <string>
#include <vector>

namespace kestrin::test {

struct FixtureImage {
    explicit FixtureImage(int size = 32, int bitCount = 32, std::uint32_t colour = 0xFF2040C0)
        : size(size), bitCount(bitCount), colour(colour) {}

    int size = 32;                      // width and height
    int bitCount = 32;                  // 1, 4, 8, 24 or 32
    std::uint32_t colour = 0xFF2040C0;  // 0xAARRGGBB of every other pixel
    std::uint32_t accent = 0xFFE0A000;  // pixel (1, 0); a 32-bit image keeps its alpha
    bool alpha = true;  // 32 bits: transparency by alpha (else by the mask, alpha 0)
    std::string png;    // when given: stored as these bytes instead (a PNG image)

    // The pixel a reader should give at (x, y), as 0xAARRGGBB.
    std::uint32_t expected(int x, int y) const;
};

// The image as an icon resource or an .ico stores it: bitmap header, palette, colour rows,
// mask rows (or the PNG bytes).
std::string iconImageBytes(const FixtureImage& image);

// An .ico file with these images.
std::string iconFileBytes(const std::vector<FixtureImage>& images);

// A 32-bit PE program with one icon group per element, numbered 1, 2, ... in order, and
// images numbered 1, 2, ... across the groups.
struct ProgramFixture {
    std::string bytes;
    std::size_t resourceAt = 0;  // file offset of the resource directory
};
ProgramFixture programBytes(const std::vector<std::vector<FixtureImage>>& groups);

// A small ELF header (enough for a program's first bytes to say what it is).
std::string elfBytes();

}  // namespace kestrin::test
