// Read-only commands: status, list, stats, journal.
#include <cstdio>
#include <memory>
#include <new>
#include <string>

#include "rig.h"
#include "common/device_discovery.h"
#include "virtualmixer/client/mixer_paths.h"
#include "virtualmixer/client/request_names.h"

namespace vmixctl {
namespace {

const char* PositionName(uint32_t position)
{
    switch (position) {
    case RKX_SELECTOR_POSITION_PHONO: return "phono";
    case RKX_SELECTOR_POSITION_LINE: return "line";
    case RKX_SELECTOR_POSITION_USB: return "usb";
    default: return "?";
    }
}

const char* RouteName(uint32_t route)
{
    static const char* const kNames[] = {"CH1", "CH2", "AUX"};
    return route < 3 ? kNames[route] : "?";
}

std::string DecoyNames(uint32_t mask)
{
    static const char* const kNames[] = {"other-vendor", "no-render", "global", "wave2", "upper-case"};
    if (mask == 0) return "none";
    std::string text;
    for (uint32_t bit = 0; bit < 5; ++bit) {
        if ((mask & (1u << bit)) == 0) continue;
        if (!text.empty()) text += ' ';
        text += kNames[bit];
    }
    if ((mask & ~VMIX_DECOY_ALL) != 0) text += " (+unknown bits)";
    return text;
}

std::string CodeName(uint32_t code)
{
    const char* name = rkx::vmix::MixerRequestName(code);
    char hex[16];
    std::snprintf(hex, sizeof(hex), "0x%06X", static_cast<unsigned>(code));
    return name != nullptr ? name : hex;
}

std::string Hex(const uint8_t* bytes, uint32_t count)
{
    std::string text;
    char part[4];
    for (uint32_t i = 0; i < count && i < VMIX_PAYLOAD_BYTES; ++i) {
        std::snprintf(part, sizeof(part), i == 0 ? "%02X" : " %02X", bytes[i]);
        text += part;
    }
    return text.empty() ? "-" : text;
}

void PrintMixer(uint32_t index, const VmixMixerState& m)
{
    std::printf("mixer %u: %s\n", index, m.plugged ? "plugged" : "unplugged");
    if (!m.plugged) return;
    std::printf("  selectors: CH1 %s(%u) CH2 %s(%u) AUX %s(%u)\n", PositionName(m.selector[0]), m.selector[0],
                PositionName(m.selector[1]), m.selector[1], PositionName(m.selector[2]), m.selector[2]);
    std::printf("  send sources: %u %u %u %u  receive routes: %s %s %s\n", m.sendSource[0], m.sendSource[1],
                m.sendSource[2], m.sendSource[3], RouteName(m.receiveRoute[0]), RouteName(m.receiveRoute[1]),
                RouteName(m.receiveRoute[2]));
    std::printf("  boost %u  launch answer %u (ask again %u)  partner %u  port info %u  certify %u\n", m.boostLevel,
                m.launchAnswer, m.launchAskAgain, m.partnerActive, m.portInfo, m.certifyLevel);
    char direct[16] = "none";
    if (m.lastDirectWord != 0xFFFFFFFFu) std::snprintf(direct, sizeof(direct), "0x%04X", m.lastDirectWord & 0xFFFF);
    std::printf("  firmware %u.%02u (0x%04X)  last direct word %s\n", (m.firmware >> 8) & 0xFF, m.firmware & 0xFF,
                m.firmware & 0xFFFF, direct);
    std::printf("  stream %s  rate %u  frames %u  output pins %u  open handles %u\n",
                m.streaming ? "running" : "stopped", m.rate, m.frames, m.outputPins, m.openHandles);
}

}  // namespace

int Status(Rig& rig)
{
    if (!rig.args().empty()) return Rig::Usage("status takes no arguments");
    auto* client = rig.Client();
    if (client == nullptr) return kRigFailure;
    VmixStatus status{};
    if (!client->GetStatus(status)) return Rig::Failed("reading the status");
    std::printf("virtual mixer protocol %u, %u mixer slots, decoys %s\n", status.version, status.mixerCount,
                DecoyNames(status.decoys).c_str());
    const uint32_t slots = status.mixerCount < VMIX_MAX_MIXERS ? status.mixerCount : VMIX_MAX_MIXERS;
    for (uint32_t i = 0; i < slots; ++i) PrintMixer(i, status.mixer[i]);
    return kOk;
}

int List(Rig& rig)
{
    if (!rig.args().empty()) return Rig::Usage("list takes no arguments");
    auto* client = rig.Client();
    if (client == nullptr) return kRigFailure;
    std::vector<rkx::vmix::InterfaceInfo> rig_list;
    if (!client->ListInterfaces(rig_list)) return Rig::Failed("listing the interfaces");

    struct Walk {
        const std::vector<rkx::vmix::InterfaceInfo>* known;
        int count = 0;
    } walk{&rig_list};
    std::printf("discovery source: %s\n", rkx::ActiveDiscoverySource() == rkx::DiscoverySource::VirtualMixer
                                              ? "virtual mixer"
                                              : "system device interfaces");
    const bool listed = rkx::EnumerateAudioFilterInterfaces(
        [](const wchar_t* path, bool renderAlias, void* context) {
            auto& w = *static_cast<Walk*>(context);
            std::string owner = "other";
            for (const auto& entry : *w.known) {
                if (entry.path != path) continue;
                owner = entry.decoy() ? "decoy" : "mixer " + std::to_string(entry.mixer);
                break;
            }
            std::printf("%2d %-8s render-alias %-3s %s\n", w.count++, owner.c_str(), renderAlias ? "yes" : "no",
                        rkx::vmix::ToPrintable(path).c_str());
            return true;
        },
        &walk);
    if (!listed) return Rig::Failed("device discovery");
    std::printf("%d interface(s)\n", walk.count);
    return kOk;
}

int Stats(Rig& rig)
{
    if (rig.args().size() > 1) return Rig::Usage("usage: stats [N]");
    std::optional<uint32_t> only;
    if (rig.args().size() == 1) {
        only = Rig::Mixer(rig.args()[0]);
        if (!only) return Rig::Usage("mixer must be 0..3");
    }
    auto* client = rig.Client();
    if (client == nullptr) return kRigFailure;
    VmixStatus status{};
    if (!client->GetStatus(status)) return Rig::Failed("reading the status");
    std::vector<uint32_t> mixers = only ? std::vector<uint32_t>{*only} : rkx::vmix::PluggedMixers(status);
    if (mixers.empty()) std::printf("no mixer is plugged\n");
    for (uint32_t mixer : mixers) {
        VmixStats s{};
        if (!client->GetStats(mixer, s)) return Rig::Failed("reading the counters of mixer " + std::to_string(mixer));
        std::printf("mixer %u\n", mixer);
        for (uint32_t i = 0; i < RKX_CONTROL_REQUEST_COUNT; ++i) {
            if (s.controlRequests[i] != 0)
                std::printf("  %-24s %u\n", CodeName(RKX_FIRST_CONTROL_REQUEST + 4 * i).c_str(), s.controlRequests[i]);
        }
        for (uint32_t i = 0; i < RKX_STREAM_REQUEST_COUNT; ++i) {
            if (s.streamRequests[i] != 0)
                std::printf("  %-24s %u\n", CodeName(RKX_FIRST_STREAM_REQUEST + 4 * i).c_str(), s.streamRequests[i]);
        }
        std::printf("  blocks written %u  read %u\n", s.blocksWritten, s.blocksRead);
        // Who was late: the host (a transfer not queued by its period's deadline) or the
        // mixer's own clock (periods it overslept and skipped).
        std::printf("  host underruns %u  late reads %u  clock slips %u\n", s.hostUnderruns, s.lateReads, s.clockSlips);
        std::printf("  cancelled %u  failed by fault %u  periods %u  stream starts %u\n", s.cancelled, s.failedInjected,
                    s.periods, s.streamStarts);
        std::printf("  period mean %.3f ms  p99 %.3f ms  max %.3f ms\n", s.periodMeanUs / 1000.0, s.periodP99Us / 1000.0,
                    s.periodMaxUs / 1000.0);
        std::printf("  clock lateness mean %.3f ms  p99 %.3f ms  max %.3f ms\n", s.clockLateMeanUs / 1000.0,
                    s.clockLateP99Us / 1000.0, s.clockLateMaxUs / 1000.0);
    }
    return kOk;
}

int Journal(Rig& rig)
{
    if (!rig.args().empty()) return Rig::Usage("journal takes no arguments");
    auto* client = rig.Client();
    if (client == nullptr) return kRigFailure;
    std::unique_ptr<VmixJournal> journal(new (std::nothrow) VmixJournal{});
    if (!journal) return Rig::Failed("allocating");
    if (!client->GetJournal(*journal)) return Rig::Failed("reading the journal");
    const uint32_t count = journal->count < VMIX_JOURNAL_CAPACITY ? journal->count : VMIX_JOURNAL_CAPACITY;
    std::printf("%u request(s) since the last clear, last %u shown\n", journal->totalSequence, count);
    for (uint32_t i = 0; i < count; ++i) {
        const VmixJournalEntry& e = journal->entry[i];
        const std::string who = e.mixer < 0 ? "decoy" : "mixer " + std::to_string(e.mixer);
        std::printf("#%u %s %s in %u [%s] out %u [%s] status 0x%08X\n", e.sequence, who.c_str(), CodeName(e.code).c_str(),
                    e.inputBytes, Hex(e.input, e.inputBytes).c_str(), e.outputBytes, Hex(e.output, e.outputBytes).c_str(),
                    static_cast<unsigned>(e.status));
    }
    return kOk;
}

}  // namespace vmixctl
