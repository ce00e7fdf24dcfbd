#include "app/Settings.h"

#include <charconv>

#include "app/PasswordScramble.h"
#include "catalogue/Catalogue.h"
#include "clock/NtpServers.h"
#include "define/KestrinTree.h"
#include "net/ProxySettings.h"
#include "platform/BuildNumber.h"
#include "platform/Dialogs.h"
#include "platform/VRegEx.h"

namespace kestrin {

namespace {

constexpr const char* kNtpServerValue = "NTPServer";
constexpr const char* kExtListValue = "ExtList";
constexpr const char* kWelcomeValue = "Welcome";

enum class Kept {
    AsIs,
    Scrambled,  // a text the store holds scrambled
    AsNumber,   // an edit's text the store holds as an integer
    Clock,      // read only when "NTPServer" is stored
    LoadOnly,   // read with the others, written by its own operation or by someone else
};

// Every value: its name, its field (whose initial value in Settings is the default) and how the
// store keeps it. Adding a value is one line here and its field.
template <typename AnySettings, typename Visit>
void forEachValue(AnySettings& s, Visit&& visit) {
    visit("WindowLeft", s.windowLeft, Kept::AsIs);
    visit("WindowTop", s.windowTop, Kept::AsIs);
    visit("RingSound", s.ringSound, Kept::AsIs);
    for (std::size_t n = 0; n < s.authorColumns.size(); ++n)
        visit("AuthorColumn" + std::to_string(n), s.authorColumns[n], Kept::AsIs);
    for (std::size_t n = 0; n < s.defineColumns.size(); ++n)
        visit("DefineColumn" + std::to_string(n), s.defineColumns[n], Kept::AsIs);
    for (std::size_t n = 0; n < s.updateColumns.size(); ++n)
        visit("Column" + std::to_string(n), s.updateColumns[n], Kept::AsIs);
    visit("UseProxy", s.useProxy, Kept::AsIs);
    visit("ProxyAddress", s.proxyAddress, Kept::AsIs);
    visit("ProxyPort", s.proxyPort, Kept::AsNumber);
    visit("UseAuthenticate", s.useAuthenticate, Kept::AsIs);
    visit("UserID", s.userID, Kept::AsIs);
    visit("Password", s.password, Kept::Scrambled);
    visit("DisableProxyCache", s.disableProxyCache, Kept::AsIs);
    visit("CheckReflect", s.checkReflect, Kept::AsIs);
    visit("AutoComplete", s.autoComplete, Kept::AsIs);
    visit("NoAVI", s.noAVI, Kept::AsIs);
    visit("RestrainError", s.restrainError, Kept::AsIs);
    visit(kWelcomeValue, s.welcome, Kept::AsIs);
    visit("ConfirmAutoCheck", s.confirmAutoCheck, Kept::AsIs);
    visit(kNtpServerValue, s.ntpServer, Kept::Clock);
    visit("NTPTimeOut", s.ntpTimeOut, Kept::Clock);
    visit("NTPIgnoreError", s.ntpIgnoreError, Kept::Clock);
    visit("NTPAutoSync", s.ntpAutoSync, Kept::Clock);
    visit(kExtListValue, s.extensions, Kept::LoadOnly);
    visit(kKestrinPathValue, s.previousProgramPath, Kept::LoadOnly);
}

// Reads each value into its field; a missing value leaves the default in place.
class Loader {
  public:
    explicit Loader(TVRegEx& reg) : reg_(reg), clockStored_(reg.ValueExists(kNtpServerValue)) {}

    bool clockStored() const { return clockStored_; }

    void operator()(const std::string& name, bool& field, Kept kept) {
        if (wanted(kept)) reg_.ReadBoolDef(name, field, field);
    }
    void operator()(const std::string& name, int& field, Kept kept) {
        if (wanted(kept)) reg_.ReadIntegerDef(name, field, field);
    }
    void operator()(const std::string& name, std::optional<int>& field, Kept) {
        int value = 0;
        if (reg_.ReadIntegerDef(name, value, 0)) field = value;
    }
    void operator()(const std::string& name, std::string& field, Kept kept) {
        if (!wanted(kept)) return;
        if (kept == Kept::AsNumber) {
            int value = 0;
            if (reg_.ReadIntegerDef(name, value, 0)) field = std::to_string(value);
            return;
        }
        reg_.ReadStringDef(name, field, field);
        if (kept == Kept::Scrambled) field = unscramblePassword(field);
    }
    void operator()(const std::string& name, std::vector<std::string>& field, Kept) {
        std::string list;
        if (reg_.ReadStringDef(name, list, "")) field = splitExtList(list);
    }
    void operator()(const std::string& name, WelcomeCheck& field, Kept) {
        int value = 0;
        field.enabled = reg_.ReadIntegerDef(name, value, 0);
        field.checked = value == 0;
    }

  private:
    bool wanted(Kept kept) const { return kept != Kept::Clock || clockStored_; }

    TVRegEx& reg_;
    bool clockStored_;
};

// Writes each field; the texts are checked before the first write (see saveSettings).
class Saver {
  public:
    explicit Saver(TVRegEx& reg) : reg_(reg) {}

