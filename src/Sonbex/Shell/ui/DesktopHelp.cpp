#include "Sonbex/Shell/ui/DesktopHelp.h"

#include <QDesktopServices>
#include <QString>
#include <QUrl>

#include <system_error>

namespace sonbex::shell {

DesktopHelp::DesktopHelp(std::filesystem::path folder, platform::IPrompt& prompt)
    : folder_(std::move(folder)), prompt_(prompt) {}

bool DesktopHelp::ShowPage(std::string_view page) {
    std::error_code ec;
    std::filesystem::path file = folder_ / std::string(page);
    if (folder_.empty() || !std::filesystem::is_regular_file(file, ec)) file = folder_ / help::kContents;
    if (folder_.empty() || !std::filesystem::is_regular_file(file, ec)) {
        prompt_.Show(kHelpMissing, platform::PromptIcon::Warning);
        return false;
    }
    return QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(file.string())));
}

}  // namespace sonbex::shell
