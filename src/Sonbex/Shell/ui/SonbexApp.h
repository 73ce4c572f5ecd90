#pragma once
// The application object and frame of the desktop program: menus, toolbar
// and status bar built from the command table, the dispatch of every command
// by id, the document kinds and opening files by extension, drag-and-drop,
// the clipboard copy, the window commands, the about box, the splash screen,
// start-up and shutdown.
//
// Subsystems plug in by registering what they carry out: a command handler
// (the command becomes available), a document factory per window kind, the
// measurement-settings loader (.MST), the importer, their background work
// (stopped before shutdown) and what they save at exit. Until then their
// commands stay disabled.
//
// Shutdown: when a measurement runs the user is asked first; every
// background work is stopped and waited for (events are served meanwhile, so
// results still arrive), then the documents are asked to close (any may
// refuse), then the settings are saved.
//
// Threads: the GUI thread only; workers deliver through ResultSink() and
// reach the GUI through Bridge().

#include "Platform/Paths.h"
#include "Platform/SettingsStore.h"
#include "Platform/YRecentFileList.h"
#include "Sonbex/Shell/CommandTable.h"
#include "Sonbex/Shell/ConfigBackup.h"
#include "Sonbex/Shell/GlobalConfig.h"
#include "Sonbex/Shell/HelpService.h"
#include "Sonbex/Shell/IBackgroundWork.h"
#include "Sonbex/Shell/IShellDocument.h"
#include "Sonbex/Shell/ResultSink.h"
#include "Sonbex/Shell/ui/SplashScreen.h"
#include "YWin/YWinApp.h"

#include <QPointer>
#include <QTimer>

#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

class QAction;
class QMenu;
class QStyle;

namespace sonbex::ywin {
class YRecentFilesMenu;
class YStdWnd;
}  // namespace sonbex::ywin

namespace sonbex::shell {

class AboutDialog;
class GlobalSettingsDialog;
class GuiResultSink;
class TipsDialog;

inline constexpr const char* kNoValidClass = "Found no valid class for this filetype ! \n\n";
inline constexpr const char* kCouldntCreateWindow = "Could'nt create a window ! ";
inline constexpr const char* kCouldntOpenFile = "Couldn't open this file !";
inline constexpr const char* kCopyFailed = "Failed to copy the data to the clipboard ! ";
inline constexpr const char* kImportFailed = "Failed to import the file ! \n\n";
inline constexpr const char* kSettingsLocked =
    "The measurement settings can't be changed while a measurement is running ! ";
inline constexpr const char* kStopMeasurementQuestion =
    "A measurement is running.\nDo you want to stop it and close Sonbex 3 ? ";
inline constexpr const char* kWorkDidNotStop =
    "The running measurement or instrument did not stop, Sonbex 3 stays open ! ";

struct SonbexAppOptions {
    std::filesystem::path settingsFile;      // empty: the per-user settings file
    platform::IPrompt* presenter = nullptr;  // answers every prompt (tests: a RecordingPrompt)
    IHelpService* help = nullptr;            // null: the pages open in the program's help window
    bool modalDialogs = true;                // tests open dialogs modeless and inspect them
    int stopWaitMs = 10000;                  // how long shutdown waits for background work
    platform::Paths paths{platform::Paths::Environment::FromProcess()};  // the per-user folders
};

class SonbexApp : public ywin::YWinApp {
    Q_OBJECT
public:
    SonbexApp() : SonbexApp(SonbexAppOptions{}) {}
    explicit SonbexApp(SonbexAppOptions options);
    ~SonbexApp() override;

    // Start-up: loads the settings, places and shows the frame, shows the
    // splash screen, opens `files` (absolute paths), then shows the tips.
    void Start(const std::vector<std::filesystem::path>& files = {});

    // ---- commands
    void OnCommand(int id) override { ExecuteCommand(id); }
    // The help page of a command or dialog id (the contents for Help > Contents).
    bool ShowHelpTopic(int topic) override;
    // Carries out a command when it is enabled; false when it is not (or unknown).
    bool ExecuteCommand(int id);
    void SetCommandHandler(int id, std::function<void()> handler);
    bool IsAvailable(int id) const;
    bool IsEnabled(int id) const;
    CommandState CurrentState() const;
    void UpdateMenus();
    QAction* MenuAction(int id) const;
    QMenu* Menu(int helpId) const;  // 100 File ... 900 Help

    // ---- documents
    using DocumentFactory = std::function<ywin::YStdWnd*()>;
    // The factory makes a document window of `kindId` (implementing
    // IShellDocument); the frame places it.
    void RegisterDocumentKind(int kindId, DocumentFactory factory);
    bool CanCreate(int kindId) const;
    // A new window of the kind, placed and shown; null when the kind has no
    // factory or the factory failed.
    ywin::YStdWnd* CreateDocumentWindow(int kindId);
    // The active document when it is of the kind, else the topmost of that kind.
    ywin::YStdWnd* TopDocument(int kindId) const;

