#pragma once
// What the check engine and the define wizard need from a fetched page or response: the title,
// the archive links, the tag-stripped checksum, a header value, and absolute links. Pages are
// scanned as Shift_JIS bytes; title and links leave the scanner as UTF-8.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "define/HTMLParser.h"
#include "define/PagePreparation.h"

namespace kestrin {

class TVKestrinParser : public TVHTMLParser {
  public:
    // How far a scan has come in the text it scans (position of total bytes). Called at most
    // once per kProgressStep bytes of progress and once at the end; the caller processes
    // window messages here.
    using ProgressEvent =
        std::function<void(TVKestrinParser& sender, std::int64_t position, std::int64_t total)>;
    static constexpr std::size_t kProgressStep = 64 * 1024;

    ProgressEvent OnProgress;

    // The title and the links of the page's anchors whose extension is in `extensions`
    // (".lzh", ..., compared without regard to case), in page order, as written. Always true.
    bool ScanPage(std::string_view page, std::string& title,
                  const std::vector<std::string>& extensions, std::vector<std::string>& links);

    // The CRC-32 of the page's text without tags, comments and links, upper-cased, with line
    // breaks as spaces: 8 upper-case hexadecimal digits.
    std::string TagRemovedCRC(std::string_view page);
    // The same for a page the caller hands over: its buffer is reused, so a big page costs no
    // copy. (The third form settles which of the two a literal is.)
    std::string TagRemovedCRC(std::string&& page);
    std::string TagRemovedCRC(const char* page) { return TagRemovedCRC(std::string_view(page)); }

    // The value of the header `name` ("Last-Modified:", found anywhere, without regard to
    // case); false and empty when the name is missing, empty when no line break follows it.
    bool FindHeader(std::string_view header, std::string_view name, std::string& value) const;

    // `link` made absolute against the address of the page it was found on.
    std::string ResolveURL(std::string_view pageUrl, std::string_view link) const;

    // The text after the last "/" of the link, or the whole link.
    std::string LinkFileName(std::string_view link) const;

    // The ASCII letters at the start of the file name without its extension; true when
    // there are any.
    bool LeadingLetters(std::string_view fileName, std::string& letters) const;

  private:
    // The buffer one scan prepares the page into: the kept one, or a fresh one for a scan that
    // an OnProgress handler starts while another is running.
    class ScanBuffer;

    template <typename Page>
    std::string tagRemovedCRC(Page&& page);

    ScanTextBuffer scanText_;  // kept from scan to scan, so big pages cost no fresh memory
    bool scanning_ = false;
};

}  // namespace kestrin
