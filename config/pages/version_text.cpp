#include "pages/version_text.h"

#include <cwchar>

namespace config {

std::wstring FirmwareVersionText(int version)
{
    wchar_t text[16];
    std::swprintf(text, 16, L"%01X.%02X", static_cast<unsigned>((version >> 8) & 0xF),
                  static_cast<unsigned>(version & 0xFF));
    return text;
}

}  // namespace config
