#include "platform/ProgramIcons.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <map>

#include "platform/FileSystem.h"

namespace kestrin {

namespace {

// No piece of a file is read larger than this: the largest directory table a PE file can
// describe (2 × 65535 entries of 8 bytes) and a 256 × 256 image with its mask fit in it.
constexpr std::uint64_t kMaxPiece = 2 << 20;
// Nor more than this in all for one icon, however many entries point at large pieces.
constexpr std::uint64_t kReadBudget = 16 << 20;
// The largest side an icon image may have (the icon directories cannot describe more).
constexpr int kMaxSide = 256;

constexpr std::string_view kPngSignature = "\x89PNG\r\n\x1a\n";

std::uint16_t u16(std::string_view bytes, std::size_t at) {
    return std::uint16_t(std::uint8_t(bytes[at]) | std::uint8_t(bytes[at + 1]) << 8);
}

std::uint32_t u32(std::string_view bytes, std::size_t at) {
    return std::uint32_t(u16(bytes, at)) | std::uint32_t(u16(bytes, at + 2)) << 16;
}

std::uint32_t bigEndian32(std::string_view bytes, std::size_t at) {
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < 4; ++i)
        value = value << 8 | std::uint8_t(bytes[at + i]);
    return value;
}

// The bytes of a file or of a buffer, read piece by piece: a file is never read whole.
class ByteSource {
  public:
    virtual ~ByteSource() = default;
    virtual std::uint64_t size() const = 0;

    // `length` bytes from `offset`; nullopt when they are not all there, the piece is larger
    // than kMaxPiece or the source's read budget is spent.
    std::optional<std::string> read(std::uint64_t offset, std::uint64_t length) {
        if (length > kMaxPiece || length > budget_ || offset > size() || length > size() - offset)
            return std::nullopt;
        budget_ -= length;
        std::string bytes(length, '\0');
        if (!readInto(offset, bytes.data(), bytes.size())) return std::nullopt;
        return bytes;
    }

  private:
    virtual bool readInto(std::uint64_t offset, char* into, std::size_t length) const = 0;
    std::uint64_t budget_ = kReadBudget;
};

class MemorySource : public ByteSource {
  public:
    explicit MemorySource(std::string_view bytes) : bytes_(bytes) {}
    std::uint64_t size() const override { return bytes_.size(); }

  private:
    bool readInto(std::uint64_t offset, char* into, std::size_t length) const override {
        std::memcpy(into, bytes_.data() + offset, length);
        return true;
    }
    std::string_view bytes_;
};

class FileSource : public ByteSource {
  public:
    explicit FileSource(const std::filesystem::path& path) : file_(path) {}
    bool isOpen() const { return file_.isOpen(); }
    std::uint64_t size() const override { return file_.size(); }

