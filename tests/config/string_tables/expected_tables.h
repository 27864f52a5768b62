// Which identifiers each of the utility's string tables must hold, from string_ids.h.
#pragma once

#include "config/strings/string_ids.h"

#include <set>
#include <vector>

namespace strings_test {

// Translated messages: present in every UI language.
inline const std::vector<UINT> kMessageIds = {
    kStrInputRoutingHelp, kStrInputSelectorHelp, kStrInputRoutingLocked, kStrOutputRoutingHelp,
    kStrSamplingRate,     kStrRateFormat,        kStrBufferSize,         kStrSamplesFormat,
    kStrLatency,          kStrLatencyFormat,     kStrAsioHelp,           kStrStandardSetting,
    kStrAsioNotInstalled, kStrDriverProblem,     kStrTitleFormat,        kStrUtilityVersion,
    kStrDriverVersion,    kStrDllVersion,        kStrFirmwareVersion,    kStrVersionValueFormat,
    kStrVersion,
};

// Language-neutral labels: present in the label table only. kStrSelectorNone stays absent.
inline const std::vector<UINT> kLabelIds = {
    kStrTabMixerInput,   kStrTabMixerOutput,    kStrTabAsio,        kStrTabAbout,
    kStrSelectorLine,    kStrSelectorLine2,     kStrSelectorDigital, kStrSelectorPhono,
    kStrSelectorUsb,     kStrSelectorCd,        kStrSelectorUsbA,   kStrSelectorUsbB,
    kStrSelectorReturnAux, kStrSelectorLine3,
    kStrChannelCh1,      kStrChannelCh2,        kStrChannelAux,     kStrRowDeck1,
    kStrRowDeck2,        kStrRowSampler,        kStrRowRec,         kStrPairUsb12,
    kStrPairUsb34,       kStrPairUsb56,
    kStrHeadingSoftwareInput, kStrHeadingMixerOutput, kStrHeadingUsbOutputLevel,
    kStrConnected,       kStrNotConnected,      kStrHeadingSoftwareOutput,
    kStrHeadingMixerInput, kStrAsioCredit,
};

inline bool HasFontFace(LANGID language)
{
    return language == 1028 || language == 1041 || language == 1042 || language == 2052;
}

inline std::set<UINT> ExpectedIds(LANGID language)
{
    std::set<UINT> ids(kMessageIds.begin(), kMessageIds.end());
    if (language == kLabelLanguage) ids.insert(kLabelIds.begin(), kLabelIds.end());
    if (HasFontFace(language)) ids.insert(kStrFontFace);
    if (language == kNoticeLineLanguage) ids.insert(kStrNoticeLine);
    return ids;
}

}  // namespace strings_test
