// Identifiers of the settings utility's user-interface texts.
//
// Identifiers up to 200 are language-neutral labels: they live in the Japanese (1041) table
// only and LoadUiString always reads them from there. Identifiers 201 and above are messages
// translated into every UI language. 301 is the preferred font face and exists only for the
// Chinese, Japanese and Korean tables. 504 lives in the French (1036) table alone and is read
// from there whatever the UI language.
#pragma once

#include <windows.h>

// Tab strip: tab i shows string kStrTabMixerInput + i.
constexpr UINT kStrTabMixerInput = 51;    // "MIXER INPUT"
constexpr UINT kStrTabMixerOutput = 52;   // "MIXER OUTPUT"
constexpr UINT kStrTabAsio = 53;          // "ASIO"
constexpr UINT kStrTabAbout = 54;         // "About"

// Input selector positions as the mixer reports them (see kSelectorPositionStringId).
constexpr UINT kStrSelectorLine = 61;       // "LINE"
constexpr UINT kStrSelectorLine2 = 62;      // "LINE" (second line input)
constexpr UINT kStrSelectorDigital = 63;    // "DIGITAL"
constexpr UINT kStrSelectorPhono = 64;      // "PHONO"
constexpr UINT kStrSelectorUsb = 65;        // "USB"
constexpr UINT kStrSelectorCd = 66;         // "CD"
constexpr UINT kStrSelectorUsbA = 67;       // "USB-A"
constexpr UINT kStrSelectorUsbB = 68;       // "USB-B"
constexpr UINT kStrSelectorReturnAux = 69;  // "RETURN AUX"
constexpr UINT kStrSelectorLine3 = 70;      // "LINE" (third line input)
constexpr UINT kStrSelectorNone = 71;       // deliberately absent: loads as an empty text

// Position name of every reported input selector status 0 to 24 (status 4 is USB).
inline constexpr UINT kSelectorPositionStringId[25] = {
    kStrSelectorLine,    kStrSelectorLine2,  kStrSelectorDigital, kStrSelectorPhono,
    kStrSelectorUsb,     kStrSelectorCd,     kStrSelectorUsbA,    kStrSelectorUsbB,
    kStrSelectorReturnAux, kStrSelectorLine3, kStrSelectorNone,   kStrSelectorLine,
    kStrSelectorLine,    kStrSelectorDigital, kStrSelectorUsb,    kStrSelectorCd,
    kStrSelectorUsbA,    kStrSelectorUsbB,   kStrSelectorReturnAux, kStrSelectorLine2,
    kStrSelectorLine2,   kStrSelectorPhono,  kStrSelectorUsb,     kStrSelectorCd,
    kStrSelectorUsbA,
};

// Mixer channels and row captions of the routing pages. The page-0 channel boxes and menu
// items show kStrChannelCh1 + c cut before its first space ("CH1", "CH2", "AUX").
constexpr UINT kStrChannelCh1 = 81;        // "CH1 :"
constexpr UINT kStrChannelCh2 = 82;        // "CH2 :"
constexpr UINT kStrChannelAux = 83;        // "AUX :"
constexpr UINT kStrRowDeck1 = 85;          // "DECK 1/A :"
constexpr UINT kStrRowDeck2 = 86;          // "DECK 2/B :"
constexpr UINT kStrRowSampler = 87;        // "SAMPLER :" (page 0, row 2)
constexpr UINT kStrRowRec = 89;            // "REC :" (page 1, row 2)
constexpr UINT kStrPairUsb12 = 91;         // "USB1/2 :"
constexpr UINT kStrPairUsb34 = 92;         // "USB3/4 :"
constexpr UINT kStrPairUsb56 = 93;         // "USB5/6 :"

// Headings and fixed captions.
constexpr UINT kStrHeadingSoftwareInput = 101;   // "DJ/Production Software Audio Input" (page 1)
constexpr UINT kStrHeadingMixerOutput = 102;     // "Mixer Audio Output" (page 1)
constexpr UINT kStrHeadingUsbOutputLevel = 103;  // "USB Output Level" (page 1)
constexpr UINT kStrConnected = 104;              // "Connected"
constexpr UINT kStrNotConnected = 105;           // "Not Connected"
constexpr UINT kStrHeadingSoftwareOutput = 106;  // "DJ/Production Software Audio Output" (page 0)
constexpr UINT kStrHeadingMixerInput = 107;      // "Mixer Audio Input" (page 0)
constexpr UINT kStrAsioCredit = 109;             // one-line credit for the ASIO technology

// Explanations of the routing pages (wrapped, message font).
constexpr UINT kStrInputRoutingHelp = 201;       // page 0, 230 x 56 at (60, 440)
constexpr UINT kStrInputSelectorHelp = 202;      // page 0, 217 x 70 at (330, 440)
constexpr UINT kStrInputRoutingLocked = 204;     // page 0 while routing is locked, 237 x 42
constexpr UINT kStrOutputRoutingHelp = 211;      // page 1, 230 x 56 at (60, 440)

// ASIO page.
constexpr UINT kStrSamplingRate = 221;           // "Sampling Rate"
constexpr UINT kStrRateFormat = 222;             // "%dHz"
constexpr UINT kStrBufferSize = 223;             // "Buffer Size"
constexpr UINT kStrSamplesFormat = 224;          // "%d Sample"
constexpr UINT kStrLatency = 225;                // "Latency"
constexpr UINT kStrLatencyFormat = 226;          // "%d.%dmsec"
constexpr UINT kStrAsioHelp = 227;               // explanation, wrapped 519 x 100
constexpr UINT kStrStandardSetting = 228;        // "Standard Setting" (button)
constexpr UINT kStrAsioNotInstalled = 230;       // "\n\nThe %s ASIO drivers have not been installed."

// Version page and window title.
constexpr UINT kStrDriverProblem = 251;          // "There is a problem with the driver configuration. ..."
constexpr UINT kStrTitleFormat = 252;            // "%s Setting Utility" (window title, version page)
constexpr UINT kStrUtilityVersion = 253;         // "Utility Version"
constexpr UINT kStrDriverVersion = 254;          // "Driver Version"
constexpr UINT kStrDllVersion = 255;             // "DLL Version"
constexpr UINT kStrFirmwareVersion = 256;        // "Firmware Version"
constexpr UINT kStrVersionValueFormat = 257;     // ": %ws"
constexpr UINT kStrVersion = 258;                // "Version" (the installation's version)

// Preferred UI font face: only in the 1028, 1041, 1042 and 2052 tables.
constexpr UINT kStrFontFace = 301;

// The maker's notice line on the version page: only in the 1036 table.
constexpr UINT kStrNoticeLine = 504;
constexpr LANGID kNoticeLineLanguage = 1036;

// Tables of the UI languages, and the table that holds every label.
inline constexpr LANGID kUiLanguages[12] = {1028, 1031, 1033, 1036, 1040, 1041,
                                            1042, 1043, 1049, 2052, 2070, 3082};
constexpr LANGID kLabelLanguage = 1041;
constexpr UINT kLastLabelId = 200;
