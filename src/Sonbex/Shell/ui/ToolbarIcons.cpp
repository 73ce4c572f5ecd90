#include "Sonbex/Shell/ui/ToolbarIcons.h"

#include "Sonbex/Shell/CommandTable.h"
#include "YWin/YToolIcon.h"

#include <QFile>

// The resources live in a static library: named once so the linker keeps them.
static void InitToolbarIconResources() {
    static const bool done = [] {
        Q_INIT_RESOURCE(ToolbarIcons);
        return true;
    }();
    (void)done;
}

namespace sonbex::shell {
namespace {

struct Glyph {
    int id;
    const char* file;   // in the resources
    const char* theme;  // the freedesktop icon name
};

constexpr Glyph kGlyphs[] = {
    {cmd::kOpen, "open", "document-open"},
    {cmd::kSave, "save", "document-save"},
    {cmd::kCopy, "copy", "edit-copy"},
    {cmd::kPrint, "print", "document-print"},
    {cmd::kStartMeasurement, "measure", "media-playback-start"},
    {cmd::kStopMeasurement, "stop", "media-playback-stop"},
    {cmd::kMeasurementSettings, "settings", "preferences-system"},
    {cmd::kLevels, "levels", "audio-volume-high"},
    {cmd::kNewBoxDesign, "boxdesign", "audio-speakers"},
    {cmd::kNewCrossover, "crossover", "insert-object"},
    {cmd::kTileSideBySide, "tilevertical", "view-split-left-right"},
    {cmd::kCascade, "cascade", "window-duplicate"},
    {cmd::kHelpContents, "help", "help-contents"},
};

const Glyph* FindGlyph(int id) {
    for (const Glyph& g : kGlyphs)
        if (g.id == id) return &g;
    return nullptr;
}

}  // namespace

QString ToolbarIconResource(int id) {
    InitToolbarIconResources();
    const Glyph* g = FindGlyph(id);
    return g ? QStringLiteral(":/sonbex/toolbar/%1.svg").arg(QLatin1String(g->file)) : QString();
}

QString ToolbarThemeIconName(int id) {
    const Glyph* g = FindGlyph(id);
    return g ? QString::fromLatin1(g->theme) : QString();
}

bool ThemeHasEveryToolbarIcon() {
    for (int id : ToolbarCommands())
        if (id != 0 && !QIcon::hasThemeIcon(ToolbarThemeIconName(id))) return false;
    return true;
}

QIcon ToolbarIcon(int id, bool fromTheme) {
    const QString resource = ToolbarIconResource(id);
    QIcon source = fromTheme ? QIcon::fromTheme(ToolbarThemeIconName(id)) : QIcon();
    if (source.isNull() && !resource.isEmpty() && QFile::exists(resource)) source = QIcon(resource);
    return source.isNull() ? QIcon() : ywin::MakeToolIcon(source);
}

}  // namespace sonbex::shell
