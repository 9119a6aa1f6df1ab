#include "core/model/ParamNames.h"

#include <array>

namespace orb {
namespace {

// By identity; the names the console's pages show, and plain descriptions for the parameters
// that have none of their own (system bytes, blocks, cue fields).
constexpr std::array<const char*, 178> kNames = {
    "",                             // 0
    "Trim",                         // 1
    "Phase SW",                     // 2
    "Delay",                        // 3
    "Delay Unit",                   // 4
    "Delay SW",                     // 5
    "Bus 1 ASSIGN",                 // 6
    "Bus 2 ASSIGN",                 // 7
    "Bus 3 ASSIGN",                 // 8
    "Bus 4 ASSIGN",                 // 9
    "Bus 5 ASSIGN",                 // 10
    "Bus 6 ASSIGN",                 // 11
    "Bus 7 ASSIGN",                 // 12
    "Bus 8 ASSIGN",                 // 13
    "PGM L ASSIGN",                 // 14
    "PGM R ASSIGN",                 // 15
    "Dynamics",                     // 16
    "Dynamics IN",                  // 17
    "Dynamics Pre EQ",              // 18
    "Dynamics Pre/Post EQ",         // 19
    "Auto Gain SW",                 // 20
    "EXP Select",                   // 21
    "EXP/GATE Select SW",           // 22
    "COMP Select",                  // 23
    "COMP/DUCK Select SW",          // 24
    "EXP/GATE IN",                  // 25
    "COMP/DUCK IN",                 // 26
    "EXP/GATE Threshold",           // 27
    "EXP Ratio",                    // 28
    "EXP/GATE Attack",              // 29
    "EXP/GATE Hold",                // 30
    "EXP/GATE Range",               // 31
    "EXP/GATE Release",             // 32
    "COMP/DUCK Threshold",          // 33
    "COMP Ratio",                   // 34
    "COMP/DUCK Attack",             // 35
    "COMP/DUCK Hold",               // 36
    "COMP/DUCK Gain",               // 37
    "DUCK Range",                   // 38
    "COMP/DUCK Release",            // 39
    "COMP Knee",                    // 40
    "Dynamics Key",                 // 41
    "Dynamics Link",                // 42
    "Equalizer",                    // 43
    "Filter",                       // 44
    "Equalizer IN",                 // 45
    "LF IN",                        // 46
    "L IN",                         // 47
    "LM IN",                        // 48
    "HM IN",                        // 49
    "H IN",                         // 50
    "HF IN",                        // 51
    "LF Notch SW",                  // 52
    "L Shelv SW",                   // 53
    "H Shelv SW",                   // 54
    "LF Freq",                      // 55
    "L Freq",                       // 56
    "LM Freq",                      // 57
    "HM Freq",                      // 58
    "H Freq",                       // 59
    "HF Freq",                      // 60
    "L Q",                          // 61
    "LM Q",                         // 62
    "HM Q",                         // 63
    "H Q",                          // 64
    "L Gain",                       // 65
    "LM Gain",                      // 66
    "HM Gain",                      // 67
    "H Gain",                       // 68
    "Aux 1 SW",                     // 69
    "Aux 2 SW",                     // 70
    "Aux 3 SW",                     // 71
    "Aux 4 SW",                     // 72
    "Aux 5 SW",                     // 73
    "Aux 6 SW",                     // 74
    "Aux 7 SW",                     // 75
    "Aux 8 SW",                     // 76
    "Aux 1 Pre SW",                 // 77
    "Aux 2 Pre SW",                 // 78
    "Aux 3 Pre SW",                 // 79
    "Aux 4 Pre SW",                 // 80
    "Aux 5 Pre SW",                 // 81
    "Aux 6 Pre SW",                 // 82
    "Aux 7 Pre SW",                 // 83
    "Aux 8 Pre SW",                 // 84
    "Aux 1 Level",                  // 85
    "Aux 2 Level",                  // 86
    "Aux 3 Level",                  // 87
    "Aux 4 Level",                  // 88
    "Aux 5 Level",                  // 89
    "Aux 6 Level",                  // 90
    "Aux 7 Level",                  // 91
    "Aux 8 Level",                  // 92
    "Aux 1/2 Pan",                  // 93
    "Aux 3/4 Pan",                  // 94
    "Aux 5/6 Pan",                  // 95
    "Aux 7/8 Pan",                  // 96
    "Aux 1/2 Pan SW",               // 97
    "Aux 3/4 Pan SW",               // 98
    "Aux 5/6 Pan SW",               // 99
    "Aux 7/8 Pan SW",               // 100
    "Surround Pan",                 // 101
    "Stereo/Surround Link",         // 102
    "MTR Pan SW",                   // 103
    "MTR Cut",                      // 104
    "Pan SW",                       // 105
    "Cut",                          // 106
    "MTR Pan",                      // 107
    "MTR Level",                    // 108
    "Pan",                          // 109
    "Level",                        // 110
    "Group Fader Level",            // 111
    "Pre/Post",                     // 112
    "Pre EQ",                       // 113
    "Post EQ",                      // 114
    "Post Fader",                   // 115
    "Reverse",                      // 116
    "L + R",                        // 117
    "MS Decode",                    // 118
    "Surround Pan ON",              // 119
    "Surround Pan LR",              // 120
    "Surround Pan FR",              // 121
    "Surroud Div.",                 // 122
    "SW Level",                     // 123
    "SW Gang",                      // 124
    "MTR Pan Gang",                 // 125
    "Fader Group",                  // 126
    "Cut Group",                    // 127
    "SNAPSHOT Isolate",             // 128
    "Input Source",                 // 129
    "Input Routing",                // 130
    "Input Routing",                // 131
    "Input Routing",                // 132
    "Output Routing",               // 133
    "Output Routing",               // 134
    "Output Routing",               // 135
    "Output Routing",               // 136
    "Output Routing",               // 137
    "Output Routing",               // 138
    "Output Routing",               // 139
    "Insertion",                    // 140
    "Insertion",                    // 141
    "Group Type",                   // 142
    "Group On",                     // 143
    "Group Byte 3",                 // 144
    "Under Group Master",           // 145
    "PGM DITHER",                   // 146
    "Dither Shape",                 // 147
    "Isolate Function",             // 148
    "Stereo Link Function",         // 149
    "Surround Link Function",       // 150
    "Surround Link Channel",        // 151
    "Surround Link Mode",           // 152
    "TC MODE",                      // 153
    "MEASURE",                      // 154
    "TEMPO(BPM)",                   // 155
    "OFFSET",                       // 156
    "SYNC CLOCK",                   // 157
    "SYNC CLOCK",                   // 158
    "SYNC CLOCK",                   // 159
    "Word Clock",                   // 160
    "MTR BUS MODE",                 // 161
    "Rx CH",                        // 162
    "Tx CH",                        // 163
    "PC PORT",                      // 164
    "CC MODE",                      // 165
    "CC Rx",                        // 166
    "CC Tx",                        // 167
    "PC Rx",                        // 168
    "PC Tx",                        // 169
    "Function Switch",              // 170
    "MASTER FADERS LOCKED TO 0dB",  // 171
    "MANUAL GROUP",                 // 172
    "Cue Time",                     // 173
    "Cue Flag",                     // 174
    "Recall Kind",                  // 175
    "Recall Reference",             // 176
    "Cue Value",                    // 177
};

}  // namespace

const char* ParamName(int id) {
  return id >= 0 && id < static_cast<int>(kNames.size()) ? kNames[static_cast<std::size_t>(id)]
                                                         : "";
}

}  // namespace orb
