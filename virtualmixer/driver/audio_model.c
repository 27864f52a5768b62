/* The mixer's signal path in integer arithmetic: analog tones (or injected audio), the three
 * mixer channels fed by their selectors, faders, cross-fader and recording mix, and the four
 * send channels the computer records. */
#include "vmix_driver.h"

#define Q15_UNITY 32768
#define FX_SEND_GAIN 16384 /* the effects send carries the recording mix at half level */

/* VMIX_SOURCE_PEAK * sin(2 pi j / 256) for j = 0..64, rounded; the rest of the wave follows
 * by symmetry. Tones sit on bins of 187.5 Hz, so this table plays them exactly. */
static const LONG QUARTER_SINE[65] = {
    0, 13175472, 26343007, 39494674, 52622552, 65718731, 78775324, 91784465, 104738319,
    117629083, 130448991, 143190321, 155845399, 168406602, 180866363, 193217176, 205451603,
    217562274, 229541893, 241383245, 253079196, 264622702, 276006809, 287224660, 298269498,
    309134669, 319813629, 330299945, 340587301, 350669500, 360540469, 370194261, 379625062,
    388827192, 397795106, 406523404, 415006827, 423240266, 431218760, 438937504, 446391849,
    453577304, 460489541, 467124396, 473477874, 479546145, 485325556, 490812625, 496004047,
    500896695, 505487621, 509774060, 513753431, 517423335, 520781564, 523826092, 526555088,
    528966906, 531060095, 532833393, 534285732, 535416237, 536224227, 536709217, 536870912,
};
RKX_STATIC_ASSERT(VMIX_SOURCE_PEAK == 536870912, "sine table is scaled to the source peak");

/* Control tones are attenuated by the boost level: -5, -10, -15, -19 dB. */
static const LONG BOOST_GAIN[4] = {18427, 10362, 5827, 3665};

static LONG g_sine[256];

VOID VmixInitAudioModel(void)
{
    for (ULONG j = 0; j < 64; j++) {
        g_sine[j] = QUARTER_SINE[j];
        g_sine[64 + j] = QUARTER_SINE[64 - j];
        g_sine[128 + j] = -QUARTER_SINE[j];
        g_sine[192 + j] = -QUARTER_SINE[64 - j];
    }
}

/* Not MAXLONG/MINLONG: the header's MINLONG is an unsigned literal. */
#define SAMPLE_MAX 2147483647LL
#define SAMPLE_MIN (-2147483647LL - 1)

static LONG Saturate(LONGLONG value)
{
    if (value > SAMPLE_MAX) return (LONG)SAMPLE_MAX;
    if (value < SAMPLE_MIN) return (LONG)SAMPLE_MIN;
    return (LONG)value;
}

static LONG Gain(LONG sample, LONG q15)
{
    return Saturate(((LONGLONG)sample * q15) / Q15_UNITY);
}

typedef struct Stereo {
    LONG side[2];
} Stereo;

static Stereo AnalogSource(const VmixMixer *mixer, ULONG source, ULONG64 sample)
{
    Stereo out;
    const VmixInjectedSource *injected = &mixer->injected[source];
    if (injected->samples != NULL && injected->totalFrames != 0) {
        ULONG frame = (ULONG)(sample % injected->totalFrames);
        out.side[0] = injected->samples[2 * frame];
        out.side[1] = injected->samples[2 * frame + 1];
        return out;
    }
    for (ULONG side = 0; side < 2; side++) {
        out.side[side] = g_sine[(VMIX_SOURCE_TONE_BIN[source][side] * sample) & 255];
    }
    return out;
}

static Stereo Silence(void)
{
    Stereo out = {{0, 0}};
    return out;
}

static Stereo Add(Stereo a, Stereo b)
{
    Stereo out;
    for (ULONG side = 0; side < 2; side++) out.side[side] = Saturate((LONGLONG)a.side[side] + b.side[side]);
    return out;
}

static Stereo Scale(Stereo a, LONG q15)
{
    Stereo out;
    for (ULONG side = 0; side < 2; side++) out.side[side] = Gain(a.side[side], q15);
    return out;
}

/* Everything the computer plays into the mixer channel that route names. */
static Stereo UsbReturn(const VmixMixSettings *settings, const LONG *playedFrame, ULONG route)
{
    Stereo sum = Silence();
    for (ULONG c = 0; c < RKX_USB_RECEIVE_CHANNELS; c++) {
        if (settings->receiveRoute[c] != route) continue;
        Stereo channel = {{playedFrame[2 * c], playedFrame[2 * c + 1]}};
        sum = Add(sum, channel);
    }
    return sum;
}

typedef struct MixerSignals {
    Stereo ctPhono[2], ctLine[2]; /* control tones of CH1 and CH2 as sent to the computer */
    Stereo post[2];               /* post-fader CH1, CH2 */
    Stereo xf[2];                 /* cross-fader sides A, B */
    Stereo mic, aux, recOut;
} MixerSignals;

