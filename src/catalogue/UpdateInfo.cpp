#include "catalogue/UpdateInfo.h"

#include "catalogue/AuthorProgress.h"
#include "catalogue/Catalogue.h"
#include "platform/ProfileFile.h"

namespace kestrin {

namespace {

constexpr const char* kUnknown = "(不明)";

// One "SoftN" section of the file.
struct OfferedSoftware {
    std::string distinctName;
    int build = 0;
    bool downGrade = false;
    std::string section;
};

// The sections "Soft1", "Soft2", ... up to the first that is missing or empty.
std::vector<OfferedSoftware> readOffers(const TProfileFile& info) {
    std::vector<OfferedSoftware> offers;
    for (int n = 1;; ++n) {
        const std::string section = "Soft" + std::to_string(n);
        if (!info.hasKeys(section)) break;
        offers.push_back({info.readString(section, "DistinctName", kUnknown),
                          info.readInteger(section, "Build", 0),
                          info.readBool(section, "DownGrade", false), section});
    }
    return offers;
}

bool isUpdate(const OfferedSoftware& offer, int installedBuild) {
    if (offer.build >= installedBuild) return offer.build > installedBuild;
    return offer.downGrade;
}

// The installed build, raised to a "NextBuild" mark that is still ahead of it; a mark the
// installed build has caught up with is removed.
int installedBuild(TVRegEx& reg) {
    const int build = readCatalogueInteger(reg, "Build").value_or(0);
    const std::optional<int> nextBuild = readCatalogueInteger(reg, "NextBuild");
    if (!nextBuild) return build;
    if (*nextBuild > build) return *nextBuild;
    reg.DeleteValue("NextBuild");
    return build;
}

ResultsRow makeRow(const TProfileFile& info, const OfferedSoftware& offer,
                   const std::string& author, const std::string& keyName, int build) {
    ResultsRow row;
    row.author = author;
    row.displayName = info.readString(offer.section, "DisplayName", kUnknown);
    if (row.displayName.empty()) row.displayName = offer.distinctName;
    row.version = info.readString(offer.section, "Version", kUnknown);
    row.date = info.readString(offer.section, "Update", kUnknown);
    row.source = info.readString(offer.section, "GetAt", "");
    if (row.source.empty()) row.source = info.readString("Info", "URL", kUnknown);
    row.keyName = keyName;
    row.newBuild = std::to_string(offer.build);
    const std::string buildNotice = "Notice" + std::to_string(build);
    row.comment = info.hasKey(offer.section, buildNotice)
                      ? info.readString(offer.section, buildNotice, "")
                      : info.readString(offer.section, "Notice", "");
    if (!row.comment.empty()) row.displayName = "* " + row.displayName;
    return row;
}

}  // namespace

UpdateInfoResult EvaluateUpdateInfo(const std::filesystem::path& file, const std::string& authorKey,
                                    const std::string& authorName, bool& newerFormatSeen,
                                    AuthorProgress* progress) {
    UpdateInfoResult result;
    const TProfileFile info(file);
    if (info.readInteger("Info", "Version", 0) > kRequiredRDK) newerFormatSeen = true;

    std::string author = info.readString("Info", "Author", "");
    if (author.empty()) author = authorName;
    const std::string notice = info.readString("Info", "Notice", "");
    if (!notice.empty()) result.notice = AuthorNotice{author, notice};

    if (progress) progress->comparing();

    const std::vector<OfferedSoftware> offers = readOffers(info);
    TVRegEx reg;
    Registry::Transaction transaction(reg.Store());
    reg.OpenRenvaneKey(authorKey);
    reg.WriteString("AuthorURL", info.readString("Info", "URL", ""));
    for (const std::string& softwareKey : reg.GetKeyNames()) {
        const std::string keyName = authorKey + "\\" + softwareKey;
        reg.OpenRenvaneKey(keyName);
        const std::string distinct = readCatalogueString(reg, "DistinctName").value_or("");
        const int build = installedBuild(reg);
        for (const OfferedSoftware& offer : offers) {
            if (offer.distinctName != distinct) continue;
            reg.WriteInteger("LatestBuild", offer.build);
            if (isUpdate(offer, build))
                result.rows.push_back(makeRow(info, offer, author, keyName, build));
        }
    }
    transaction.commit();
    return result;
}

}  // namespace kestrin
