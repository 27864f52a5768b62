// WAV reading and writing of the rig tools: what they write reads back exactly, and the
// integer formats people hand in are converted to full-scale 32-bit.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "virtualmixer/client/wav_file.h"

namespace rkx::vmix {
namespace {

void Put(std::vector<uint8_t>& out, uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

void PutTag(std::vector<uint8_t>& out, const char* tag)
{
    while (*tag != '\0') out.push_back(static_cast<uint8_t>(*tag++));
}

// A plain PCM file with the given raw sample bytes.
std::vector<uint8_t> PcmFile(uint16_t channels, uint16_t bits, const std::vector<uint8_t>& data, uint32_t rate = 48000)
{
    std::vector<uint8_t> out;
    PutTag(out, "RIFF");
    Put(out, static_cast<uint32_t>(4 + 24 + 8 + data.size()), 4);
    PutTag(out, "WAVEfmt ");
    Put(out, 16, 4);
    Put(out, 1, 2);
    Put(out, channels, 2);
    Put(out, rate, 4);
    Put(out, rate * channels * bits / 8, 4);
    Put(out, channels * bits / 8, 2);
    Put(out, bits, 2);
    PutTag(out, "data");
    Put(out, static_cast<uint32_t>(data.size()), 4);
    out.insert(out.end(), data.begin(), data.end());
    return out;
}

std::wstring TempPath(const wchar_t* name)
{
    wchar_t dir[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, dir);
    return std::wstring(dir) + name;
}

TEST(WavFile, WrittenEightChannelAudioReadsBackExactly)
{
    WavAudio written;
    written.channels = 8;
    // Unsigned arithmetic: the pattern wraps on purpose.
    for (uint32_t i = 0; i < 8 * 300; ++i) written.samples.push_back(static_cast<int32_t>(i * 2654435u - 0x40000000u));
    const std::wstring path = TempPath(L"vmix_wav_roundtrip.wav");
    std::string error;
    ASSERT_TRUE(WriteWav(path, written, error)) << error;
    WavAudio read;
    ASSERT_TRUE(ReadWav(path, read, error)) << error;
    DeleteFileW(path.c_str());
    EXPECT_EQ(read.channels, 8);
    EXPECT_EQ(read.sampleRate, 48000u);
    EXPECT_EQ(read.samples, written.samples);
}

TEST(WavFile, IntegerFormatsConvertToFullScale32Bit)
{
    const struct {
        const char* name;
        uint16_t channels;
        uint16_t bits;
        std::vector<uint8_t> data;
        std::vector<int32_t> expected;
    } kCases[] = {
        {"16-bit mono", 1, 16, {0x00, 0x80, 0xFF, 0x7F, 0x01, 0x00},
         {INT32_MIN, 0x7FFF0000, 0x00010000}},
        {"16-bit stereo", 2, 16, {0x34, 0x12, 0xCC, 0xED}, {0x12340000, static_cast<int32_t>(0xEDCC0000u)}},
        {"24-bit mono", 1, 24, {0x56, 0x34, 0x12, 0x00, 0x00, 0x80}, {0x12345600, INT32_MIN}},
        {"32-bit stereo", 2, 32, {1, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF}, {1, -1}},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        WavAudio audio;
        std::string error;
        ASSERT_TRUE(ParseWav(PcmFile(c.channels, c.bits, c.data), audio, error)) << error;
        EXPECT_EQ(audio.channels, c.channels);
        EXPECT_EQ(audio.samples, c.expected);
    }
}

TEST(WavFile, UnusableFilesAreRefusedWithAReason)
{
    std::vector<uint8_t> floatFile = PcmFile(2, 32, std::vector<uint8_t>(16));
    floatFile[20] = 3;  // WAVE_FORMAT_IEEE_FLOAT
    std::vector<uint8_t> eightBit = PcmFile(1, 8, std::vector<uint8_t>(4));
    std::vector<uint8_t> noData = PcmFile(1, 16, {});
    noData.resize(36);
    std::vector<uint8_t> cutFormat = PcmFile(1, 16, {});
    cutFormat.resize(30);
    const struct {
        const char* name;
        std::vector<uint8_t> bytes;
    } kCases[] = {
        {"empty", {}},
        {"not RIFF", std::vector<uint8_t>(64, 'x')},
        {"float samples", floatFile},
        {"8-bit samples", eightBit},
        {"no data chunk", noData},
        {"format chunk cut short", cutFormat},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        WavAudio audio;
        std::string error;
        EXPECT_FALSE(ParseWav(c.bytes, audio, error));
        EXPECT_FALSE(error.empty());
    }
}

TEST(WavFile, ATruncatedDataChunkKeepsTheWholeFramesItHas)
{
    std::vector<uint8_t> bytes = PcmFile(2, 16, {1, 0, 2, 0, 3, 0, 4, 0});
    bytes.resize(bytes.size() - 3);  // last frame incomplete
    WavAudio audio;
    std::string error;
    ASSERT_TRUE(ParseWav(bytes, audio, error)) << error;
    EXPECT_EQ(audio.frames(), 1u);
}

TEST(WavFile, MissingFileIsReportedNotThrown)
{
    WavAudio audio;
    std::string error;
    EXPECT_FALSE(ReadWav(TempPath(L"vmix_no_such_file.wav"), audio, error));
    EXPECT_NE(error.find("cannot open"), std::string::npos);
}

}  // namespace
}  // namespace rkx::vmix