  private:
    bool readInto(std::uint64_t offset, char* into, std::size_t length) const override {
        return file_.read(offset, into, length);
    }
    RegularFile file_;
};

// --- images --------------------------------------------------------------------------------

// One image an icon directory lists, and where to find its bytes.
struct ImageEntry {
    int width = 0;
    int height = 0;
    int bitCount = 0;
    std::uint32_t locator = 0;  // an image number (program) or a file offset (icon file)
    std::uint32_t length = 0;
};

// The size and depth a directory entry claims (what the choice of an image goes by):
// 0 stands for 256 pixels, and an entry without a bit count says it by its colour count.
ImageEntry describedEntry(std::string_view entry) {
    ImageEntry image;
    image.width = std::uint8_t(entry[0]) ? std::uint8_t(entry[0]) : 256;
    image.height = std::uint8_t(entry[1]) ? std::uint8_t(entry[1]) : 256;
    const int colours = std::uint8_t(entry[2]);
    image.bitCount = u16(entry, 6);
    if (image.bitCount == 0) image.bitCount = colours == 2 ? 1 : colours == 16 ? 4 : 8;
    return image;
}

std::optional<IconImage> pngImage(std::string_view data) {
    // The signature, then the IHDR chunk: its length, "IHDR", width and height.
    if (data.size() < 24 || data.substr(12, 4) != "IHDR") return std::nullopt;
    const std::uint32_t width = bigEndian32(data, 16);
    const std::uint32_t height = bigEndian32(data, 20);
    if (width < 1 || width > kMaxSide || height < 1 || height > kMaxSide) return std::nullopt;
    IconImage image;
    image.width = int(width);
    image.height = int(height);
    image.png = std::string(data);
    return image;
}

// A device-independent bitmap with 1, 4, 8, 24 or 32 bits a pixel, followed by its AND mask:
// header, palette, colour rows and mask rows, rows bottom up and padded to four bytes, the
// header's height counting both bitmaps. A 32-bit image with any alpha uses its alpha;
// every other takes its transparency from the mask. A mask cut off counts as opaque.
std::optional<IconImage> bitmapImage(std::string_view data) {
    if (data.size() < 40) return std::nullopt;
    const std::uint32_t headerSize = u32(data, 0);
    const auto width = std::int32_t(u32(data, 4));
    const auto doubleHeight = std::int32_t(u32(data, 8));
    const int bitCount = u16(data, 14);
    const std::uint32_t compression = u32(data, 16);
    const std::uint32_t coloursUsed = u32(data, 32);
    const int height = doubleHeight / 2;
    if (headerSize < 40 || headerSize > data.size() || u16(data, 12) != 1 || compression != 0 ||
        width < 1 || width > kMaxSide || height < 1 || height > kMaxSide)
        return std::nullopt;
    if (bitCount != 1 && bitCount != 4 && bitCount != 8 && bitCount != 24 && bitCount != 32)
        return std::nullopt;

    const std::uint32_t paletteSize = bitCount > 8 ? 0 : coloursUsed ? coloursUsed : 1u << bitCount;
    if (paletteSize > 1u << std::min(bitCount, 8)) return std::nullopt;
    const std::uint64_t colourStride = (std::uint64_t(width) * bitCount + 31) / 32 * 4;
    const std::uint64_t maskStride = (std::uint64_t(width) + 31) / 32 * 4;
    const std::uint64_t paletteAt = headerSize;
    const std::uint64_t colourAt = paletteAt + std::uint64_t(paletteSize) * 4;
    const std::uint64_t maskAt = colourAt + colourStride * height;
    if (maskAt > data.size()) return std::nullopt;
    const bool hasMask = maskAt + maskStride * height <= data.size();

    auto paletteColour = [&](std::uint32_t index) -> std::uint32_t {
        if (index >= paletteSize) return 0;
        return u32(data, paletteAt + index * 4) & 0xFFFFFF;
    };
    IconImage image;
    image.width = width;
    image.height = height;
    image.pixels.resize(std::size_t(width) * height);
    bool anyAlpha = false;
    for (int row = 0; row < height; ++row) {
        const std::size_t line = colourAt + colourStride * row;
        std::uint32_t* out = &image.pixels[std::size_t(height - 1 - row) * width];
        for (int x = 0; x < width; ++x) {
            std::uint32_t pixel = 0;
            if (bitCount == 32) {
                pixel = u32(data, line + x * 4);
                anyAlpha |= (pixel >> 24) != 0;
            } else if (bitCount == 24) {
                const std::size_t at = line + x * 3;
                pixel = std::uint32_t(u16(data, at)) | std::uint32_t(std::uint8_t(data[at + 2]))
                                                           << 16;
            } else {
                const std::size_t bit = std::size_t(x) * bitCount;
                const int shift = 8 - bitCount - int(bit % 8);
                const std::uint8_t byte = data[line + bit / 8];
                pixel = paletteColour((byte >> shift) & ((1u << bitCount) - 1));
            }
            out[x] = pixel;
        }
    }
    if (anyAlpha) return image;
    for (int row = 0; row < height; ++row) {
        const std::size_t line = maskAt + maskStride * row;
        std::uint32_t* out = &image.pixels[std::size_t(height - 1 - row) * width];
        for (int x = 0; x < width; ++x) {
            const bool transparent = hasMask && (data[line + x / 8] >> (7 - x % 8) & 1);
            out[x] = transparent ? 0 : (out[x] & 0xFFFFFF) | 0xFF000000;
        }
    }
    return image;
}

std::optional<IconImage> decodeImage(std::string_view data) {
    if (data.starts_with(kPngSignature)) return pngImage(data);
    return bitmapImage(data);
}

// The order in which images are tried for one size: the nearest size first, a larger one
// before a smaller one as far off (shrinking looks better than growing), then the deepest
// colours.
bool preferredFor(int size, const ImageEntry& a, const ImageEntry& b) {
    auto distance = [size](const ImageEntry& e) {
        return std::max(std::abs(e.width - size), std::abs(e.height - size));
    };
    if (distance(a) != distance(b)) return distance(a) < distance(b);
    if (a.width != b.width) return a.width > b.width;
    return a.bitCount > b.bitCount;
}

// The best image of `entries` for one size that decodes; every candidate's bounds are checked
// before a pixel is read, so a directory of bad entries costs no more than reading it.
template <typename Fetch>
std::optional<IconImage> bestImage(std::vector<ImageEntry> entries, int size, Fetch fetch) {
    std::stable_sort(entries.begin(), entries.end(),
                     [size](const auto& a, const auto& b) { return preferredFor(size, a, b); });
    for (const ImageEntry& entry : entries) {
        if (std::optional<std::string> bytes = fetch(entry)) {
            if (auto image = decodeImage(*bytes)) return image;
        }
    }
    return std::nullopt;
}

template <typename Fetch>
ExtractedIcon bothSizes(const std::vector<ImageEntry>& entries, Fetch fetch) {
    return {bestImage(entries, kLargeIconSize, fetch), bestImage(entries, kSmallIconSize, fetch)};
}

// An icon directory: a 6-byte header (reserved 0, type 1, count) and `entrySize`-byte entries.
std::optional<std::vector<std::string_view>> directoryEntries(std::string_view directory,
                                                              std::size_t entrySize) {
    if (directory.size() < 6 || u16(directory, 0) != 0 || u16(directory, 2) != 1)
        return std::nullopt;
    const std::size_t count = u16(directory, 4);
    if (6 + count * entrySize > directory.size()) return std::nullopt;
    std::vector<std::string_view> entries;
    for (std::size_t i = 0; i < count; ++i)
        entries.push_back(directory.substr(6 + i * entrySize, entrySize));
    return entries;
}

// --- icon files ----------------------------------------------------------------------------

constexpr std::size_t kIconFileEntry = 16;

std::optional<std::string> iconFileDirectory(ByteSource& source) {
    std::optional<std::string> header = source.read(0, 6);
    if (!header) return std::nullopt;
    return source.read(0, 6 + u16(*header, 4) * kIconFileEntry);
}

ExtractedIcon iconFileIcon(ByteSource& source) {
    const std::optional<std::string> directory = iconFileDirectory(source);
    if (!directory) return {};
    const auto entries = directoryEntries(*directory, kIconFileEntry);
    if (!entries) return {};
    std::vector<ImageEntry> images;
    for (std::string_view entry : *entries) {
        ImageEntry image = describedEntry(entry);
        image.length = u32(entry, 8);
        image.locator = u32(entry, 12);
        images.push_back(image);
    }
    return bothSizes(
        images, [&](const ImageEntry& image) { return source.read(image.locator, image.length); });
}

// --- programs: the PE resource directory ---------------------------------------------------

constexpr std::uint16_t kIconResource = 3;        // RT_ICON: one image
constexpr std::uint16_t kIconGroupResource = 14;  // RT_GROUP_ICON: one icon's directory
constexpr std::size_t kGroupEntry = 14;

struct Section {
    std::uint32_t address = 0;  // relative virtual address
    std::uint32_t rawSize = 0;
    std::uint32_t rawOffset = 0;
};

// One entry of a resource directory: a name (a number, or a string) and either a subdirectory
// or a data entry, both as offsets from the start of the resource directory.
struct ResourceEntry {
    std::uint32_t name = 0;
    std::uint32_t target = 0;

