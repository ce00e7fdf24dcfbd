#include "support/IconFixtures.h"

namespace kestrin::test {

namespace {

// Appends little-endian numbers to a byte string.
struct Bytes {
    std::string data;
    Bytes& u8(unsigned value) {
        data += char(value & 0xFF);
        return *this;
    }
    Bytes& u16(unsigned value) { return u8(value).u8(value >> 8); }
    Bytes& u32(std::uint32_t value) { return u16(value & 0xFFFF).u16(value >> 16); }
    Bytes& text(const std::string& bytes) {
        data += bytes;
        return *this;
    }
    Bytes& padTo(std::size_t size) {
        data.resize(std::max(data.size(), size), '\0');
        return *this;
    }
};

std::size_t alignUp(std::size_t value, std::size_t alignment) {
    return (value + alignment - 1) / alignment * alignment;
}

// Palette positions of a palette image: the transparent pixel's, the colour's, the accent's.
constexpr unsigned kHoleIndex = 0;
unsigned colourIndex(int bitCount) {
    return bitCount == 1 ? 0 : 1;
}
unsigned accentIndex(int bitCount) {
    return bitCount == 1 ? 1 : 2;
}

// A directory entry's size byte: 0 stands for 256.
unsigned sizeByte(int size) {
    return size >= 256 ? 0 : unsigned(size);
}

}  // namespace

std::uint32_t FixtureImage::expected(int x, int y) const {
    const bool byAlpha = bitCount == 32 && alpha;
    if (x == 0 && y == 0) return 0;
    const std::uint32_t pixel = x == 1 && y == 0 ? accent : colour;
    return byAlpha ? pixel : pixel | 0xFF000000;
}

std::string iconImageBytes(const FixtureImage& image) {
    if (!image.png.empty()) return image.png;
    const int bits = image.bitCount;
    const unsigned paletteSize = bits <= 8 ? 1u << bits : 0;
    Bytes out;
    out.u32(40).u32(image.size).u32(image.size * 2).u16(1).u16(bits);
    out.u32(0).u32(0).u32(0).u32(0).u32(paletteSize).u32(0);
    for (unsigned i = 0; i < paletteSize; ++i) {
        const std::uint32_t colour = i == colourIndex(bits)   ? image.colour
                                     : i == accentIndex(bits) ? image.accent
                                                              : 0;
        out.u32(colour & 0xFFFFFF);
    }
    const std::size_t colourStride = (std::size_t(image.size) * bits + 31) / 32 * 4;
    for (int row = image.size - 1; row >= 0; --row) {
        std::string line(colourStride, '\0');
        for (int x = 0; x < image.size; ++x) {
            const bool hole = x == 0 && row == 0;
            const bool accent = x == 1 && row == 0;
            if (bits == 32 || bits == 24) {
                std::uint32_t pixel = hole ? 0 : accent ? image.accent : image.colour;
                if (!image.alpha) pixel &= 0xFFFFFF;
                for (int byte = 0; byte < bits / 8; ++byte)
                    line[x * (bits / 8) + byte] = char(pixel >> (8 * byte));
            } else {
                const unsigned index = hole     ? kHoleIndex
                                       : accent ? accentIndex(bits)
                                                : colourIndex(bits);
                const std::size_t bit = std::size_t(x) * bits;
                line[bit / 8] = char(line[bit / 8] | index << (8 - bits - bit % 8));
            }
        }
        out.text(line);
    }
    const std::size_t maskStride = (std::size_t(image.size) + 31) / 32 * 4;
    for (int row = image.size - 1; row >= 0; --row) {
        std::string line(maskStride, '\0');
        if (row == 0) line[0] = char(0x80);
        out.text(line);
    }
    return out.data;
}

std::string iconFileBytes(const std::vector<FixtureImage>& images) {
    Bytes out;
    out.u16(0).u16(1).u16(unsigned(images.size()));
    std::size_t offset = 6 + 16 * images.size();
    std::string data;
    for (const FixtureImage& image : images) {
        const std::string bytes = iconImageBytes(image);
        out.u8(sizeByte(image.size)).u8(sizeByte(image.size)).u8(0).u8(0);
        out.u16(1).u16(image.bitCount).u32(std::uint32_t(bytes.size()));
        out.u32(std::uint32_t(offset));
        offset += bytes.size();
        data += bytes;
    }
    return out.text(data).data;
}

ProgramFixture programBytes(const std::vector<std::vector<FixtureImage>>& groups) {
    constexpr std::uint32_t kSectionAddress = 0x1000;
    constexpr std::size_t kSectionAt = 0x200;
    constexpr unsigned kJapanese = 0x411;

    // The resources: images 1..n of type 3, then groups 1..m of type 14.
    struct Resource {
        unsigned type, number;
        std::string data;
    };
    std::vector<Resource> resources;
    std::vector<Resource> groupResources;
    unsigned imageNumber = 0;
    for (std::size_t g = 0; g < groups.size(); ++g) {
        Bytes directory;
        directory.u16(0).u16(1).u16(unsigned(groups[g].size()));
        for (const FixtureImage& image : groups[g]) {
            const std::string bytes = iconImageBytes(image);
            resources.push_back({3, ++imageNumber, bytes});
            directory.u8(sizeByte(image.size)).u8(sizeByte(image.size)).u8(0).u8(0);
            directory.u16(1).u16(image.bitCount).u32(std::uint32_t(bytes.size()));
            directory.u16(imageNumber);
        }
        groupResources.push_back({14, unsigned(g + 1), directory.data});
    }
    const std::size_t imageCount = resources.size();
    resources.insert(resources.end(), groupResources.begin(), groupResources.end());

    // Offsets in the section: root, the two type directories, one language directory and one
    // data entry per resource, then the data.
    const std::size_t iconTypeAt = 16 + 2 * 8;
    const std::size_t groupTypeAt = iconTypeAt + 16 + 8 * imageCount;
    const std::size_t languagesAt = groupTypeAt + 16 + 8 * groups.size();
    const std::size_t entriesAt = languagesAt + 24 * resources.size();
    std::size_t dataAt = entriesAt + 16 * resources.size();

    auto directoryHeader = [](Bytes& out, std::size_t count) {
        out.u32(0).u32(0).u16(0).u16(0).u16(0).u16(unsigned(count));
    };
    constexpr std::uint32_t kSubdirectory = 0x80000000u;
    Bytes section;
    directoryHeader(section, 2);
    section.u32(3).u32(kSubdirectory | iconTypeAt);
    section.u32(14).u32(kSubdirectory | groupTypeAt);
    directoryHeader(section, imageCount);
    for (std::size_t i = 0; i < resources.size(); ++i) {
        if (i == imageCount) directoryHeader(section, groups.size());
        section.u32(resources[i].number).u32(kSubdirectory | (languagesAt + 24 * i));
    }
    for (std::size_t i = 0; i < resources.size(); ++i) {
        directoryHeader(section, 1);
        section.u32(kJapanese).u32(std::uint32_t(entriesAt + 16 * i));
    }
    std::string data;
    for (const Resource& resource : resources) {
        section.u32(std::uint32_t(kSectionAddress + dataAt + data.size()));
        section.u32(std::uint32_t(resource.data.size())).u32(0).u32(0);
        data += resource.data;
        data.resize(alignUp(data.size(), 4), '\0');
    }
    section.text(data);
    const std::size_t sectionSize = section.data.size();
    const std::size_t rawSize = alignUp(sectionSize, 0x200);

    Bytes file;
    file.text("MZ").padTo(0x3C).u32(0x40);
    file.text(std::string("PE\0\0", 4));
    file.u16(0x14C).u16(1).u32(0).u32(0).u32(0).u16(224).u16(0x0102);
    // The 32-bit optional header: what a loader needs to accept it, and 16 data directories.
    const std::size_t optionalAt = file.data.size();
    file.u16(0x10B).padTo(optionalAt + 28).u32(0x400000).u32(0x1000).u32(0x200);
    file.padTo(optionalAt + 56).u32(kSectionAddress + std::uint32_t(alignUp(sectionSize, 0x1000)));
    file.u32(kSectionAt).u32(0).u16(2);
    file.padTo(optionalAt + 92).u32(16);
    file.padTo(optionalAt + 96 + 2 * 8).u32(kSectionAddress).u32(std::uint32_t(sectionSize));
    file.padTo(optionalAt + 224);
    file.text(std::string(".rsrc\0\0\0", 8)).u32(std::uint32_t(sectionSize)).u32(kSectionAddress);
    file.u32(std::uint32_t(rawSize)).u32(kSectionAt).u32(0).u32(0).u16(0).u16(0);
    file.u32(0x40000040);
    file.padTo(kSectionAt).text(section.data).padTo(kSectionAt + rawSize);
    return {file.data, kSectionAt};
}

std::string elfBytes() {
    Bytes out;
    out.text(
           "\x7f"
           "ELF")
        .u8(2)
        .u8(1)
        .u8(1)
        .padTo(16);
    out.u16(2).u16(0x3E).u32(1).padTo(64);
    return out.data;
}

}  // namespace kestrin::test