    void operator()(const std::string& name, bool field, Kept) { reg_.WriteBool(name, field); }
    void operator()(const std::string& name, int field, Kept) { reg_.WriteInteger(name, field); }
    void operator()(const std::string& name, const std::optional<int>& field, Kept) {
        if (field) reg_.WriteInteger(name, *field);
    }
    void operator()(const std::string& name, const std::string& field, Kept kept) {
        if (kept == Kept::LoadOnly) return;
        if (kept == Kept::AsNumber) {
            reg_.WriteInteger(name, decimalNumber(field).value_or(0));
        } else {
            reg_.WriteString(name, kept == Kept::Scrambled ? scramblePassword(field) : field);
        }
    }
    void operator()(const std::string&, const std::vector<std::string>&, Kept) {}
    void operator()(const std::string& name, const WelcomeCheck& field, Kept) {
        if (field.enabled) reg_.WriteInteger(name, field.checked ? 0 : GetOwnBuild());
    }

  private:
    TVRegEx& reg_;
};

// The port edit on saving: empty is 0; a text that is no number is 0 too, and the user is told.
std::string portToSave(const std::string& text) {
    if (text.empty()) return "0";
    if (decimalNumber(text)) return text;
    dialogs().messageBox("プロキシサーバのポートの番号が不正です\r\n修正しておいてください",
                         "プロキシポート番号エラー", DialogIcon::Error, DialogButtons::Ok);
    return "0";
}

}  // namespace

std::optional<int> decimalNumber(std::string_view text) {
    int value = 0;
    const char* end = text.data() + text.size();
    if (text.empty() || text.front() < '0' || text.front() > '9') return std::nullopt;
    auto [stop, error] = std::from_chars(text.data(), end, value);
    if (error != std::errc() || stop != end) return std::nullopt;
    return value;
}

Settings loadSettings() {
    Settings settings;
    TVRegEx reg;
    reg.OpenRenvaneKey();
    Loader loader(reg);
    forEachValue(settings, loader);
    if (!loader.clockStored()) settings.ntpServer = randomNtpServer();
    settings.hideDefineFolder = !TVKestrinTree(true).RootVisible();
    if (settings.proxyAddress.empty()) settings.proxyFromBrowser = takeBrowserProxy(settings);
    return settings;
}

void saveSettings(const Settings& settings) {
    if (std::string problem = passwordProblem(settings.password); !problem.empty())
        throw std::invalid_argument(problem);
    // Told before the store is locked for writing.
    Settings saved = settings;
    saved.proxyPort = portToSave(settings.proxyPort);

    TVRegEx reg;
    Registry::Transaction transaction(reg.Store());
    reg.OpenRenvaneKey();
    forEachValue(saved, Saver{reg});
    transaction.commit();
    TVKestrinTree(true).SetRootVisible(!settings.hideDefineFolder);
}

void saveExtensions(const std::vector<std::string>& extensions) {
    TVRegEx reg;
    reg.OpenRenvaneKey();
    reg.WriteString(kExtListValue, joinExtList(extensions));
}

bool takeBrowserProxy(Settings& settings) {
    try {
        const BrowserProxy browser = proxyFromBrowserSettings();
        if (browser.enabled) settings.useProxy = *browser.enabled;
        if (!browser.hasServer || browser.address.empty()) return false;
        settings.proxyAddress = browser.address;
        settings.proxyPort = browser.port;
        return true;
    } catch (const std::exception&) {
        // The browser's settings are a convenience; the user can still enter a proxy.
        return false;
    }
}

void welcomeWizardClosed(Settings& settings, bool accepted, bool dontShowAgain) {
    if (accepted && dontShowAgain) {
        TVRegEx reg;
        reg.OpenRenvaneKey();
        Saver{reg}(kWelcomeValue, WelcomeCheck{.enabled = true, .checked = false}, Kept::AsIs);
        settings.welcome.enabled = true;
    }
    settings.welcome.checked = !dontShowAgain;
}

CheckRunSettings checkRunSettings(const Settings& settings) {
    CheckRunSettings run;
    ProxySettings& proxy = run.author.proxy;
    proxy.UseProxy = settings.useProxy;
    proxy.ProxyAddress = settings.proxyAddress;
    const std::optional<int> port = decimalNumber(settings.proxyPort);
    if (settings.useProxy && !port) throw EProxyPortError();
    proxy.ProxyPort = port.value_or(0);
    proxy.UseAuthenticate = settings.useAuthenticate;
    proxy.UserID = settings.userID;
    proxy.Password = settings.password;
    proxy.DisableProxyCache = settings.disableProxyCache;
    run.author.restrainError = settings.restrainError;
    run.checkReflect = settings.checkReflect;
    run.extensions = settings.extensions;
    run.ntpServer = settings.ntpServer;
    run.ntpTimeOut = settings.ntpTimeOut;
    run.ntpAllowableError = settings.ntpIgnoreError;
    run.ntpAutoSync = settings.ntpAutoSync;
    return run;
}

CheckRunSettings loadCheckRunSettings() {
    return checkRunSettings(loadSettings());
}

}  // namespace kestrin
