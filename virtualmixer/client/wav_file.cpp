#include "virtualmixer/client/wav_file.h"

#include <windows.h>

#include <cstring>

#include "common/unique_handle.h"

namespace rkx::vmix {
namespace {

constexpr uint16_t kFormatPcm = 1;
constexpr uint16_t kFormatExtensible = 0xFFFE;
constexpr uint16_t kMaxChannels = 32;
constexpr DWORD kMaxFileBytes = 512u * 1024u * 1024u;
// KSDATAFORMAT_SUBTYPE_PCM after its first two bytes (the format tag).
constexpr uint8_t kPcmSubtypeTail[14] = {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80,
                                         0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};

uint16_t Read16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
uint32_t Read32(const uint8_t* p)
{
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16) |
           (static_cast<uint32_t>(p[3]) << 24);
}
void Put16(std::vector<uint8_t>& out, uint16_t v)
{
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
}
void Put32(std::vector<uint8_t>& out, uint32_t v)
{
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}
void PutTag(std::vector<uint8_t>& out, const char* tag) { out.insert(out.end(), tag, tag + 4); }

std::string Win32Reason(const char* what, DWORD code) { return std::string(what) + " (error " + std::to_string(code) + ")"; }

}  // namespace

bool ParseWav(const std::vector<uint8_t>& bytes, WavAudio& audio, std::string& error)
{
    audio = WavAudio{};
    if (bytes.size() < 12 || std::memcmp(bytes.data(), "RIFF", 4) != 0 || std::memcmp(bytes.data() + 8, "WAVE", 4) != 0) {
        error = "not a WAV file";
        return false;
    }
    bool haveFormat = false;
    uint16_t channels = 0;
    uint16_t bits = 0;
    uint16_t blockAlign = 0;
    uint32_t rate = 0;
    for (size_t pos = 12; pos + 8 <= bytes.size();) {
        const uint8_t* chunk = bytes.data() + pos;
        const size_t size = Read32(chunk + 4);
        const size_t body = pos + 8;
        const size_t available = bytes.size() - body;
        if (std::memcmp(chunk, "fmt ", 4) == 0) {
            if (size < 16 || size > available) {
                error = "damaged format chunk";
                return false;
            }
            const uint8_t* f = bytes.data() + body;
            uint16_t tag = Read16(f);
            channels = Read16(f + 2);
            rate = Read32(f + 4);
            blockAlign = Read16(f + 12);
            bits = Read16(f + 14);
            if (tag == kFormatExtensible) {
                if (size < 40 || std::memcmp(f + 26, kPcmSubtypeTail, sizeof(kPcmSubtypeTail)) != 0) {
                    error = "only integer PCM WAV files are supported";
                    return false;
                }
                tag = Read16(f + 24);
            }
            if (tag != kFormatPcm) {
                error = "only integer PCM WAV files are supported";
                return false;
            }
            if (bits != 16 && bits != 24 && bits != 32) {
                error = "unsupported sample size: " + std::to_string(bits) + " bits (use 16, 24 or 32)";
                return false;
            }
            if (channels == 0 || channels > kMaxChannels || blockAlign != channels * (bits / 8)) {
                error = "unsupported channel layout";
                return false;
            }
            haveFormat = true;
        } else if (std::memcmp(chunk, "data", 4) == 0) {
            if (!haveFormat) {
                error = "data before format in WAV file";
                return false;
            }
            // A truncated file keeps the frames it still has.
            const size_t frames = (size < available ? size : available) / blockAlign;
            const uint8_t* p = bytes.data() + body;
            const size_t step = bits / 8;
            audio.samples.resize(frames * channels);
            for (size_t i = 0; i < audio.samples.size(); ++i, p += step) {
                uint32_t v = 0;
                if (bits == 16) v = static_cast<uint32_t>(Read16(p)) << 16;
                if (bits == 24) v = (static_cast<uint32_t>(p[0]) << 8) | (static_cast<uint32_t>(p[1]) << 16) |
                                    (static_cast<uint32_t>(p[2]) << 24);
                if (bits == 32) v = Read32(p);
                audio.samples[i] = static_cast<int32_t>(v);
            }
            audio.channels = channels;
            audio.sampleRate = rate;
            return true;
        }
        if (size > available) break;
        pos = body + size + (size & 1);
    }
    error = haveFormat ? "WAV file has no audio data" : "WAV file has no format chunk";
    return false;
}

bool ReadWav(const std::wstring& path, WavAudio& audio, std::string& error)
{
    UniqueHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        error = Win32Reason("cannot open the WAV file", GetLastError());
        return false;
    }
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.get(), &size) || size.QuadPart > kMaxFileBytes) {
        error = "WAV file too large or unreadable";
        return false;
    }
    std::vector<uint8_t> bytes(static_cast<size_t>(size.QuadPart));
    DWORD got = 0;
    if (!bytes.empty() && (!ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr) ||
                           got != bytes.size())) {
        error = Win32Reason("cannot read the WAV file", GetLastError());
        return false;
    }
    return ParseWav(bytes, audio, error);
}

bool WriteWav(const std::wstring& path, const WavAudio& audio, std::string& error)
{
    if (audio.channels == 0 || audio.channels > kMaxChannels) {
        error = "nothing to write";
        return false;
    }
    const uint64_t dataBytes = static_cast<uint64_t>(audio.frames()) * audio.channels * 4u;
    if (dataBytes > kMaxFileBytes) {
        error = "recording too long for a WAV file";
        return false;
    }
    std::vector<uint8_t> out;
    out.reserve(static_cast<size_t>(dataBytes) + 80);
    PutTag(out, "RIFF");
    Put32(out, static_cast<uint32_t>(4 + 8 + 40 + 8 + dataBytes));
    PutTag(out, "WAVE");
    PutTag(out, "fmt ");
    Put32(out, 40);
    Put16(out, kFormatExtensible);
    Put16(out, audio.channels);
    Put32(out, audio.sampleRate);
    Put32(out, audio.sampleRate * audio.channels * 4u);
    Put16(out, static_cast<uint16_t>(audio.channels * 4u));
    Put16(out, 32);
    Put16(out, 22);
    Put16(out, 32);                                        // valid bits
    Put32(out, audio.channels == 2 ? 0x3u : 0u);           // stereo front pair, otherwise unassigned
    Put16(out, kFormatPcm);
    out.insert(out.end(), kPcmSubtypeTail, kPcmSubtypeTail + sizeof(kPcmSubtypeTail));
    PutTag(out, "data");
    Put32(out, static_cast<uint32_t>(dataBytes));
    for (size_t i = 0; i < audio.frames() * audio.channels; ++i) Put32(out, static_cast<uint32_t>(audio.samples[i]));

    UniqueHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        error = Win32Reason("cannot create the WAV file", GetLastError());
        return false;
    }
    DWORD written = 0;
    if (!WriteFile(file.get(), out.data(), static_cast<DWORD>(out.size()), &written, nullptr) || written != out.size()) {
        error = Win32Reason("cannot write the WAV file", GetLastError());
        return false;
    }
    return true;
}

}  // namespace rkx::vmix
