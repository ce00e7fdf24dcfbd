#pragma once
// The system's options, kept directly under "\Software\Renvane\" in the settings store. Every
// value has its name, its type and its default here and nowhere else: the window loads them
// once when it is shown and saves them once when it closes (each setting-up tab has a
// load/store pair over Settings), and a check run without a window derives what it needs from
// them.

#include <array>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "app/CheckRun.h"
#include "define/ArchiveExtensions.h"

namespace kestrin {

// chkDisplayWelcomeWizard as "Welcome" keeps it: 0 while it is checked (the welcome wizard
// shows at start), otherwise the build that turned it off.
struct WelcomeCheck {
    bool enabled = false;  // "Welcome" is stored; until it is, saving leaves it out
    bool checked = true;

    bool operator==(const WelcomeCheck&) const = default;
};

// The fields' initial values are the defaults of values that are not stored.
struct Settings {
    // The main window.
    std::optional<int> windowLeft;  // nullopt: centred on the screen
    std::optional<int> windowTop;
    bool ringSound = true;
    std::array<int, 2> authorColumns{360, 100};               // column widths of the author list,
    std::array<int, 3> defineColumns{140, 110, 80};           // the define list
    std::array<int, 5> updateColumns{50, 150, 45, 100, 110};  // and the update list

    // The proxy page.
    bool useProxy = false;
    std::string proxyAddress;
    std::string proxyPort = "0";  // the port edit's text; an integer in the store
    bool useAuthenticate = false;
    std::string userID;
    std::string password;  // as typed; the store holds it scrambled
    bool disableProxyCache = false;

    // The options page and the author list's menu.
    bool checkReflect = true;
    bool autoComplete = true;  // the define wizard completes addresses
    bool noAVI = false;        // no progress animation
    bool restrainError = false;
    bool confirmAutoCheck = true;
    WelcomeCheck welcome;
    // The define folder is kept out of the browser's Favorites. Not a value of the store: the
    // define root's hidden mark is read at load and set at save.
    bool hideDefineFolder = false;

    // The clock page. Without a stored server none of its values is read: a server of the
    // list is picked at random and the others keep their defaults.
    std::string ntpServer;
    int ntpTimeOut = 750;      // ms
    int ntpIgnoreError = 200;  // ms: the allowable error
    bool ntpAutoSync = false;

    // The archive extensions without their "/"; saved by saveExtensions when the list changes.
    std::vector<std::string> extensions = splitExtList(kDefaultExtList);

    // Read at load only.
    std::string previousProgramPath;  // the program's path as the last start published it
    bool proxyFromBrowser = false;    // the proxy address came from the browser settings

    bool operator==(const Settings&) const = default;
};

// Reads every value. A value of the wrong type raises ERegistryException. With no proxy
// address of its own the browser's proxy is taken (takeBrowserProxy); a failure in doing so is
// ignored.
Settings loadSettings();

// Writes every value but the extensions and the load-only ones in one store transaction, then
// the define root's hidden mark. A
// password that passwordProblem refuses raises std::invalid_argument before anything is
// written. A port text that is no number is saved as 0 after telling the user; an empty one is
// saved as 0 silently.
void saveSettings(const Settings& settings);

// Writes the archive extension list at once.
void saveExtensions(const std::vector<std::string>& extensions);

// Takes the proxy address, port and switch from the browser settings; true when they named a
// proxy server, which is then the address.
bool takeBrowserProxy(Settings& settings);

// The welcome wizard, shown at start while settings.welcome.checked, has closed: accepted
// with its "don't show again" box ticked, "Welcome" is written at once and the check box is
// enabled; in every case the check box ends checked exactly when that box was not ticked.
void welcomeWizardClosed(Settings& settings, bool accepted, bool dontShowAgain);

// The decimal number of a numeric edit (digits only, within int); nullopt otherwise.
std::optional<int> decimalNumber(std::string_view text);

// A run cannot start through a proxy whose port is no number.
class EProxyPortError : public std::runtime_error {
  public:
    EProxyPortError() : std::runtime_error("プロキシポートの設定が不正です") {}
};

// What a check run needs. With the proxy switched on, a port that is no number raises
// EProxyPortError.
CheckRunSettings checkRunSettings(const Settings& settings);

// The settings of a run as the window has them at start: checkRunSettings(loadSettings()).
CheckRunSettings loadCheckRunSettings();

}  // namespace kestrin