    bool hasNumber() const { return !(name & 0x80000000u); }
    bool isDirectory() const { return target & 0x80000000u; }
    std::uint32_t offset() const { return target & 0x7FFFFFFFu; }
};

// The resources of a PE file. The directory is a tree of three levels (type, name, language)
// and is walked exactly three levels deep, so offsets that point back up the tree cannot
// make a loop.
class ProgramResources {
  public:
    static std::optional<ProgramResources> open(ByteSource& source) {
        ProgramResources resources(source);
        if (!resources.readHeaders()) return std::nullopt;
        return resources;
    }

    // The entries of the directory at `offset`; empty when it cannot be read.
    std::vector<ResourceEntry> directory(std::uint32_t offset) const {
        const std::optional<std::string> header = readRelative(offset, 16);
        if (!header) return {};
        const std::uint32_t count = std::uint32_t(u16(*header, 12)) + u16(*header, 14);
        const std::optional<std::string> table = readRelative(offset + 16ull, count * 8ull);
        if (!table) return {};
        std::vector<ResourceEntry> entries(count);
        for (std::uint32_t i = 0; i < count; ++i)
            entries[i] = {u32(*table, i * 8), u32(*table, i * 8 + 4)};
        return entries;
    }

    // The subdirectory of resources of one type (an entry of the root).
    std::vector<ResourceEntry> ofType(std::uint16_t type) const {
        for (const ResourceEntry& entry : directory(0)) {
            if (entry.hasNumber() && entry.name == type && entry.isDirectory())
                return directory(entry.offset());
        }
        return {};
    }

