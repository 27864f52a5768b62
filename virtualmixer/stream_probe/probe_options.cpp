#include "probe_options.h"

#include "virtualmixer/client/command_line.h"
#include "virtualmixer/client/mixer_paths.h"
#include "virtualmixer/protocol/virtual_mixer_control.h"

namespace vmixstream {

const char kProbeUsage[] =
    "Usage: vmixstream [--mixer N|all] [--frames F] [--seconds S] [--tone-out CH] [--record out.wav]\n"
    "                  [--periods FILE]\n"
    "Streams to and from the virtual mixer's pins, paced by completions only, and reports timing.\n"
    "  --mixer N|all     mixer 0..3 or every plugged mixer (default 0)\n"
    "  --frames F        block size, 64..4096 in steps of 64 (default 256)\n"
    "  --seconds S       how long to stream, up to 60 (default 3)\n"
    "  --tone-out CH     play a 3 kHz tone on USB receive channel 0..2 (default silence)\n"
    "  --record out.wav  write the recorded input of the first mixer (8 channels, up to 30 s)\n"
    "  --periods FILE    write the first mixer's completion periods as \"microseconds count\" lines\n"
    "The rig counters are cleared when streaming begins.\n"
    "Exit codes: 0 done, 1 rig failure, 2 usage error.\n";

bool ParseProbeOptions(const std::vector<std::wstring>& args, ProbeOptions& options, std::string& error)
{
    options = ProbeOptions{};
    for (size_t i = 0; i < args.size(); ++i) {
        const std::wstring& name = args[i];
        if (name == L"--help" || name == L"-h" || name == L"/?") {
            options.help = true;
            return true;
        }
        if (i + 1 >= args.size()) {
            error = name.rfind(L"--", 0) == 0 ? rkx::vmix::ToPrintable(name) + " needs a value"
                                               : "unexpected argument '" + rkx::vmix::ToPrintable(name) + "'";
            return false;
        }
        const std::wstring& value = args[++i];
        if (name == L"--mixer") {
            if (value == L"all") {
                options.allMixers = true;
            } else if (const auto mixer = rkx::vmix::ParseUnsigned(value, VMIX_MAX_MIXERS - 1)) {
                options.mixer = *mixer;
            } else {
                error = "--mixer takes 0..3 or all";
                return false;
            }
        } else if (name == L"--frames") {
            const auto frames = rkx::vmix::ParseUnsigned(value, RKX_MAX_BLOCK_FRAMES);
            if (!frames || *frames == 0 || *frames % RKX_FRAME_STEP != 0) {
                error = "--frames takes 64..4096 in steps of 64";
                return false;
            }
            options.frames = *frames;
        } else if (name == L"--seconds") {
            const auto seconds = rkx::vmix::ParseSeconds(value, 60.0);
            if (!seconds) {
                error = "--seconds takes a number more than 0 and at most 60";
                return false;
            }
            options.seconds = *seconds;
        } else if (name == L"--tone-out") {
            const auto channel = rkx::vmix::ParseUnsigned(value, RKX_USB_RECEIVE_CHANNELS - 1);
            if (!channel) {
                error = "--tone-out takes a USB receive channel 0..2";
                return false;
            }
            options.toneOutChannel = *channel;
        } else if (name == L"--record") {
            options.recordPath = value;
        } else if (name == L"--periods") {
            options.periodsPath = value;
        } else {
            error = "unknown option '" + rkx::vmix::ToPrintable(name) + "'";
            return false;
        }
    }
    if (!options.recordPath.empty() && options.seconds > 30.0) {
        error = "--record holds at most 30 seconds";
        return false;
    }
    return true;
}

}  // namespace vmixstream
