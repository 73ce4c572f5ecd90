#pragma once
// The "Speaker Driver Database" dialog: the drivers as a tree (manufacturer,
// then model) on the left, the selected driver's fields on the right; New,
// Add/Update, Delete, Import Dir., Import File, Export List, Help, Select and
// Cancel. Every change goes to the database at once; it is saved when the
// program closes.
//
// YSpkDbaseMgr owns the process's speaker database and opens the dialog;
// it lives as long as the application, the dialog only while it is open.
// Threads: the GUI thread only.

#include "Platform/IFileChooser.h"
#include "Platform/IPrompt.h"
#include "Sonbex/BoxDesign/DriverEdit.h"
#include "Sonbex/BoxDesign/YSpeakerData.h"
#include "YWin/YDial.h"

#include <QObject>

#include <functional>
#include <memory>

class QTreeWidget;
class QTreeWidgetItem;

namespace sonbex::boxdesign {

inline constexpr int kIdDriverTree = 1000;
inline constexpr int kIdManufacturer = 1001;
inline constexpr int kIdModel = 1002;
inline constexpr int kIdFs = 1003;
inline constexpr int kIdVas = 1004;
inline constexpr int kIdQms = 1005;
inline constexpr int kIdQes = 1006;
inline constexpr int kIdQts = 1007;
inline constexpr int kIdSd = 1008;
inline constexpr int kIdVd = 1009;
inline constexpr int kIdXmax = 1010;
inline constexpr int kIdRevc = 1011;
inline constexpr int kIdLevc = 1012;
inline constexpr int kIdComment = 1013;
inline constexpr int kIdNewDriver = 1020;
inline constexpr int kIdAddUpdate = 1021;
inline constexpr int kIdDeleteDriver = 1022;
inline constexpr int kIdImportDir = 1023;
inline constexpr int kIdImportFile = 1024;
inline constexpr int kIdExportList = 1025;
inline constexpr int kIdDriverHelp = 1026;
inline constexpr int kIdSelect = 1;
inline constexpr int kIdCancelDriver = 2;

inline constexpr const char* kDeleteDriverQuestion = "Are you sure you want to delete this driver ? ";
inline constexpr const char* kImportTitle = "Import to Speaker Database";
inline constexpr const char* kImportFilter = "Sonbex Analyzer 1/2 (*.spk)|*.spk|All Files (*.*)|*.*|";
inline constexpr const char* kExportTitle = "Export from Speaker Database";
inline constexpr const char* kExportFilter = "Text Files (*.txt)|*.txt|All Files (*.*)|*.*|";

class SpeakerDatabaseDialog : public ywin::YDial {
    Q_OBJECT
public:
    // `db`, `prompt` and `chooser` must outlive the dialog; `help` may be empty.
    SpeakerDatabaseDialog(YSpeakerData& db, platform::IPrompt& prompt, platform::IFileChooser& chooser,
                          std::function<void()> help, DriverId current, QWidget* parent = nullptr);

    DriverId CurrentDriver() const { return current_; }
    // The button handlers (public for tests and the keyboard).
    void NewDriver();
    void AddOrUpdate();
    void DeleteDriver();
    void ImportDirectory();
    void ImportFile();
    void ExportList();
    void SelectItem(QTreeWidgetItem* item);
    QTreeWidget* Tree() const { return tree_; }

protected:
    void OnInit() override;

private:
    void FillTree();
    void ShowDriver(const DriverRecord* record);
    DriverFields ReadFields() const;
    void AfterImport(int before);

    YSpeakerData& db_;
    platform::IPrompt& prompt_;
    platform::IFileChooser& chooser_;
    std::function<void()> help_;
    DriverId current_;
    QTreeWidget* tree_;
};

class YSpkDbaseMgr : public QObject {
    Q_OBJECT
public:
    YSpkDbaseMgr(platform::IPrompt& prompt, platform::IFileChooser& chooser, std::function<void()> help,
                 QObject* parent = nullptr);
    ~YSpkDbaseMgr() override;

    YSpeakerData& Data() { return db_; }
    // Opens the dialog modally with `current` selected: the driver chosen with
    // Select, kNoDriver when cancelled.
    DriverId SelectDriver(DriverId current, QWidget* parent);
    // Opens it without waiting (tests); the dialog while it is open.
    SpeakerDatabaseDialog* OpenModeless(DriverId current, QWidget* parent);

private:
    YSpeakerData db_;
    platform::IPrompt& prompt_;
    platform::IFileChooser& chooser_;
    std::function<void()> help_;
    std::unique_ptr<SpeakerDatabaseDialog> modeless_;
};

}  // namespace sonbex::boxdesign