    // The data of a named resource (an entry of a type's directory) in its first language.
    std::optional<std::string> data(const ResourceEntry& named) const {
        if (!named.isDirectory()) return std::nullopt;
        const std::vector<ResourceEntry> languages = directory(named.offset());
        if (languages.empty() || languages.front().isDirectory()) return std::nullopt;
        const std::optional<std::string> entry = readRelative(languages.front().offset(), 16);
        if (!entry) return std::nullopt;
        return readAddress(u32(*entry, 0), u32(*entry, 4));
    }

  private:
    explicit ProgramResources(ByteSource& source) : source_(&source) {}

    bool readHeaders() {
        const std::optional<std::string> dos = source_->read(0, 64);
        if (!dos || !dos->starts_with("MZ")) return false;
        const std::uint32_t pe = u32(*dos, 0x3C);
        // Signature and file header, then the optional header up to its data directories.
        const std::optional<std::string> file = source_->read(pe, 24);
        if (!file || !file->starts_with(std::string_view("PE\0\0", 4))) return false;
        const std::uint16_t sectionCount = u16(*file, 6);
        const std::uint16_t optionalSize = u16(*file, 20);
        const std::optional<std::string> optional = source_->read(pe + 24ull, optionalSize);
        if (!optional || optional->size() < 2) return false;
        const std::uint16_t magic = u16(*optional, 0);
        const std::size_t countAt = magic == 0x10B ? 92 : magic == 0x20B ? 108 : 0;
        if (countAt == 0 || optional->size() < countAt + 4) return false;
        // Data directory 2 is the resource directory.
        const std::size_t resourceAt = countAt + 4 + 2 * 8;
        if (u32(*optional, countAt) < 3 || optional->size() < resourceAt + 8) return false;
        resourceAddress_ = u32(*optional, resourceAt);

        const std::optional<std::string> table =
            source_->read(pe + 24ull + optionalSize, sectionCount * 40ull);
        if (!table) return false;
        for (std::size_t i = 0; i < sectionCount; ++i) {
            const std::size_t at = i * 40;
            sections_.push_back({u32(*table, at + 12), u32(*table, at + 16), u32(*table, at + 20)});
        }
        return resourceAddress_ != 0;
    }

    // `length` bytes at a relative virtual address, from the section whose file bytes hold
    // all of them.
    std::optional<std::string> readAddress(std::uint64_t address, std::uint64_t length) const {
        for (const Section& section : sections_) {
            if (address < section.address) continue;
            const std::uint64_t into = address - section.address;
            if (into > section.rawSize || length > section.rawSize - into) continue;
            return source_->read(section.rawOffset + into, length);
        }
        return std::nullopt;
    }

