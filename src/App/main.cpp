// sonbex3: the desktop program.

#include "App/LevelControl.h"
#include "Sonbex/BoxDesign/ui/DriverToolsWiring.h"
#include "Sonbex/Curves/ui/CurveDocumentWindow.h"
#include "Sonbex/Measurement/ui/MeasurementSubsystem.h"
#include "Sonbex/Shell/CommandLine.h"
#include "Sonbex/Shell/ui/SonbexApp.h"
#include "SonbexVersion.h"

#include <QApplication>
#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>
#include <QTimer>
#include <QWidget>

#include <cfenv>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <iostream>
#include <string>
#include <system_error>
#include <vector>

namespace {

// Qt's own options (-platform, -style ...) are taken out of argv by
// QApplication; only --help and --version are looked for before that, so they
// work without a display.
bool Wants(int argc, char** argv, const char* option) {
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--") return false;
        if (a == option) return true;
    }
    return false;
}

// The picture of the whole screen once the frame is up and the splash screen
// has gone (for checking the program under a virtual display), then the
// program ends: message boxes still open (of the command line's files) are
// closed one by one, then the frame closes as usual. Scheduled before
// start-up, so such a box is in the picture too.
void ScheduleScreenshot(sonbex::shell::SonbexApp& frame, const std::filesystem::path& file, bool& taken) {
    QTimer::singleShot(4000, &frame, [&frame, file, &taken] {
        taken = true;
        QScreen* screen = QGuiApplication::primaryScreen();
        const QPixmap shot = screen ? screen->grabWindow(0) : frame.grab();
        if (!shot.save(QString::fromStdString(file.string())))
            std::cerr << "sonbex3: could not save the screenshot " << file << "\n";
        auto* closer = new QTimer(&frame);
        QObject::connect(closer, &QTimer::timeout, &frame, [&frame, closer] {
            if (QWidget* box = QApplication::activeModalWidget()) {
                box->close();
                return;
            }
            closer->stop();
            frame.close();
            QApplication::quit();
        });
        closer->start(50);
    });
}

}  // namespace

int main(int argc, char** argv) {
    // Taken first: relative paths of the command line refer to this directory,
    // whatever changes the process's current directory later.
    std::error_code ec;
    const std::filesystem::path startDir = std::filesystem::current_path(ec);

    if (Wants(argc, argv, "--help") || Wants(argc, argv, "-h")) {
        std::cout << sonbex::shell::CommandLineUsage("sonbex3");
        return 0;
    }
    if (Wants(argc, argv, "--version")) {
        std::cout << "sonbex3 " << SONBEX_VERSION_STRING << "\n";
        return 0;
    }

    // Arithmetic yields infinities and NaNs instead of traps (the default; made sure).
    std::feclearexcept(FE_ALL_EXCEPT);
    std::srand(static_cast<unsigned>(std::time(nullptr)));

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("sonbex3"));
    QApplication::setApplicationVersion(QStringLiteral(SONBEX_VERSION_STRING));

    std::vector<std::string> args(argv + 1, argv + argc);
    const sonbex::shell::CommandLine line = sonbex::shell::ParseCommandLine(args, startDir);
    if (!line.error.empty()) {
        std::cerr << "sonbex3: " << line.error << "\n" << sonbex::shell::CommandLineUsage("sonbex3");
        return 2;
    }

    sonbex::shell::SonbexApp frame;
    // The subsystems plug their commands, start-up steps, document kinds and
    // exit savers into the frame; they live as long as it does.
    sonbex::measurement::MeasurementSubsystem measurement(frame);
    sonbex::boxdesign::InstallDriverTools(frame, sonbex::platform::Paths{});
    sonbex::curves::RegisterCurveDocuments(frame);
    LevelControl levels(frame);  // the mixers and the "Level's" window
    bool screenshotTaken = false;
    if (!line.screenshot.empty()) ScheduleScreenshot(frame, line.screenshot, screenshotTaken);
    frame.Start(line.files);
    // Taken inside a message box of the start-up: the quit was spent on that box.
    if (screenshotTaken) {
        frame.close();
        return 0;
    }
    return app.exec();
}
