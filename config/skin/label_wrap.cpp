#include "skin/label_wrap.h"

namespace {

constexpr DWORD kJapanese = 0x11;

// Characters kept on a line whose first `fitted` characters fit and whose next one does not.
size_t CutOverflowingLine(std::wstring_view line, size_t fitted, DWORD installLanguage)
{
    size_t kept = fitted > 0 ? fitted - 1 : 0;
    if (installLanguage != kJapanese) {
        for (size_t i = fitted; i-- > 1;) {
            if (line[i] == L' ') {
                kept = i;
                break;
            }
        }
    }
    // A width that holds fewer than two characters would otherwise keep nothing, forever.
    return kept > 0 ? kept : 1;
}

}  // namespace

std::vector<WrappedLine> WrapLabelText(std::wstring_view text, DWORD installLanguage,
                                       int layoutWidth, const MeasureTextPrefix& measure)
{
    std::vector<WrappedLine> lines;
    size_t position = 0;
    while (position < text.size()) {
        const std::wstring_view rest = text.substr(position);
        size_t fitted = 0;
        bool overflow = false;
        while (fitted < rest.size() && fitted < kWrappedLineCapacity) {
            if (rest[fitted] == L'\n') break;
            if (measure(rest.data(), static_cast<int>(fitted + 1)) > layoutWidth) {
                overflow = true;
                break;
            }
            ++fitted;
        }
        // A full line buffer without a break ends the line where it is; the text goes on below.
        const size_t length = overflow ? CutOverflowingLine(rest, fitted, installLanguage) : fitted;
        lines.push_back({position, length});

        position += length;
        if (position < text.size() && text[position] == L'\n') ++position;
        if (position < text.size() && text[position] == L' ') ++position;
    }
    return lines;
}
