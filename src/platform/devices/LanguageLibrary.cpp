#include "platform/devices/LanguageLibrary.h"

#include "platform/core/Text.h"

#include <algorithm>

std::unique_ptr<LanguageLibrary> LanguageLibrary::GetInstance()
{
    return std::unique_ptr<LanguageLibrary>(new LanguageLibrary());
}

LANGID LanguageLibrary::CurrentLanguage() const { return DeviceLanguage::Current(); }

bool LanguageLibrary::Open(const WString& path)
{
    if (!m_catalog.ReadFile(ToUtf8(path)) || m_catalog.Count() == 0) {
        m_catalog.Clear();
        return false;
    }
    return true;
}

bool LanguageLibrary::GetText(std::u16string_view key, WCHAR* buffer, size_t maxChars) const
{
    return GetText(std::string_view(ToUtf8(key)), buffer, maxChars);
}

bool LanguageLibrary::GetText(std::string_view key, WCHAR* buffer, size_t maxChars) const
{
    if (!buffer)
        return false;
    buffer[0] = 0;
    const WString* text = m_catalog.Find(key);
    if (!text)
        return false;
    size_t count = std::min({ text->size(), maxChars, kMaxTextChars });
    // Never leave half of a surrogate pair at the end of a cut text.
    if (count > 0 && count < text->size() && (*text)[count - 1] >= 0xD800 && (*text)[count - 1] <= 0xDBFF)
        --count;
    std::copy_n(text->data(), count, buffer);
    buffer[count] = 0;
    return true;
}

void LanguageLibrary::Close() { m_catalog.Clear(); }
