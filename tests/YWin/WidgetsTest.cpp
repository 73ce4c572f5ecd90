#include "GuiTestApp.h"

#include "Platform/NumberText.h"
#include "Platform/PrivateTempDir.h"
#include "Platform/RecordingPrompt.h"
#include "Platform/SettingsStore.h"
#include "Platform/YRegistry.h"
#include "YWin/GridWnd.h"
#include "YWin/IGraphWnd.h"
#include "YWin/QPainterCanvas.h"
#include "YWin/RecordingCanvas.h"
#include "YWin/YDialogItems.h"
#include "YWin/YFileSelect.h"
#include "YWin/YGraphics.h"
#include "YWin/YHourglass.h"
#include "YWin/YPropDlg.h"
#include "YWin/YRecentFilesMenu.h"
#include "YWin/YSpinButton.h"
#include "YWin/YWinApp.h"

#include <QLineEdit>
#include <QLocale>
#include <QWidget>

#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>
#include <thread>

namespace sonbex::ywin {
namespace {

class WidgetsTest : public ::testing::Test {
protected:
    void SetUp() override { test::GuiApp(); }
};

// ---- drawing --------------------------------------------------------------

class Picture : public IGraphWnd {
public:
    void Draw(YGraphics& g, const YRect& area, unsigned) override {
        g.FillRect(area, 0x0000FF);  // red
        g.SetPen(0x00FF00, 2);
        g.MoveTo(1, 1);
        g.LineTo(5, 1);
        g.SetTextColor(0x123456);
        g.Text(area.right, 0, "Hz", kAlignRight | kAlignTop);
        YBitmap bmp{2, 1, {kTransparentColor, 0xFF0000}};  // magenta, blue
        g.Bitmap(bmp, {0, 10, 2, 11});
    }
    YRect GetRect() const override { return {0, 0, 20, 20}; }
    std::string KindName() const override { return "Picture"; }
    std::string Title() const override { return "p"; }
};

TEST_F(WidgetsTest, RecordingCanvasSeesTheDrawingRoutine) {
    Picture p;
    RecordingCanvas canvas({0, 0, 20, 20});
    YGraphics g(canvas);
    p.Draw(g, canvas.Bounds(), kDrawScreen);
    EXPECT_EQ(canvas.OpsOf("fill"), (std::vector<std::string>{"fill 0,0 20,20 0x0000FF"}));
    EXPECT_EQ(canvas.OpsOf("line"), (std::vector<std::string>{"line 1,1 5,1"}));
    EXPECT_EQ(canvas.OpsOf("text"), (std::vector<std::string>{"text 20,0 a=1 c=0x123456 'Hz'"}));
    EXPECT_EQ(canvas.OpsOf("bitmap"), (std::vector<std::string>{"bitmap 2x1 0,10 2,11 transparent"}));
    EXPECT_EQ(canvas.CurrentPen(), (YPen{0x00FF00, 2, PenStyle::Solid}));

    RecordingCanvas mono({0, 0, 20, 20}, true);
    YGraphics gm(mono);
    p.Draw(gm, mono.Bounds(), kDrawPrinting | kDrawMonochrome);
    EXPECT_EQ(mono.OpsOf("fill"), (std::vector<std::string>{"fill 0,0 20,20 0x000000"}))
        << "colours print black";
}

TEST_F(WidgetsTest, PainterCanvasLeavesTransparentPixelsOut) {
    Picture p;
    QImage img = RenderToImage(p, 20, 20, kDrawPicture);
    EXPECT_EQ(img.pixelColor(0, 10), QColor(255, 0, 0)) << "magenta pixel not drawn: the red fill shows";
    EXPECT_EQ(img.pixelColor(1, 10), QColor(0, 0, 255)) << "blue pixel drawn";
    EXPECT_EQ(img.pixelColor(3, 1), QColor(0, 255, 0)) << "the line";
    EXPECT_EQ(ToQColor(0x563412), QColor(0x12, 0x34, 0x56)) << "0x00BBGGRR";
    EXPECT_EQ(FromQColor(QColor(0x12, 0x34, 0x56)), 0x563412u);
}

// ---- dialog fields ----------------------------------------------------------

// A C library locale with a decimal comma: the installed one, else one made
// with localedef in a private folder (found through LOCPATH). False when
// neither works.
bool UseDecimalCommaLocale(std::unique_ptr<platform::PrivateTempDir>& dir) {
    if (!std::setlocale(LC_ALL, "de_DE.UTF-8")) {
        dir = std::make_unique<platform::PrivateTempDir>();
        std::string command =
            "localedef -i de_DE -f UTF-8 '" + dir->Path().string() + "/de_DE.UTF-8' >/dev/null 2>&1";
        if (std::system(command.c_str()) != 0) return false;
        setenv("LOCPATH", dir->Path().c_str(), 1);
        if (!std::setlocale(LC_ALL, "de_DE.UTF-8")) return false;
    }
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%.1f", 2.5);
    return std::string(buffer) == "2,5";
}

// Number text must not follow a decimal-comma locale, neither Qt's default
// locale nor the C library's; and the frame puts LC_NUMERIC back to "C".
TEST_F(WidgetsTest, FieldsIgnoreADecimalCommaLocale) {
    std::unique_ptr<platform::PrivateTempDir> dir;
    bool comma = UseDecimalCommaLocale(dir);
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    QWidget dialog;
    auto* edit = new QLineEdit(&dialog);
    SetItemId(edit, 1433);
    SetItemDouble(&dialog, 1433, 12.5, 1);
    EXPECT_EQ(edit->text(), "12.5") << (comma ? "C library and Qt in German" : "Qt in German only");
    EXPECT_EQ(FormatField(-0.125, 2), "-0.12") << "as printf %.2lf";
    struct Case {
        const char* text;
        std::optional<double> value;
    };
    const Case cases[] = {{"12,5", 12.5},     {"12.5", 12.5},        {" 20 C", 20.0},   {"abc", std::nullopt},
                          {"", std::nullopt}, {"nan", std::nullopt}, {"-3,25e1", -32.5}};
    for (const Case& c : cases) {
        edit->setText(c.text);
        EXPECT_EQ(ItemDouble(&dialog, 1433), c.value) << "'" << c.text << "'";
    }
    EXPECT_EQ(ItemDouble(&dialog, 999), std::nullopt) << "no such item";
    if (comma) {
        platform::RecordingPrompt prompt;
        YWinApp frame(&prompt);
        char buffer[16];
        std::snprintf(buffer, sizeof buffer, "%.1f", 12.5);
        EXPECT_STREQ(buffer, "12.5") << "LC_NUMERIC is C once the frame exists";
    }
    std::setlocale(LC_ALL, "C");
    unsetenv("LOCPATH");
    QLocale::setDefault(QLocale::c());
    if (!comma) GTEST_SKIP() << "no decimal-comma C locale: checked under Qt's German locale only";
}

TEST_F(WidgetsTest, SpinButtonsStepClampAndReadCommas) {
    YFloatSpinButton f(-50.0, 60.0, 0.5, 1);
    f.SetValue(20.0);
    f.stepBy(3);
    EXPECT_EQ(f.Value(), 21.5);
    EXPECT_EQ(f.text(), "21.5");
    f.SetValue(1000);
    EXPECT_EQ(f.Value(), 60.0) << "clamped";
    f.findChild<QLineEdit*>()->setText("12,25");
    emit f.editingFinished();
    EXPECT_EQ(f.Value(), 12.3) << "read with a comma, kept at one decimal";
    f.findChild<QLineEdit*>()->setText("junk");
    emit f.editingFinished();
    EXPECT_EQ(f.Value(), 12.3) << "garbage restores the last value";
    EXPECT_EQ(f.text(), "12.3");

    YFloatTableSpinButton t({100, 120, 1000, 10000}, 0);
    EXPECT_EQ(t.Value(), 100);
    t.stepBy(2);
    EXPECT_EQ(t.Value(), 1000);
    t.stepBy(5);
    EXPECT_EQ(t.Value(), 10000) << "stays at the last entry";
    t.SetValue(130);
    EXPECT_EQ(t.Value(), 120) << "snapped to the nearest entry";

    YIntSpinButton i(1, 8);
    i.stepBy(-3);
    EXPECT_EQ(i.IntValue(), 1);
    i.SetValue(4.6);
    EXPECT_EQ(i.IntValue(), 5);
}

// ---- grid -----------------------------------------------------------------

// A frequency column that must hold positive numbers; the owner normalises
// the text it accepts.
class FrequencyOwner : public IGridOwner {
public:
    bool ValidateCell(int, int column, std::string& text) override {
        if (column != 0) return true;
        auto v = platform::ParseDoubleWhole(text, platform::DecimalMark::PointOrComma);
        if (!v || !(*v > 0)) {
            ++refused;
            return false;
        }
        text = platform::FormatShortest(*v);
        return true;
    }
    void RowsChanged() override { ++rowChanges; }
    int refused = 0;
    int rowChanges = 0;
};

TEST_F(WidgetsTest, GridValidationRefusesABadCell) {
    FrequencyOwner owner;
    YGrid grid({{"Freq", 90}, {"dB", 60}}, &owner);
    grid.SetRowCount(2);
    grid.SetCell(0, 0, "100");
    GridWnd view(grid);
    QAbstractItemModel* model = view.model();
    EXPECT_EQ(model->headerData(0, Qt::Horizontal).toString(), "Freq");
    EXPECT_EQ(model->headerData(1, Qt::Vertical).toString(), "2") << "rows numbered from 1";
    EXPECT_EQ(view.columnWidth(0), 90);

    struct Case {
        const char* typed;
        bool accepted;
        const char* stored;
    };
    const Case cases[] = {{"abc", false, "100"},
                          {"-5", false, "100"},
                          {"", false, "100"},
                          {"12,5", true, "12.5"},
                          {"1e3", true, "1000"}};
    for (const Case& c : cases) {
        EXPECT_EQ(model->setData(model->index(0, 0), QString(c.typed)), c.accepted) << c.typed;
        EXPECT_EQ(grid.Cell(0, 0), c.stored) << c.typed;
        EXPECT_EQ(model->data(model->index(0, 0)).toString().toStdString(), c.stored) << c.typed;
    }
    EXPECT_EQ(owner.refused, 3);

    YPopupMenu onRow = view.PopupFor(1), below = view.PopupFor(-1);
    ASSERT_EQ(onRow.Items().size(), 2u);
    EXPECT_EQ(onRow.Items()[0].second, "&Insert Row");
    EXPECT_EQ(onRow.Items()[1].second, "&Delete Row");
    EXPECT_TRUE(onRow.IsEnabled(kGridDeleteRow));
    EXPECT_FALSE(below.IsEnabled(kGridDeleteRow)) << "nothing to delete below the last row";
    EXPECT_TRUE(view.RunPopupCommand(kGridInsertRow, 0));
    EXPECT_EQ(model->rowCount(), 3);
    EXPECT_EQ(grid.Cell(1, 0), "1000") << "the row moved down";
    EXPECT_TRUE(view.RunPopupCommand(kGridDeleteRow, 0));
    EXPECT_FALSE(view.RunPopupCommand(kGridDeleteRow, 5));
    EXPECT_EQ(model->rowCount(), 2);
    EXPECT_EQ(owner.rowChanges, 2);
}

// ---- property sheets ----------------------------------------------------------

class Page : public YPropSheet {
public:
    explicit Page(bool valid) : valid(valid) {}
    bool OnApply() override {
        ++applied;
        return valid;
    }
    void OnCancel() override { ++cancelled; }
    bool valid;
    int applied = 0;
    int cancelled = 0;
};

TEST_F(WidgetsTest, PropertySheetStaysOpenOnARefusingPage) {
    YPropDlg dlg("Measurement Settings");
    auto* good = new Page(true);
    auto* bad = new Page(false);
    dlg.AddPage(good, "Hardware");
    dlg.AddPage(bad, "Stimulus");
    ASSERT_TRUE(dlg.Create(false));
    dlg.accept();
    EXPECT_TRUE(dlg.IsOpen());
    EXPECT_EQ(dlg.CurrentPage(), 1) << "the refusing page is shown";
    bad->valid = true;
    dlg.accept();
    EXPECT_FALSE(dlg.IsOpen());
    EXPECT_EQ(good->applied, 2);
    ASSERT_TRUE(dlg.Create(false));
    dlg.reject();
    EXPECT_EQ(good->cancelled + bad->cancelled, 2);
}

// ---- file choosers ----------------------------------------------------------

TEST_F(WidgetsTest, FileFiltersMatchBothCasesAndSavedNamesGetTheExtension) {
    auto filters =
        platform::ParseFileFilter("Sonbex Files (*.sxf)|*.sxf|Text|*.txt;*.Dat|All Files (*.*)|*.*||");
    QStringList names = ToQtNameFilters(filters);
    ASSERT_EQ(names.size(), 3);
    EXPECT_EQ(names[0], "Sonbex Files (*.sxf *.SXF)");
    EXPECT_EQ(names[1], "Text (*.txt *.TXT *.Dat *.dat *.DAT)");
    EXPECT_EQ(names[2], "All Files (*.*)");
    struct Case {
        const char* saved;
        int filter;
        const char* expected;
    };
    const Case cases[] = {
        {"/m/woofer", 0, "/m/woofer.sxf"},
        {"/m/woofer.SXF", 0, "/m/woofer.SXF"},
        {"/m.dir/woofer", 0, "/m.dir/woofer.sxf"},  // the folder's dot is no extension
        {"/m/woofer.txt", 0, "/m/woofer.txt"},
        {"/m/notes", 1, "/m/notes.txt"},
        {"/m/any", 2, "/m/any"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(WithFilterExtension(c.saved, filters[c.filter]), c.expected) << c.saved;
}

TEST_F(WidgetsTest, HourglassOnlyOnTheGuiThread) {
    {
        YHourglass wait;
        EXPECT_TRUE(wait.IsShown());
        EXPECT_NE(QApplication::overrideCursor(), nullptr);
    }
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    bool shownOnWorker = true;
    std::thread([&] { shownOnWorker = YHourglass().IsShown(); }).join();
    EXPECT_FALSE(shownOnWorker);
}

TEST_F(WidgetsTest, RecentFilesMenuFollowsTheList) {
    platform::RecordingPrompt prompt;
    platform::SettingsStore store(prompt);
    platform::YRecentFileList list(store, [](const std::string&) { return true; });
    list.Attach(platform::kSettingsRoot);
    QMenu file;
    QAction* exit = file.addAction("E&xit");
    std::vector<int> chosen;
    YRecentFilesMenu menu(list, file, exit, [&](int id) {
        chosen.push_back(id);
        std::string path;
        list.Take(static_cast<std::size_t>(id - platform::YRecentFileList::kFirstCommandId), path);
    });
    EXPECT_EQ(file.actions().size(), 1) << "no entries, no separator";
    list.Add("/m/a.sxf");
    list.Add("/m/b.sxf");
    QList<QAction*> actions = file.actions();
    ASSERT_EQ(actions.size(), 4);
    EXPECT_TRUE(actions[0]->isSeparator());
    EXPECT_EQ(actions[1]->text(), "&1 /m/b.sxf");
    EXPECT_EQ(actions[2]->objectName(), "id151");
    EXPECT_EQ(actions[3], exit);
    actions[2]->trigger();
    QCoreApplication::processEvents();
    EXPECT_EQ(chosen, (std::vector<int>{151}));
    EXPECT_EQ(file.actions()[1]->text(), "&1 /m/a.sxf") << "taken to the front, menu rebuilt";
}

}  // namespace
}  // namespace sonbex::ywin
