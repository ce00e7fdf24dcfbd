#pragma once
// The icons of programs, the stand-in for ExtractIconEx: the icon resources of Windows
// programs and libraries (PE files: the resource directory, its icon groups and their images)
// and icon files (.ico). Files are judged by their first bytes, not by their names.
//
// The files come from anywhere, so every offset, count and size is checked against the file
// before it is used: a damaged or hostile file gives no icon, and reading one never allocates
// more than a few MiB whatever the file claims.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kestrin {

// One image of an icon: plain pixels, or the bytes of an image stored PNG-compressed.
struct IconImage {
    int width = 0;
    int height = 0;
    // width × height pixels 0xAARRGGBB (alpha not premultiplied), top row first; empty for a
    // PNG image.
    std::vector<std::uint32_t> pixels;
    // A PNG-compressed image: its bytes, for an image decoder (width and height as its header
    // gives them, at most 256).
    std::string png;

    bool operator==(const IconImage&) const = default;
};

// The images ExtractIconEx gives for one icon: the best for the large (32 × 32) and for the
// small (16 × 16) size; each is missing when the file has no usable image for it.
struct ExtractedIcon {
    std::optional<IconImage> large;
    std::optional<IconImage> small;

    bool operator==(const ExtractedIcon&) const = default;
};

inline constexpr int kLargeIconSize = 32;
inline constexpr int kSmallIconSize = 16;

// What a file holds, judged by its first bytes.
enum class IconFileKind {
    Other,    // neither: another reader may know it
    Program,  // a PE program or library ("MZ")
    IconFile  // an .ico file (reserved 0, type 1)
};

IconFileKind iconFileKind(std::string_view firstBytes);

// Icon number `index` of a program or an icon file. In a program the icon groups count in the
// order of the resource directory, and a negative index names the group whose resource number
// is -index; an icon file holds one icon. nullopt when the file (or the bytes) is neither a
// program nor an icon file, or cannot be read; an index beyond the icons, or a damaged file,
// gives an ExtractedIcon without images.
std::optional<ExtractedIcon> extractIcon(const std::filesystem::path& file, int index);
std::optional<ExtractedIcon> extractIconFromBytes(std::string_view bytes, int index);

// How many icons a program or an icon file holds; 0 for any other file.
int iconCount(const std::filesystem::path& file);
int iconCountFromBytes(std::string_view bytes);

}  // namespace kestrin
