#pragma once
// The file and folder choosers of the desktop program (QFileDialog on the GUI
// thread, reached from any thread through the GUI bridge; while shutdown is
// under way a worker's request is cancelled), and the filter handling they
// share with tests:
//   - a '|' filter string ("Text (*.txt)|*.txt;*.dat|All (*.*)|*.*") becomes
//     Qt name filters whose patterns match both letter cases;
//   - a saved name without extension gets the chosen filter's extension
//     (judged on the file-name part only: "/a.b/name" has none).
// Threads: Choose from any thread; the pure functions anywhere.

#include "Platform/IFileChooser.h"

#include <QPointer>
#include <QString>
#include <QStringList>
#include <QWidget>

namespace sonbex::ywin {

class YGuiBridge;

// Each filter as "Label (*.txt *.TXT *.dat *.DAT)"; a "(...)" already ending
// the label is replaced by the patterns.
QStringList ToQtNameFilters(const std::vector<platform::FileFilter>& filters);
// The concrete extension of a filter ("*.sxf" -> ".sxf"); empty for "*.*",
// "*" or patterns with wildcards in the extension.
std::string FilterExtension(const platform::FileFilter& filter);
// `path` with the filter's extension appended when its file-name part has
// none; unchanged otherwise.
std::string WithFilterExtension(const std::string& path, const platform::FileFilter& filter);

class YFileSelect : public platform::IFileChooser {
public:
    explicit YFileSelect(YGuiBridge& bridge, QWidget* parent = nullptr);
    void SetParent(QWidget* parent) { parent_ = parent; }
    std::optional<platform::ChooserResult> Choose(const platform::ChooserRequest& request) override;

private:
    std::optional<platform::ChooserResult> Show(const platform::ChooserRequest& request);

    YGuiBridge& bridge_;
    QPointer<QWidget> parent_;
};

}  // namespace sonbex::ywin