    enum class OpenResult { Opened, NotClaimed, Failed };
    // Opens a native file by its extension. NotClaimed: no native kind takes
    // it (not silent: the user was told). Failed: a kind claimed it but it
    // could not be opened (the user was told, with the file's name and the
    // reason: not found, not readable, not built yet, or what the document's
    // LastLoadFailure says); never to be imported then.
    OpenResult OpenFile(const std::string& path, bool silent);
    // Imports a file (empty path: asks for one); false when nothing was imported.
    bool ImportFile(const std::string& path);
    // Files of the command line and dropped files: each opened, else imported.
    void OpenFiles(const std::vector<std::filesystem::path>& files);
    void SetSettingsFileLoader(std::function<bool(const std::string& path)> loader);
    void SetImporter(std::function<bool(const std::string& path)> importer);

    // ---- measurement state and background work
    void SetMeasuring(bool measuring);
    bool IsMeasuring() const { return measuring_; }
    void AddBackgroundWork(IBackgroundWork* work);
    void RemoveBackgroundWork(IBackgroundWork* work);
    // Preset slot 0..9: whether it holds a settings file, and its title; the
    // menu item reads "title<tab>#n" when there is one.
    void SetPresetFilled(int slot, bool filled, const std::string& title = {});
    // Steps of the start-up that subsystems add (registered before Start):
    // SettingsLoaded runs once the settings store and the global configuration
    // are loaded, before the frame is shown (the measurement configuration, the
    // stimulus registry); FrameShown runs once the frame is up, before the
    // command line's files open (the speaker database, presets, mixer state,
    // microphone compensation). Each runs in the order added.
    enum class StartupStage { SettingsLoaded, FrameShown };
    void AddStartupStep(StartupStage stage, std::function<void()> step);
    // Runs at exit after the documents closed, before the global configuration
    // is saved (measurement settings, mixer state, database, presets ...).
    void AddExitSaver(std::function<void()> saver);

    // ---- services
    GlobalConfig& Config() { return config_; }
    const GlobalConfig& Config() const { return config_; }
    // The copy a run takes when it starts.
    GlobalConfig SettingsSnapshot() const { return config_; }
    IResultSink& ResultSink();
    IHelpService& Help();
    platform::SettingsStore& Store() { return *store_; }
    platform::YRecentFileList& RecentFiles() { return *recent_; }
    ConfigBackup& Backups() { return backups_; }
    const std::vector<std::string>& Tips() const { return tips_; }

    bool CopyToClipboard();
    SplashScreen* Splash() const { return splash_; }
    QWidget* OpenDialog() const;  // the about, settings or tips dialog opened last, while open

protected:
    bool QueryClose() override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void BuildMenus();
    QStyle* MenusStyle();
    void AddMenuEntries(QMenu* menu, const std::vector<MenuEntry>& entries);
    void BuildToolbar();
    void RegisterShellCommands();
    void ApplyBars();
    void ApplyPlacement();
    void OnTick();
    void ForwardToActive(int id);
    void ToggleRouting(int id);
    void TileDocuments(bool sideBySide);
    void ArrangeIcons();
    void ShowAbout();
    void ShowGlobalSettings();
    void ShowTips();
    void ChooseAndOpen();
    void ReopenRecent(int id);
    bool StopBackgroundWork();
    void SaveAtExit();
    ywin::YStdWnd* NewDocument(int kindId);
    void ReportLoadFailure(const IShellDocument& doc, const std::string& path);

    SonbexAppOptions options_;
    std::unique_ptr<platform::SettingsStore> store_;
    std::unique_ptr<platform::YRecentFileList> recent_;
    std::unique_ptr<ywin::YRecentFilesMenu> recentMenu_;
    std::unique_ptr<IHelpService> ownHelp_;
    std::unique_ptr<GuiResultSink> sink_;
    GlobalConfig config_;
    ConfigBackup backups_;
    std::vector<std::string> tips_;

    std::map<int, std::function<void()>> handlers_;
    std::map<int, DocumentFactory> factories_;
    std::map<int, QAction*> actions_;
    std::map<int, QMenu*> menus_;
    std::unique_ptr<QStyle> menuStyle_;
    QAction* recentBefore_ = nullptr;
    bool placeRecentBefore_ = false;
    std::function<bool(const std::string&)> settingsLoader_;
    std::function<bool(const std::string&)> importer_;
    std::vector<IBackgroundWork*> work_;
    std::vector<std::function<void()>> exitSavers_;
    std::vector<std::function<void()>> settingsSteps_, frameSteps_;
    std::array<bool, 10> presetFilled_{};

    bool measuring_ = false;
    bool monochromePrint_ = false;
    bool closing_ = false;
    int timerTicks_ = 0;
    QTimer frameTimer_;
    QPointer<SplashScreen> splash_;
    std::unique_ptr<AboutDialog> about_;
    std::unique_ptr<GlobalSettingsDialog> settingsDialog_;
    std::unique_ptr<TipsDialog> tipsDialog_;
    QPointer<QWidget> lastDialog_;
};

}  // namespace sonbex::shell
