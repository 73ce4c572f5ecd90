#include "YWin/YFileSelect.h"

#include "Platform/Paths.h"
#include "YWin/YGuiBridge.h"

#include <QFileDialog>
#include <QRegularExpression>

#include <cctype>
#include <memory>

namespace sonbex::ywin {

using platform::ChooserKind;
using platform::ChooserRequest;
using platform::ChooserResult;
using platform::FileFilter;

namespace {

std::string ToCase(std::string s, int (*f)(int)) {
    for (char& c : s) c = static_cast<char>(f(static_cast<unsigned char>(c)));
    return s;
}

}  // namespace

QStringList ToQtNameFilters(const std::vector<FileFilter>& filters) {
    static const QRegularExpression trailingPatterns(QStringLiteral("\\s*\\([^()]*\\)\\s*$"));
    QStringList out;
    for (const FileFilter& f : filters) {
        QStringList patterns;
        for (const std::string& p : f.patterns) {
            for (const std::string& variant : {p, ToCase(p, ::tolower), ToCase(p, ::toupper)}) {
                QString q = QString::fromStdString(variant);
                if (!patterns.contains(q)) patterns << q;
            }
        }
        QString label = QString::fromStdString(f.label).remove(trailingPatterns);
        out << label + QStringLiteral(" (") + patterns.join(QLatin1Char(' ')) + QLatin1Char(')');
    }
    return out;
}

std::string FilterExtension(const FileFilter& filter) {
    if (filter.patterns.empty()) return {};
    const std::string& p = filter.patterns.front();
    if (!p.starts_with("*.") || p.size() < 3) return {};
    std::string ext = p.substr(1);
    if (ext.find_first_of("*?[") != std::string::npos) return {};
    return ext;
}

std::string WithFilterExtension(const std::string& path, const FileFilter& filter) {
    if (!platform::Extension(path).empty() || platform::FileNamePart(path).empty()) return path;
    return path + FilterExtension(filter);
}

YFileSelect::YFileSelect(YGuiBridge& bridge, QWidget* parent) : bridge_(bridge), parent_(parent) {}

std::optional<ChooserResult> YFileSelect::Choose(const ChooserRequest& request) {
    if (bridge_.IsGuiThread()) return Show(request);
    auto result = std::make_shared<std::optional<ChooserResult>>();
    if (!bridge_.Call([this, result, request] { *result = Show(request); })) return std::nullopt;
    return *result;
}

std::optional<ChooserResult> YFileSelect::Show(const ChooserRequest& request) {
    QString title = QString::fromStdString(request.title);
    QString initial = QString::fromStdString(request.initial.string());
    if (request.kind == ChooserKind::Folder) {
        QString dir = QFileDialog::getExistingDirectory(parent_.data(), title, initial);
        if (dir.isEmpty()) return std::nullopt;
        return ChooserResult{dir.toStdString(), 0};
    }
    std::vector<FileFilter> filters = platform::ParseFileFilter(request.filter);
    QStringList names = ToQtNameFilters(filters);
    QString selected;
    if (request.filterIndex >= 0 && request.filterIndex < names.size()) selected = names[request.filterIndex];
    QString joined = names.join(QStringLiteral(";;"));
    QString chosen = request.kind == ChooserKind::OpenFile
                         ? QFileDialog::getOpenFileName(parent_.data(), title, initial, joined, &selected)
                         : QFileDialog::getSaveFileName(parent_.data(), title, initial, joined, &selected);
    if (chosen.isEmpty()) return std::nullopt;
    ChooserResult result{chosen.toStdString(), std::max<int>(0, static_cast<int>(names.indexOf(selected)))};
    if (request.kind == ChooserKind::SaveFile) {
        std::string path = result.path.string();
        if (result.filterIndex < static_cast<int>(filters.size()))
            path = WithFilterExtension(path, filters[result.filterIndex]);
        if (platform::Extension(path).empty() && !request.defaultExtension.empty())
            path += request.defaultExtension;
        result.path = path;
    }
    return result;
}

}  // namespace sonbex::ywin
