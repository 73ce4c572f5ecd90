#pragma once
// Control ids of the measurement settings sheet, its advanced hardware dialog
// and the presets dialog; every control carries the object name "id<NNNN>".

namespace sonbex::measurement::ids {

// Hardware page
inline constexpr int kInDevice = 1101, kOutDevice = 1102, kSampleRate = 1103, kBits = 1104, kChannels = 1105,
                     kAdvanced = 1106, kInputLine = 1107, kMixer = 1108, kDualChannel = 1109,
                     kUseLinearity = 1110, kLinearityStatus = 1111, kCalibrateLinearity = 1112,
                     kCalibrateLevels = 1113, kMeasBox = 1114, kZMethod = 1115, kCalibrateZ = 1116;
// Advanced Soundcard Settings
inline constexpr int kBufferSize = 1131, kBufferCount = 1132, kReverse = 1133, kInvert = 1134,
                     kPhaseCorrection = 1135, kCheck192k = 1136, kNoInputSelect = 1137, kNoInputMute = 1138,
                     kVxd = 1139, kWdm = 1140, kAsio = 1141;
// Generator page
inline constexpr int kStimulus = 1201, kEdit1 = 1211, kEdit2 = 1212, kEdit3 = 1213, kLabel1 = 1214,
                     kLabel2 = 1215, kLabel3 = 1216, kStartValue = 1217, kStopValue = 1218,
                     kStartLabel = 1219, kStopLabel = 1220, kPoints = 1221, kPointsLabel = 1222,
                     kLinearSweep = 1223, kReverseSweep = 1224, kRandomPhase = 1225, kCombo1 = 1226,
                     kCombo1Label = 1227, kWaveFile = 1228, kWaveFileBrowse = 1229, kLevelA = 1230,
                     kLevelB = 1231, kDither = 1232, kTableSweep = 1233, kEq = 1234, kChannelA = 1235,
                     kChannelB = 1236;
// Analyzer page
inline constexpr int kWhat = 1301, kFftSize = 1302, kWindow = 1303, kTimeWindow = 1320, kStartOffset = 1321,
                     kStartMode = 1322, kAddDelay = 1323, kStepAngle = 1330, kSymmetric = 1331,
                     kMirrorHalf = 1332, kHwSettings = 1333, kAverages = 1334, kWarmUp = 1335,
                     kAccuracy = 1336, kInputA = 1337, kInputB = 1338, kLimits = 1339;
// Post Proc. page
inline constexpr int kAdaptiveFilter = 1401, kSmoothFrequency = 1402, kSmoothImpedance = 1403,
                     kPostNote = 1404;
// Microphone page
inline constexpr int kMicrophone = 1501, kSensitivity = 1502, kUseMicComp = 1503, kMicNote = 1504;
// Presets dialog
inline constexpr int kPresetTitle = 1601, kPresetFile = 1602, kPresetNumber = 1603, kPresetEdit = 1604,
                     kPresetBrowse = 1605;
// Each page's "Help"
inline constexpr int kPageHelp = 1099;

}  // namespace sonbex::measurement::ids