static Stereo DeckChannelInput(const VmixMixer *mixer, const VmixMixSettings *settings, const LONG *playedFrame,
                               ULONG deck, ULONG64 sample)
{
    ULONG phono = deck == 0 ? VMIX_SOURCE_CH1_PHONO : VMIX_SOURCE_CH2_PHONO;
    switch (settings->selector[deck]) {
    case RKX_SELECTOR_POSITION_PHONO: return AnalogSource(mixer, phono, sample);
    case RKX_SELECTOR_POSITION_LINE: return AnalogSource(mixer, phono + 1, sample);
    case RKX_SELECTOR_POSITION_USB: return UsbReturn(settings, playedFrame, deck);
    default: return Silence();
    }
}

static Stereo AuxChannelInput(const VmixMixer *mixer, const VmixMixSettings *settings, const LONG *playedFrame,
                              ULONG64 sample)
{
    switch (settings->selector[2]) {
    case RKX_SELECTOR_POSITION_LINE: return AnalogSource(mixer, VMIX_SOURCE_AUX_LINE, sample);
    case RKX_SELECTOR_POSITION_USB: return UsbReturn(settings, playedFrame, 2);
    default: return Silence();
    }
}

static VOID MixFrame(const VmixMixer *mixer, const VmixMixSettings *settings, const LONG *playedFrame,
                     ULONG64 sample, MixerSignals *out)
{
    LONG boost = BOOST_GAIN[settings->boostLevel & 3];
    for (ULONG deck = 0; deck < 2; deck++) {
        ULONG phono = deck == 0 ? VMIX_SOURCE_CH1_PHONO : VMIX_SOURCE_CH2_PHONO;
        /* A deck's control tone reaches the computer only while its selector is on USB. */
        BOOLEAN onUsb = settings->selector[deck] == RKX_SELECTOR_POSITION_USB;
        out->ctPhono[deck] = onUsb ? Scale(AnalogSource(mixer, phono, sample), boost) : Silence();
        out->ctLine[deck] = onUsb ? Scale(AnalogSource(mixer, phono + 1, sample), boost) : Silence();
        out->post[deck] = Scale(DeckChannelInput(mixer, settings, playedFrame, deck, sample), VMIX_GAIN_CHANNEL_FADER);
        out->xf[deck] = Scale(out->post[deck], VMIX_GAIN_CROSSFADER_SIDE);
    }
    out->mic = AnalogSource(mixer, VMIX_SOURCE_MIC, sample);
    out->aux = AuxChannelInput(mixer, settings, playedFrame, sample);
    Stereo micAux;
    for (ULONG side = 0; side < 2; side++) {
        micAux.side[side] = Saturate(((LONGLONG)out->mic.side[side] + out->aux.side[side]) * VMIX_GAIN_REC_OUT_SEND / Q15_UNITY);
    }
    out->recOut = Add(Add(out->xf[0], out->xf[1]), micAux);
}

/* Send channels 0 and 1 belong to CH1 and CH2; channel 2 picks any mix point. */
static Stereo SendChannel(const MixerSignals *m, ULONG channel, ULONG source)
{
    if (channel == 3) return Scale(m->recOut, FX_SEND_GAIN);
    if (channel == 2) {
        switch (source) {
        case 0: return m->recOut;
        case 1: return m->post[0];
        case 2: return m->post[1];
        case 3: return m->xf[0];
        case 4: return m->xf[1];
        case 5: return m->mic;
        case 6: return m->aux;
        default: return Silence();
        }
    }
    switch (source) {
    case 0: return m->ctPhono[channel];
    case 1: return m->ctLine[channel];
    case 2: return m->post[channel];
    case 3: return m->xf[0];
    case 4: return m->xf[1];
    case 5: return m->mic;
    case 6: return m->aux;
    case 7: return m->recOut;
    default: return Silence();
    }
}

/* Called with g_vmix.audioMutex held: injected sources must not change underneath. */
VOID VmixRenderBlock(VmixMixer *mixer, const VmixMixSettings *settings, const LONG *played,
                     LONG *rendered, ULONG frames, ULONG64 firstSample)
{
    for (ULONG frame = 0; frame < frames; frame++) {
        const LONG *playedFrame = played + frame * RKX_CHANNELS_PER_PIN;
        LONG *renderedFrame = rendered + frame * RKX_CHANNELS_PER_PIN;
        MixerSignals signals;
        MixFrame(mixer, settings, playedFrame, firstSample + frame, &signals);
        for (ULONG channel = 0; channel < RKX_USB_SEND_CHANNELS; channel++) {
            Stereo out = SendChannel(&signals, channel, settings->sendSource[channel]);
            renderedFrame[2 * channel] = out.side[0];
            renderedFrame[2 * channel + 1] = out.side[1];
        }
    }
}
