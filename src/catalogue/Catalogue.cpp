#include "catalogue/Catalogue.h"

#include "platform/BuildNumber.h"
#include "platform/Paths.h"
#include "text/Ascii.h"

namespace kestrin {

namespace {

// The names of an author's software joined with "/": "DisplayName", else "DistinctName".
std::string softwareNames(TVRegEx& reg, const std::string& authorKey) {
    std::string names;
    reg.OpenRenvaneKey(authorKey);
    for (const std::string& softwareKey : reg.GetKeyNames()) {
        reg.OpenRenvaneKey(authorKey + "\\" + softwareKey);
        std::string name = readCatalogueString(reg, "DisplayName")
                               .value_or(readCatalogueString(reg, "DistinctName").value_or(""));
        if (name.empty()) continue;
        if (!names.empty()) names += "/";
        names += name;
    }
    return names;
}

}  // namespace

std::optional<std::string> readCatalogueString(TVRegEx& reg, const std::string& name) {
    if (reg.GetDataType(name) != TRegDataType::rdString) return std::nullopt;
    return reg.ReadString(name);
}

std::optional<int> readCatalogueInteger(TVRegEx& reg, const std::string& name) {
    if (reg.GetDataType(name) != TRegDataType::rdInteger) return std::nullopt;
    return reg.ReadInteger(name);
}

void RegisterSelf() {
    const int build = GetOwnBuild();
    const std::string program = programPath().string();
    const std::string author = kOwnAuthorKey;

    TVRegEx reg;
    Registry::Transaction transaction(reg.Store());
    reg.OpenRenvaneKey(author);
    reg.WriteString("Author", kOwnAuthorName);
    reg.WriteString("DisplayHost", kOwnAuthorHost);
    reg.WriteString("InfoURL2", kOwnInfoURL);

    reg.OpenRenvaneKey(author + "\\" + kOwnSoftwareKey);
    reg.WriteString("DistinctName", "Kestrin");
    reg.WriteString("DisplayName", "Kestrin 2001");
    reg.WriteString("FilePath", program);
    reg.WriteInteger("Build", build);

    reg.OpenRenvaneKey();
    reg.WriteInteger(kKestrinBuildValue, build);
    reg.WriteInteger(kRequiredRDKValue, kRequiredRDK);
    reg.WriteString(kKestrinPathValue, program);
    transaction.commit();
}

std::vector<AuthorRow> FillAuthorList(bool reflect) {
    std::vector<AuthorRow> rows;
    TVRegEx reg;
    reg.OpenRenvaneKey();
    for (const std::string& key : reg.GetKeyNames()) {
        reg.OpenRenvaneKey(key);
        std::optional<std::string> name = readCatalogueString(reg, "Author");
        if (!name) continue;
        AuthorRow row;
        row.name = *name;
        row.key = key;
        row.url = readCatalogueString(reg, "AuthorURL").value_or("(none)");
        const std::optional<int> checked = readCatalogueInteger(reg, "Checked");
        row.checked = !reflect || !checked || *checked != 0;
        row.software = softwareNames(reg, key);
        rows.push_back(std::move(row));
    }
    return rows;
}

std::optional<bool> storedChecked(TVRegEx& reg, const std::string& authorKey) {
    if (!reg.OpenKey(std::string(kRenvaneKey) + authorKey, false)) return std::nullopt;
    const std::optional<int> checked = readCatalogueInteger(reg, "Checked");
    if (!checked) return std::nullopt;
    return *checked != 0;
}

const std::vector<AuthorCheckMenuItem>& authorCheckMenu() {
    static const std::vector<AuthorCheckMenuItem> menu{
        {"mnuReflect", "いつも前回選択した作者を自動選択(&A)", 0},
        {"N2", "", 0},
        {"N3", "前回選択した作者を選択(&M)", 1},
        {"D1", "前回非選択であった作者を選択(&D)", 2},
        {"N4", "", 0},
        {"R1", "作者の選択を反転(&R)", 3},
        {"N5", "", 0},
        {"O1", "全ての作者を選択(&N)", 4},
        {"F1", "全ての作者を非選択(&F)", 5},
    };
    return menu;
}

void mnuAuthorCheck(std::vector<AuthorRow>& rows, int tag) {
    if (tag < 1 || tag > 5) return;
    std::optional<TVRegEx> reg;
    if (tag <= 2) reg.emplace();
    for (AuthorRow& row : rows) {
        switch (static_cast<AuthorCheckTag>(tag)) {
            case AuthorCheckTag::LastChecked:
                row.checked = storedChecked(*reg, row.key).value_or(true);
                break;
            case AuthorCheckTag::LastUnchecked: {
                const std::optional<bool> stored = storedChecked(*reg, row.key);
                row.checked = stored ? !*stored : true;
                break;
            }
            case AuthorCheckTag::Invert:
                row.checked = !row.checked;
                break;
            case AuthorCheckTag::All:
                row.checked = true;
                break;
            case AuthorCheckTag::None:
                row.checked = false;
                break;
        }
    }
}

void checkOnlyAuthor(std::vector<AuthorRow>& rows, const std::string& authorKey) {
    for (AuthorRow& row : rows)
        row.checked = equalIgnoringCase(row.key, authorKey);
}

}  // namespace kestrin
