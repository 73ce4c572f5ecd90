#include "Sonbex/Shell/ui/GuiResultSink.h"

#include "Sonbex/Shell/IShellDocument.h"
#include "Sonbex/Shell/ui/SonbexApp.h"
#include "YWin/YStdWnd.h"

#include <QMdiSubWindow>

#include <memory>

namespace sonbex::shell {

bool GuiResultSink::Deliver(const ResultDelivery& delivery) {
    if (app_.Bridge().IsGuiThread()) return DeliverOnGui(delivery);
    auto taken = std::make_shared<bool>(false);
    // The task owns a copy of the delivery: a released worker may be gone.
    const bool ran = app_.Bridge().Call([this, taken, delivery] { *taken = DeliverOnGui(delivery); });
    return ran && *taken;
}

bool GuiResultSink::DeliverOnGui(const ResultDelivery& delivery) {
    const int kind = WindowKindFor(delivery.kind);
    ywin::YStdWnd* target = app_.TopDocument(kind);
    const Route route = RouteResult(delivery.kind, delivery.routingFlags, target != nullptr);
    if (route.action == RouteAction::Drop) return false;
    if (route.action == RouteAction::NewWindow) {
        target = app_.CreateDocumentWindow(kind);
        if (!target) {
            app_.Prompt().Show(kCouldntCreateWindow, platform::PromptIcon::Error);
            return false;
        }
    }
    auto* doc = dynamic_cast<IShellDocument*>(target);
    const bool taken = doc && doc->TakeResult(delivery, route.action);
    if (!taken && route.action == RouteAction::NewWindow && target->SubWindow()) target->SubWindow()->close();
    if (taken && target->SubWindow()) {
        target->update();
        app_.MdiArea()->setActiveSubWindow(target->SubWindow());
    }
    return taken;
}

}  // namespace sonbex::shell
