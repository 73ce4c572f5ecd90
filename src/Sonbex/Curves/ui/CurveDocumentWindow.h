#pragma once
// The window that keeps a native curve file open as a document until the
// graph windows of its kind take over: it shows what the file holds, saves
// it again (Save, Save As), undoes changes of frequency curve sets, asks
// before unsaved changes are lost, and opens "Graph Information" (Alt+F1).
// RegisterCurveDocuments hands the frame one factory per file kind, so File
// > Open, the recent files, drag-and-drop and the command line reach the
// loaders.
// Threads: the GUI thread only.

#include "Sonbex/Curves/CurveDocument.h"
#include "Sonbex/Shell/IShellDocument.h"
#include "YWin/IGraphWnd.h"
#include "YWin/YStdWnd.h"

#include <functional>
#include <memory>

namespace sonbex::platform {
class IFileChooser;
class IPrompt;
}  // namespace sonbex::platform

namespace sonbex::shell {
class SonbexApp;
}

namespace sonbex::curves {

struct GraphInfoOptions;

// The window kind (2044 ... 2050) that shows a file type.
int WindowKindOf(CurveFileType type);
// "Frequency Curve", "Impedance Curve" ...: the caption of a window without a title.
std::string DefaultCaption(CurveFileType type);

class CurveDocumentWindow : public ywin::YStdWnd, public shell::IShellDocument, public ywin::IGraphWnd {
    Q_OBJECT
public:
    struct Services {
        platform::IPrompt* prompt = nullptr;
        platform::IFileChooser* chooser = nullptr;
        std::function<bool()> use24Hours;  // the "24 hour time format" option
        bool modalDialogs = true;          // tests open the dialogs modeless
    };
    CurveDocumentWindow(CurveFileType type, Services services, QWidget* parent = nullptr);
    ~CurveDocumentWindow() override;

    CurveDocument& Document() { return doc_; }

    // IShellDocument
    int KindId() const override { return WindowKindOf(doc_.Type()); }
    bool LoadFile(const std::string& path, bool append) override;
    void OnFrameCommand(int commandId, shell::ForwardedMessage message) override;

    // Save: to the file it came from (asks for a name without one); Save As
    // always asks. False when nothing was written.
    bool SaveDocument(bool askForName);
    // Opens "Graph Information" on the first (or only) set.
    void ShowGraphInfo();
    QWidget* OpenDialog() const { return dialog_.get(); }

    bool QueryClose() override;

    // IGraphWnd
    bool CanUndo() const override;
    bool IsModified() const override { return doc_.IsModified(); }
    bool CanSave() const override { return true; }
    void Draw(ywin::YGraphics& graphics, const ywin::YRect& area, unsigned flags) override;
    ywin::YRect GetRect() const override;
    std::string KindName() const override { return DefaultCaption(doc_.Type()); }
    std::string Title() const override;
    std::optional<ywin::YDateTime> AcquireTime() const override;

private:
    void Refresh();
    DataSetHeader* FirstHeader();

    CurveDocument doc_;
    Services services_;
    std::unique_ptr<QWidget> dialog_;
};

// Registers a document factory for each of the six native curve file kinds.
void RegisterCurveDocuments(shell::SonbexApp& app);

}  // namespace sonbex::curves
