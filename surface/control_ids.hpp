// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 DP3tools maintainers

#pragma once

// Dialog control ids. Window logic addresses controls only through these,
// so the Qt front end and the tests' plain map agree on every control.
namespace dp3::id {

// Dialog templates.
inline constexpr int kMainDialog = 1001;
inline constexpr int kPortDialog = 1002;
inline constexpr int kUploaderDialog = 1003;
inline constexpr int kAboutDialog = 1004;
inline constexpr int kRttyDialog = 1005;

// Main window (1001): message editor.
inline constexpr int kMsg1 = 4001;       // 4001-4006: messages 1-6 (bank 1)
inline constexpr int kMsg7 = 4080;       // 4080-4085: messages 7-12 (bank 2)
inline constexpr int kMsgLabel1 = 4062;  // 4062-4067: "Msg 1".."Msg 6"
inline constexpr int kMsgLabel7 = 4086;  // 4086-4091: "Msg 7".."Msg 12"
inline constexpr int kCallsignUser1 = 4071;
inline constexpr int kCallsignUser2 = 4072;
inline constexpr int kBank1 = 4007;
inline constexpr int kBank2 = 4008;
inline constexpr int kUser1 = 4068;
inline constexpr int kUser2 = 4069;

// Main window: mode check boxes.
inline constexpr int kSwap = 4014;
inline constexpr int kAutoSpace = 4015;
inline constexpr int kCtSpace = 4016;
inline constexpr int kCut0 = 4017;
inline constexpr int kCut9 = 4018;
inline constexpr int kPdlToneOnly = 4019;
inline constexpr int kPdlWdOff = 4020;
inline constexpr int kPaddleMute = 4021;
inline constexpr int kFastCmd = 4022;
inline constexpr int kTune50 = 4023;
inline constexpr int kSo2r = 4024;
inline constexpr int kFaveWpmOff = 4101;

// Main window: number boxes.
inline constexpr int kMaxWpm = 4025;
inline constexpr int kMinWpm = 4027;
inline constexpr int kCmdWpm = 4029;
inline constexpr int kCurWpm = 4033;
inline constexpr int kRatio = 4031;
inline constexpr int kKeyComp = 4035;
inline constexpr int kPdlSample = 4037;
inline constexpr int kFirstExtension = 4097;
inline constexpr int kWeight = 4039;
inline constexpr int kLeadIn = 4041;
inline constexpr int kTail = 4043;
inline constexpr int kFarnsWpm = 4045;
inline constexpr int kLtrSpace = 4047;
inline constexpr int kStVolume = 4100;
inline constexpr int kSerialNumber = 4096;
inline constexpr int kStFreq = 4073;

// Main window: lists.
inline constexpr int kKeyerMode = 4049;
inline constexpr int kOutputSelection = 4053;
inline constexpr int kPaddleHang = 4054;

// Main window: buttons.
inline constexpr int kReadDp = 4013;
inline constexpr int kWriteDp = 4012;
inline constexpr int kTestDp = 4011;
inline constexpr int kFwUpdate = 4010;
inline constexpr int kSetComPort = 4009;
inline constexpr int kRtty = 4103;
inline constexpr int kAbout = 4094;
inline constexpr int kReadConfigFile = 4092;
inline constexpr int kWriteConfigFile = 4093;
inline constexpr int kResetDefaults = 4051;
inline constexpr int kExit = 4;

// Main window: status fields.
inline constexpr int kBytesLeft = 4058;
inline constexpr int kOperationStatus = 4059;
inline constexpr int kPotValue = 4060;
inline constexpr int kVolts = 4070;
inline constexpr int kPushButtons = 4075;
inline constexpr int kInterfaceStatus = 4061;
inline constexpr int kFileName = 4057;
inline constexpr int kCallsignLabel = 4077;
// 4107-4122, 4099, 4104, 4125: the labels of the number boxes and lists.
inline constexpr int kMaxWpmLabel = 4107;
inline constexpr int kMinWpmLabel = 4108;
inline constexpr int kCmdWpmLabel = 4109;
inline constexpr int kCurWpmLabel = 4110;
inline constexpr int kRatioLabel = 4111;
inline constexpr int kWeightLabel = 4112;
inline constexpr int kKeyCompLabel = 4113;
inline constexpr int kFirstExtensionLabel = 4114;
inline constexpr int kPdlSampleLabel = 4115;
inline constexpr int kFarnsWpmLabel = 4116;
inline constexpr int kLeadInLabel = 4117;
inline constexpr int kTailLabel = 4118;
inline constexpr int kLtrSpaceLabel = 4119;
inline constexpr int kStVolumeLabel = 4120;
inline constexpr int kStFreqLabel = 4121;
inline constexpr int kSerialNumberLabel = 4122;
inline constexpr int kKeyerModeLabel = 4099;
inline constexpr int kOutputSelectionLabel = 4104;
inline constexpr int kPaddleHangLabel = 4125;
inline constexpr int kComPortLabel = 4074;
inline constexpr int kIcLine = 4079;
inline constexpr int kConfigGroup = 4055;
inline constexpr int kEditorGroup = 4056;

// Comm port window (1002).
inline constexpr int kPortList = 4026;
inline constexpr int kPortOk = 1;
inline constexpr int kPortExit = 403;
inline constexpr int kPortPath = 4130;    // the device path, as chosen or typed
inline constexpr int kFindKeyer = 4131;   // probe every port for the keyer
inline constexpr int kPortStatus = 4132;  // what the window found, or why not
inline constexpr int kPortListLabel = 4150;
inline constexpr int kPortPathLabel = 4151;

// Firmware uploader window (1003).
inline constexpr int kLoadBin = 2;
inline constexpr int kProgram = 4028;
inline constexpr int kUploaderExit = 4040;
inline constexpr int kUploadProgress = 4032;
inline constexpr int kUploadLog = 4034;
inline constexpr int kUploadStatus = 4036;
inline constexpr int kUploadPath = 4038;
inline constexpr int kUploadFileError = 4037;  // where and why a firmware file did not load

// About window (1004).
inline constexpr int kAboutVersion = 4030;
inline constexpr int kAboutSystem = 4042;
inline constexpr int kVerboseMode = 4048;
inline constexpr int kAboutGuide = 4096;
inline constexpr int kAboutOk = 1;
inline constexpr int kTraceBox = 4133;   // "Trace": log the keyer's line to a file
inline constexpr int kTraceFile = 4134;  // where the trace goes

// RTTY window (1005).
inline constexpr int kRttyEnable = 4044;
inline constexpr int kRttyDiddle = 4050;
inline constexpr int kRttyFskMap = 4052;
inline constexpr int kRttyAutoCrLf = 4056;
inline constexpr int kRttyReverse = 4123;
inline constexpr int kRttyBaudRate = 4076;
inline constexpr int kRttyDiddleIs = 4078;
inline constexpr int kRttyStopBits = 4098;
inline constexpr int kRttyUsos = 4102;
inline constexpr int kRttyOk = 4106;
inline constexpr int kRttyCancel = 4105;
inline constexpr int kRttyBaudRateLabel = 4152;
inline constexpr int kRttyDiddleIsLabel = 4153;
inline constexpr int kRttyStopBitsLabel = 4154;
inline constexpr int kRttyUsosLabel = 4155;

// Main window: the sound of the message editor's texts. One Play button and one
// duration beside each place of the editor; the place plays the box shown there.
inline constexpr int kPlayMsg1 = 4130;  // 4130-4135: message places 1-6
inline constexpr int kPlayCallsign = 4136;
inline constexpr int kStopPlay = 4137;
inline constexpr int kMsgDuration1 = 4140;  // 4140-4145: message places 1-6
inline constexpr int kCallsignDuration = 4146;

}  // namespace dp3::id
