// Text recoded through UTF-16, the one form every code page converts from and to.
#include "app/TextEncoding.h"

std::string Recode(const std::string& text, UINT codePage) {
    if (text.empty()) return text;
    const int wideLength =
        MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(wideLength), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide.data(),
                        wideLength);
    const int length =
        WideCharToMultiByte(codePage, 0, wide.data(), wideLength, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(codePage, 0, wide.data(), wideLength, out.data(), length, nullptr, nullptr);
    return out;
}

bool WriteAll(HANDLE file, const std::string& bytes) {
    DWORD written = 0;
    return WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
           written == bytes.size();
}

bool WriteUtf8(HANDLE file, const std::string& text) {
    return WriteAll(file, "\xEF\xBB\xBF" + Recode(text, CP_UTF8));
}
