// The console's parameter numbers, as GetParam and SetParam take them: the channel strip's
// parameters, then those the system data alone holds, then the cue list's.
#pragma once

namespace orb {

// ---- input -----------------------------------------------------------------------------
inline constexpr int kParamTrim = 1;
inline constexpr int kParamPhase = 2;
inline constexpr int kParamDelay = 3;
inline constexpr int kParamDelayUnit = 4;  // one unit for all input channels
inline constexpr int kParamDelayOn = 5;

// ---- bus assigns: bus n (0 to 7) at kParamBusAssign + n --------------------------------
inline constexpr int kBusAssigns = 8;
inline constexpr int kParamBusAssign = 6;
inline constexpr int kParamPgmAssignL = 14;
inline constexpr int kParamPgmAssignR = 15;

// ---- dynamics block --------------------------------------------------------------------
inline constexpr int kParamDynamicsBlock = 16;  // the block's address, for the graph
inline constexpr int kParamDynamicsOn = 17;
inline constexpr int kParamDynamicsPreEq = 18;  // 1 - kParamDynamicsPostEq
inline constexpr int kParamDynamicsPostEq = 19;
inline constexpr int kParamAutoGain = 20;
inline constexpr int kParamExpChosen = 21;  // 1 - kParamExpGateSelect
inline constexpr int kParamExpGateSelect = 22;
inline constexpr int kParamCompChosen = 23;  // 1 - kParamCompDuckSelect
inline constexpr int kParamCompDuckSelect = 24;
inline constexpr int kParamExpGateOn = 25;
inline constexpr int kParamCompDuckOn = 26;
inline constexpr int kParamExpGateThreshold = 27;
inline constexpr int kParamExpRatio = 28;
inline constexpr int kParamExpGateAttack = 29;
inline constexpr int kParamExpGateHold = 30;
inline constexpr int kParamExpGateRange = 31;
inline constexpr int kParamExpGateRelease = 32;
inline constexpr int kParamCompDuckThreshold = 33;
inline constexpr int kParamCompRatio = 34;
inline constexpr int kParamCompDuckAttack = 35;
inline constexpr int kParamCompDuckHold = 36;
inline constexpr int kParamCompDuckGain = 37;
inline constexpr int kParamDuckRange = 38;
inline constexpr int kParamCompDuckRelease = 39;
inline constexpr int kParamCompKnee = 40;
inline constexpr int kParamDynamicsKey = 41;   // the channel that keys the dynamics
inline constexpr int kParamDynamicsLink = 42;  // to the next channel
inline constexpr int kParamDynamicsFirst = kParamDynamicsBlock;
inline constexpr int kParamDynamicsLast = kParamDynamicsLink;

// ---- EQ block: the filters and the bands L, LM, HM, H ----------------------------------
inline constexpr int kParamEqBlock = 43;      // the bands' address, for the graph
inline constexpr int kParamFilterBlock = 44;  // the filters' address, for the graph
inline constexpr int kParamEqOn = 45;
inline constexpr int kParamLfFilterOn = 46;
inline constexpr int kParamEqLowOn = 47;
inline constexpr int kParamEqLowMidOn = 48;
inline constexpr int kParamEqHighMidOn = 49;
inline constexpr int kParamEqHighOn = 50;
inline constexpr int kParamHfFilterOn = 51;
inline constexpr int kParamLfNotch = 52;
inline constexpr int kParamEqLowShelf = 53;
inline constexpr int kParamEqHighShelf = 54;
inline constexpr int kParamLfFilterFreq = 55;
inline constexpr int kParamEqLowFreq = 56;
inline constexpr int kParamEqLowMidFreq = 57;
inline constexpr int kParamEqHighMidFreq = 58;
inline constexpr int kParamEqHighFreq = 59;
inline constexpr int kParamHfFilterFreq = 60;
inline constexpr int kParamEqLowQ = 61;
inline constexpr int kParamEqLowMidQ = 62;
inline constexpr int kParamEqHighMidQ = 63;
inline constexpr int kParamEqHighQ = 64;
inline constexpr int kParamEqLowGain = 65;
inline constexpr int kParamEqLowMidGain = 66;
inline constexpr int kParamEqHighMidGain = 67;
inline constexpr int kParamEqHighGain = 68;
inline constexpr int kParamEqFirst = kParamEqBlock;
inline constexpr int kParamEqLast = kParamEqHighGain;

// ---- AUX sends: send n (0 to 7) at first + n; the pans per pair p of sends 2p, 2p + 1 ---
inline constexpr int kAuxSends = 8;
inline constexpr int kAuxSendPairs = 4;
inline constexpr int kParamAuxOn = 69;
inline constexpr int kParamAuxPre = 77;
inline constexpr int kParamAuxLevel = 85;
inline constexpr int kParamAuxPan = 93;
inline constexpr int kParamAuxPanOn = 97;

// ---- pan, cut, faders and links --------------------------------------------------------
inline constexpr int kParamSurroundPanGraph = 101;  // the byte of kParamSurroundPanOn
inline constexpr int kParamLinkMode = 102;          // of the pair: kMono, kStereo, kSurround
inline constexpr int kParamMtrPanOn = 103;
inline constexpr int kParamMtrCut = 104;
inline constexpr int kParamPanOn = 105;
inline constexpr int kParamCut = 106;
inline constexpr int kParamMtrPan = 107;
inline constexpr int kParamMtrLevel = 108;
inline constexpr int kParamPan = 109;
inline constexpr int kParamFaderLevel = 110;
inline constexpr int kParamGroupFaderLevel = 111;  // hundredths of a dB
// "Pre/Post" (0 pre EQ, 1 post EQ, 2 post fader) and its three values as switches.
inline constexpr int kParamPrePost = 112;
inline constexpr int kParamPreEqChoice = 113;
inline constexpr int kParamPostEqChoice = 114;
inline constexpr int kParamPostFaderChoice = 115;
// The stereo link functions of an input pair.
inline constexpr int kParamStereoReverse = 116;
inline constexpr int kParamStereoLPlusR = 117;
inline constexpr int kParamStereoMsDecode = 118;
inline constexpr int kParamSurroundPanOn = 119;
inline constexpr int kParamSurroundPanLR = 120;
inline constexpr int kParamSurroundPanFR = 121;
inline constexpr int kParamSurroundDivergence = 122;
inline constexpr int kParamSwLevel = 123;
inline constexpr int kParamSwGang = 124;      // kParamMtrLevel and kParamSwLevel move together
inline constexpr int kParamMtrPanGang = 125;  // kParamSurroundPanLR and kParamMtrPan together
// Group memberships: 0 none, g + 1 fader group g.
inline constexpr int kParamFaderGroup = 126;
inline constexpr int kParamCutGroup = 127;
inline constexpr int kParamSnapshotIsolate = 128;
inline constexpr int kParamInputSource = 129;

// ---- the system data's own: the channel number picks an element ------------------------
// Routing, by the row of the INPUT ASSIGN and OUTPUT ASSIGN pages they fill.
inline constexpr int kParamInputRouting3 = 130;
inline constexpr int kParamInputRouting4 = 131;
inline constexpr int kParamInputRoutingSingle = 132;
inline constexpr int kParamOutputRouting = 133;  // five rows: row r at kParamOutputRouting + r
inline constexpr int kParamOutputRouting6 = 138;
inline constexpr int kParamMadiOutput = 139;
inline constexpr int kParamInsertion = 140;
inline constexpr int kParamInsertionSwitch = 141;
// The fader groups' bytes; the element is the group.
inline constexpr int kParamGroupType = 142;
inline constexpr int kParamGroupOn = 143;
inline constexpr int kParamGroupVcaMaster = 144;
// 1 where the fader follows its group-fader level (read only).
inline constexpr int kParamUnderGroupMaster = 145;
inline constexpr int kParamDitherLength = 146;
inline constexpr int kParamDitherShape = 147;
inline constexpr int kParamIsolateFunction = 148;
inline constexpr int kParamStereoLinkFunction = 149;
inline constexpr int kParamSurroundLinkFunction = 150;
inline constexpr int kParamSurroundLinkMask = 151;
inline constexpr int kParamSurroundLinkMode = 152;
inline constexpr int kParamTcMode = 153;
inline constexpr int kParamMeasure = 154;
inline constexpr int kParamTempo = 155;
inline constexpr int kParamOffset = 156;
// The sync clock as three switches, and the word clock source and reference.
inline constexpr int kParamSyncInternal = 157;
inline constexpr int kParamSyncVideo = 158;
inline constexpr int kParamSyncWord = 159;
inline constexpr int kParamWordClock = 160;
inline constexpr int kParamMtrBusMode = 161;
inline constexpr int kParamMidiRxChannel = 162;
inline constexpr int kParamMidiTxChannel = 163;
inline constexpr int kParamMidiPcPort = 164;
inline constexpr int kParamMidiCcMode = 165;
inline constexpr int kParamMidiCcRx = 166;
inline constexpr int kParamMidiCcTx = 167;
inline constexpr int kParamMidiPcRx = 168;
inline constexpr int kParamMidiPcTx = 169;
inline constexpr int kParamSetupFunction = 170;  // "TB HOLD" … "TOUCH HOLD"
inline constexpr int kParamMasterLocked = 171;   // to 0 dB: PGM, AUX, MTR
inline constexpr int kParamManualGroup = 172;
// The ids only the system data holds: this range, kParamGroupFaderLevel, kParamSnapshotIsolate.
inline constexpr int kParamSystemFirst = kParamInputRouting3;
inline constexpr int kParamSystemLast = kParamManualGroup;

// ---- cue list: the channel number is the cue -------------------------------------------
inline constexpr int kParamCueTime = 173;
inline constexpr int kParamCueTcLink = 174;
inline constexpr int kParamCueEvent = 175;        // what the cue recalls
inline constexpr int kParamCueEventNumber = 176;  // the recalled record's position from 1
inline constexpr int kParamCueChannel = 177;
inline constexpr int kParamCueEventName = 178;  // the byte of kParamCueEventNumber

// Tables indexed by id hold every id below this.
inline constexpr int kParamIdLimit = kParamCueEventName + 1;

}  // namespace orb
