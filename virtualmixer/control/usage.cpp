#include <cstdio>

#include "rig.h"

namespace vmixctl {

int Help(Rig&)
{
    std::fputs(
        "Usage: vmixctl COMMAND [ARGS]\n"
        "Steers the RKX-T2 virtual mixer (the test rig stand-in for the mixer).\n"
        "Mixers N are 0..3. Numbers may be decimal or 0x hexadecimal.\n"
        "\n"
        "  status                      mixers, plug state, every state value, stream state\n"
        "  plug N | unplug N           plug or unplug mixer N and announce it to programs\n"
        "  mixers N                    plug mixers 0..N-1 and unplug the rest (N 1..4)\n"
        "  set N selector CH POS       CH 0 CH1, 1 CH2, 2 AUX; POS phono|line|usb or a number\n"
        "  set N launch V              answer byte of the launch request\n"
        "  set N ask-again COUNT       'ask again' answers before the launch answer\n"
        "  set N firmware 0xMMmm       firmware version, major in the high byte\n"
        "  set N partner 0|1           partner application active\n"
        "  set N port V | certify V    port info byte, certify level\n"
        "  set N send CH SRC           USB send channel 0..3 takes source 0..7\n"
        "  set N receive CH ROUTE      USB receive channel 0..2 feeds 0 CH1, 1 CH2, 2 AUX\n"
        "  set N boost L               control tone boost level 0..3\n"
        "  fault N fail CODE COUNT     fail the next COUNT requests CODE (code or name)\n"
        "  fault N start-async 0|1     STREAM_START completes asynchronously\n"
        "  fault N control-delay MS    control requests complete after MS milliseconds\n"
        "  fault N control-delay MS CODE  only request CODE (code or name) is late\n"
        "  fault N stall MS            the audio clock stops once for MS milliseconds\n"
        "  decoys none|all|NAME...     NAME: other-vendor no-render global wave2 upper-case\n"
        "  list                        audio interfaces as device discovery sees them\n"
        "  stats [N]                   request counters and audio period timing\n"
        "  journal                     recent requests with payloads and results\n"
        "  clear                       clear counters and journal\n"
        "  reset                       every mixer back to defaults, counters cleared\n"
        "  capture N SECONDS out.wav   record what the host plays to mixer N (8 channels)\n"
        "  analyze in.wav CH           the rig signals channel CH of a recording carries\n"
        "  inject N SOURCE in.wav      replace an analog source with a 48 kHz WAV, looped\n"
        "  inject N SOURCE off         back to the source's own tone\n"
        "                              SOURCE: ch1-phono ch1-line ch2-phono ch2-line mic aux-line\n"
        "\n"
        "Exit codes: 0 done, 1 rig failure (virtual mixer not loaded, request failed), 2 usage error.\n",
        stdout);
    return kOk;
}

}  // namespace vmixctl
