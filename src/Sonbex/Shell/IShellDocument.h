#pragma once
// What a document window offers the frame beyond drawing (the graph-window
// interface): its kind, loading a native file, the commands the frame
// forwards to it, and taking a data set a worker delivered. Qt-free, so the
// document models can implement it without Qt.
// Threads: the GUI thread only.

#include "Sonbex/Shell/CommandTable.h"
#include "Sonbex/Shell/OpenFailure.h"
#include "Sonbex/Shell/ResultSink.h"

#include <optional>
#include <string>

namespace sonbex::shell {

class IShellDocument {
public:
    virtual ~IShellDocument() = default;

    // The document kind (2044, 2045 ...).
    virtual int KindId() const = 0;
    // Loads a native file; `append` adds it to what the window shows (an .SXF
    // file into an open frequency graph). False when loading failed (the
    // document has told the user why).
    virtual bool LoadFile(const std::string& /*path*/, bool /*append*/) { return false; }
    // Why the last LoadFile failed, for a document that leaves the message to
    // the frame: the frame shows the message with a second line naming the
    // file and the reason ("damaged at byte 1184"). Nothing (the default):
    // the document has told the user itself.
    virtual std::optional<LoadFailure> LastLoadFailure() const { return std::nullopt; }
    // A command the frame forwards (Save, Undo, or a plain command id).
    virtual void OnFrameCommand(int /*commandId*/, ForwardedMessage /*message*/) {}
    // A data set routed here (Append or Replace, or NewWindow for a new window).
    virtual bool TakeResult(const ResultDelivery& /*delivery*/, RouteAction /*action*/) { return false; }
    // The frame's timer tick (about five per second).
    virtual void OnFrameTick() {}
};

}  // namespace sonbex::shell
