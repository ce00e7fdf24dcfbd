#pragma once
// The welcome wizard's decisions: its page machine, the conversion of the previous version's
// define file ("Renvane.udi") and the help check. TfrmWelcome shows what these return. Whether
// the wizard shows at start, and what its "don't show again" box changes, is the settings'
// (app/Settings: Settings::welcome, welcomeWizardClosed).

#include <string>
#include <vector>

namespace kestrin {

inline constexpr int kWelcomeLastPage = 4;  // pages 0 to 4
inline constexpr const char* kWelcomeNextCaption = "次へ(&N) >";
inline constexpr const char* kWelcomeFinishCaption = "完了(&F)";

class WelcomeWizard {
  public:
    int page() const { return page_; }
    bool backEnabled() const { return page_ != 0; }
    const char* nextCaption() const {
        return page_ == kWelcomeLastPage ? kWelcomeFinishCaption : kWelcomeNextCaption;
    }
    // Next: on the last page the wizard is finished (it closes with OK) and stays there;
    // elsewhere it goes one page on. Returns whether it is finished.
    bool next();
    // Back: one page back (from the first page, round to the last).
    void back();

  private:
    int page_ = 0;
};

// The pages of the third page's two drop-down lists, by the tag of their "移動" button (0: the
// command-line companion kestrin-cli, 1: the kit for writing supporting programs).
struct WelcomeLink {
    const char* title;
    const char* address;
};
const std::vector<WelcomeLink>& welcomeProductPages(int tag);

// What the conversion shows while it runs.
class ConversionView {
  public:
    virtual ~ConversionView() = default;
    virtual void setAnimationPlaying(bool playing) = 0;
    // The bar at `position` of `maximum`, repainted at once.
    virtual void showProgress(int position, int maximum) = 0;
    // The bar back at 0.
    virtual void clearProgress() = 0;
    // The main window's define tree read anew from disk.
    virtual void rebuildDefineTree() = 0;
};

// Converts the old define file into item files in `rootPath` (the define root), then rebuilds
// the tree and tells the user through the dialog service: "コンバートと再読込を完了しました",
// or why it failed (no file given, file missing or unreadable, an item not writable). After a
// failure the items written before it stay, and the tree shows them. Returns whether it
// succeeded. The animation plays while it runs; the bar ends at 0 either way.
bool convertOldDefineData(const std::string& oldFile, const std::string& rootPath,
                          ConversionView& view);

// The file "Renvane.udi" in the folder of `kestrinPath` (the stored program path of an earlier
// run) when it exists there; "" otherwise.
std::string defaultOldDefineFile(const std::string& kestrinPath);
// The file name the open dialog starts with: the field's text when it names an existing file.
std::string oldDefineDialogFile(const std::string& fieldText);

// The help check of the last page (btnDisplayHTMLHelp).
struct HelpCheck {
    bool showContents;  // open help topic 1
    bool linkVisible;   // Label36
    // Label32 is always made visible; a text here replaces its own.
    std::string label32Text;
};
HelpCheck checkHelp(bool helpFound);

}  // namespace kestrin
