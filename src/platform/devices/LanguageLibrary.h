#pragma once

// The device's language library: it tells the device's language and serves the texts of one
// language file at a time. Language files are compiled gettext catalogs (lang_xxx.bin) whose
// keys are the eight-character text keys and whose texts are UTF-8.
//
// Usage: GetInstance once, CurrentLanguage to choose a file, Open it, GetText per key, Close.

#include "platform/core/Types.h"
#include "platform/devices/CatalogReader.h"
#include "platform/devices/DeviceLanguage.h"

#include <cstddef>
#include <memory>
#include <string_view>

class LanguageLibrary {
public:
    // The most characters GetText copies, whatever the caller allows; the buffer needs one more
    // for the terminator.
    static constexpr size_t kMaxTextChars = 255;

    // Always delivers an instance: the library itself needs nothing to start.
    static std::unique_ptr<LanguageLibrary> GetInstance();

    // The device's language identifier (DeviceLanguage::Current).
    LANGID CurrentLanguage() const;

    // Opens the language file at the full path, replacing any open one. True when it will serve
    // texts: a readable, well-formed catalog with at least one text. On false no file is open.
    bool Open(const WString& path);

    // Copies the text of key into buffer, cut at min(maxChars, kMaxTextChars) characters and
    // terminated. A key the file lacks (or no open file) leaves the buffer empty, just the
    // terminator, so a screen shows nothing rather than a left-over text. Returns whether the key
    // was found. buffer must hold maxChars + 1 characters; a null buffer is ignored.
    bool GetText(std::u16string_view key, WCHAR* buffer, size_t maxChars) const;
    bool GetText(std::string_view key, WCHAR* buffer, size_t maxChars) const;

    // Gives up the open file; later GetText calls find nothing.
    void Close();

private:
    LanguageLibrary() = default;

    CatalogReader m_catalog;
};
