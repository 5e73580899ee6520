#pragma once

// Controls of the module panel (dialog 145).
namespace kelvane::res::panel {

// Input A and B.
constexpr int kFreqLabelA = 1048, kFreqLabelB = 1077;
constexpr int kFreqA = 1006, kFreqB = 1024;
constexpr int kSymbolRateA = 1007, kSymbolRateB = 1039;
constexpr int kFecLabelA = 1037, kFecLabelB = 1038;
constexpr int kFecA = 1008, kFecB = 1028;
constexpr int kLampA = 1079, kLampB = 1044;
constexpr int kLevelBarA = 1055, kLevelBarB = 1075;
constexpr int kSnrBarA = 1054, kSnrBarB = 1074;
constexpr int kLevelNumberA = 1025, kSnrNumberA = 1026;
constexpr int kLevelNumberB = 1042, kSnrNumberB = 1041;
constexpr int kLevelCaptionA = 1062, kSnrCaptionA = 1063;
constexpr int kLevelCaptionB = 1078, kSnrCaptionB = 1076;
constexpr int kInputBIcon = 1080, kSymbolRateLabelB = 1081, kMhzLabelB = 1082, kInputBLetter = 1084;
// Beside input A's bars: opens the pair's signal history.
constexpr int kHistoryButton = 1109;

// The player.
constexpr int kPlayerRate = 1101, kPlayerRateLabel = 1047, kPlayerRateCaption = 1103;
constexpr int kPlayerServiceId = 1027, kPlayerServiceName = 1104;
constexpr int kPlayerServiceIdCaption = 1106, kPlayerServiceNameCaption = 1107;

// The schedule.
constexpr int kFileCombo = 1086, kStartPicker = 1087, kEndPicker = 1088;
constexpr int kAddEntry = 1089, kRemoveEntries = 1090, kScheduleList = 1040;
constexpr int kFilePicture = 1083, kTimePicture = 1085;

// The output.
constexpr int kOutputIcon = 1092, kOutputIcon2 = 1098;
constexpr int kSeparator1 = 1099, kSeparator2 = 1100;
constexpr int kOutFreqCaption = 1046;
constexpr int kChannelNumber[4] = {1069, 1070, 1072, 1073};
constexpr int kOutFreq[4] = {1010, 1020, 1021, 1022};
constexpr int kStreamIdCaption = 1060;
constexpr int kStreamId[4] = {1017, 1023, 1034, 1035};
constexpr int kConstellationCaption = 1093, kConstellation = 1014;
constexpr int kBandwidthCaption = 1045, kBandwidth = 1012;
constexpr int kCodeRateCaption = 1094, kCodeRate = 1013;
constexpr int kGuardCaption = 1058, kGuard = 1011;
constexpr int kModeCaption = 1068, kMode = 1015;
constexpr int kLevelAttCaption = 1056, kLevelIcon = 1095, kLevelSlider = 1071, kLevelLabel = 1029;
constexpr int kNitVersionCaption = 1097, kNitVersion = 1018;
constexpr int kNetworkIdCaption = 1059, kNetworkId = 1009;
constexpr int kNetworkNameCaption = 1061, kNetworkName = 1019;
constexpr int kNetworkFrame = 1108;
constexpr int kRemoveCatEmm = 1043;
constexpr int kBandwidthCaptionOf[4] = {1064, 1065, 1066, 1067};
constexpr int kChannelRateBar[4] = {1001, 1002, 1003, 1004};
constexpr int kChannelRateLabel[4] = {1030, 1031, 1032, 1033};

// The service list.
constexpr int kServiceList = 1016;
constexpr int kSidCaption = 1049, kNameCaption = 1050, kUncryptCaption = 1051, kModulationCaption = 1052;
constexpr int kLcnCaption = 1053, kHdLcnCaption = 1057;
constexpr int kRateBar = 1036;

// Fixed labels of the layout, the same in every language.
constexpr int kLetterA = 2001, kMhzLabelA = 2002, kSymbolRateLabelA = 2003, kCaptionBand = 2004;

}  // namespace kelvane::res::panel