    std::optional<std::string> readRelative(std::uint64_t offset, std::uint64_t length) const {
        return readAddress(resourceAddress_ + offset, length);
    }

    ByteSource* source_;
    std::uint32_t resourceAddress_ = 0;
    std::vector<Section> sections_;
};

// The icon group an index picks: the index-th group, or the one numbered -index.
std::optional<ResourceEntry> iconGroup(const std::vector<ResourceEntry>& groups, int index) {
    if (index >= 0) {
        if (std::size_t(index) >= groups.size()) return std::nullopt;
        return groups[index];
    }
    const std::int64_t number = -std::int64_t(index);
    for (const ResourceEntry& group : groups) {
        if (group.hasNumber() && group.name == number) return group;
    }
    return std::nullopt;
}

ExtractedIcon programIcon(ByteSource& source, int index) {
    const std::optional<ProgramResources> resources = ProgramResources::open(source);
    if (!resources) return {};
    const std::optional<ResourceEntry> group =
        iconGroup(resources->ofType(kIconGroupResource), index);
    if (!group) return {};
    const std::optional<std::string> directory = resources->data(*group);
    if (!directory) return {};
    const auto entries = directoryEntries(*directory, kGroupEntry);
    if (!entries) return {};

    // The images by number, looked up once rather than for every entry of the group.
    std::map<std::uint32_t, ResourceEntry> images;
    for (const ResourceEntry& image : resources->ofType(kIconResource)) {
        if (image.hasNumber()) images.emplace(image.name, image);
    }
    std::vector<ImageEntry> described;
    for (std::string_view entry : *entries) {
        ImageEntry image = describedEntry(entry);
        image.locator = u16(entry, 12);
        described.push_back(image);
    }
    return bothSizes(described, [&](const ImageEntry& image) -> std::optional<std::string> {
        const auto found = images.find(image.locator);
        if (found == images.end()) return std::nullopt;
        return resources->data(found->second);
    });
}

std::optional<ExtractedIcon> extractFrom(ByteSource& source, int index) {
    const std::optional<std::string> start =
        source.read(0, std::min<std::uint64_t>(source.size(), 4));
    if (!start) return std::nullopt;
    switch (iconFileKind(*start)) {
        case IconFileKind::Program:
            return programIcon(source, index);
        case IconFileKind::IconFile:
            return index == 0 ? iconFileIcon(source) : ExtractedIcon{};
        case IconFileKind::Other:
            break;
    }
    return std::nullopt;
}

int countIn(ByteSource& source) {
    const std::optional<std::string> start =
        source.read(0, std::min<std::uint64_t>(source.size(), 4));
    if (!start) return 0;
    switch (iconFileKind(*start)) {
        case IconFileKind::Program: {
            const std::optional<ProgramResources> resources = ProgramResources::open(source);
            return resources ? int(resources->ofType(kIconGroupResource).size()) : 0;
        }
        case IconFileKind::IconFile:
            return 1;
        case IconFileKind::Other:
            break;
    }
    return 0;
}

}  // namespace

IconFileKind iconFileKind(std::string_view firstBytes) {
    if (firstBytes.starts_with("MZ")) return IconFileKind::Program;
    if (firstBytes.starts_with(std::string_view("\0\0\1\0", 4))) return IconFileKind::IconFile;
    return IconFileKind::Other;
}

std::optional<ExtractedIcon> extractIcon(const std::filesystem::path& file, int index) {
    FileSource source(file);
    if (!source.isOpen()) return std::nullopt;
    return extractFrom(source, index);
}

std::optional<ExtractedIcon> extractIconFromBytes(std::string_view bytes, int index) {
    MemorySource source(bytes);
    return extractFrom(source, index);
}

int iconCount(const std::filesystem::path& file) {
    FileSource source(file);
    return source.isOpen() ? countIn(source) : 0;
}

int iconCountFromBytes(std::string_view bytes) {
    MemorySource source(bytes);
    return countIn(source);
}

}  // namespace kestrin
