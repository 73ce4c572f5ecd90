#include "YWin/YMsgBox.h"

#include "YWin/YGuiBridge.h"

#include <QMessageBox>

#include <memory>

namespace sonbex::ywin {

using platform::PromptAnswer;
using platform::PromptButtons;
using platform::PromptIcon;
using platform::PromptRequest;

namespace {

QMessageBox::StandardButtons ToQt(PromptButtons b) {
    switch (b) {
        case PromptButtons::Ok:
            return QMessageBox::Ok;
        case PromptButtons::OkCancel:
            return QMessageBox::Ok | QMessageBox::Cancel;
        case PromptButtons::YesNo:
            return QMessageBox::Yes | QMessageBox::No;
        case PromptButtons::YesNoCancel:
            return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
        case PromptButtons::RetryCancel:
            return QMessageBox::Retry | QMessageBox::Cancel;
    }
    return QMessageBox::Ok;
}

QMessageBox::Icon ToQt(PromptIcon i) {
    switch (i) {
        case PromptIcon::None:
            return QMessageBox::NoIcon;
        case PromptIcon::Information:
            return QMessageBox::Information;
        case PromptIcon::Warning:
            return QMessageBox::Warning;
        case PromptIcon::Error:
            return QMessageBox::Critical;
        case PromptIcon::Question:
            return QMessageBox::Question;
    }
    return QMessageBox::NoIcon;
}

PromptAnswer FromQt(int button, PromptButtons offered) {
    PromptAnswer a;
    switch (button) {
        case QMessageBox::Ok:
            a = PromptAnswer::Ok;
            break;
        case QMessageBox::Yes:
            a = PromptAnswer::Yes;
            break;
        case QMessageBox::No:
            a = PromptAnswer::No;
            break;
        case QMessageBox::Retry:
            a = PromptAnswer::Retry;
            break;
        default:
            a = PromptAnswer::Cancel;
            break;
    }
    return platform::Offers(offered, a) ? a : platform::SafeAnswer(offered);
}

}  // namespace

YMsgBox::YMsgBox(YGuiBridge& bridge, platform::IPrompt* presenter) : bridge_(bridge), presenter_(presenter) {}

PromptAnswer YMsgBox::Ask(const PromptRequest& request) {
    auto answer = std::make_shared<PromptAnswer>(platform::SafeAnswer(request.buttons));
    if (bridge_.IsGuiThread()) return Present(request);
    bool ok = bridge_.Call([this, answer, request] { *answer = Present(request); });
    return ok ? *answer : platform::SafeAnswer(request.buttons);
}

PromptAnswer YMsgBox::Present(const PromptRequest& request) {
    if (presenter_) return presenter_->Ask(request);
    QMessageBox box(ToQt(request.icon), QString::fromStdString(request.caption),
                    QString::fromStdString(request.text), ToQt(request.buttons), parent_.data());
    return FromQt(box.exec(), request.buttons);
}

}  // namespace sonbex::ywin
