#include "controller/TextTable.h"

#include "controller/TextKeys.h"
#include "platform/devices/LanguageLibrary.h"

#include <algorithm>

namespace {

// The texts load in the catalog's order; the key list lives there only.
constexpr const auto& kTextKeys = text::kAll;
static_assert(kTextKeys.size() == TextTable::kKeys);

std::array<std::array<WCHAR, TextTable::kTextSize>, TextTable::kKeys> g_texts {};

struct LanguageFileEntry {
    LANGID language;
    const char16_t* file;
};

constexpr LanguageFileEntry kLanguageFiles[] = {
    { 0x0405, u"lang_cze.bin" },
    { 0x0406, u"lang_dan.bin" },
    { 0x0407, u"lang_ger.bin" },
    { 0x0408, u"lang_gre.bin" },
    { 0x0409, u"lang_eng.bin" },
    { 0x040A, u"lang_spa.bin" },
    { 0x040B, u"lang_fin.bin" },
    { 0x040C, u"lang_fre.bin" },
    { 0x040E, u"lang_hun.bin" },
    { 0x0410, u"lang_ita.bin" },
    { 0x0413, u"lang_dut.bin" },
    { 0x0415, u"lang_pol.bin" },
    { 0x0418, u"lang_rom.bin" },
    { 0x0419, u"lang_rus.bin" },
    { 0x041B, u"lang_slo.bin" },
    { 0x041D, u"lang_swe.bin" },
    { 0x0809, u"lang_euk.bin" },
    { 0x0816, u"lang_por.bin" },
};

}

const std::array<std::string_view, TextTable::kKeys>& TextTable::Keys()
{
    return kTextKeys;
}

const WCHAR* TextTable::Text(std::string_view key)
{
    auto it = std::find(kTextKeys.begin(), kTextKeys.end(), key);
    if (it == kTextKeys.end())
        return u"";
    return g_texts[size_t(it - kTextKeys.begin())].data();
}

void TextTable::Load(const LanguageLibrary& library)
{
    for (size_t i = 0; i < kTextKeys.size(); ++i)
        library.GetText(kTextKeys[i], g_texts[i].data(), kTextSize - 1);
}

void TextTable::Clear()
{
    g_texts = {};
}

const char16_t* TextTable::LanguageFile(LANGID language)
{
    for (const auto& entry : kLanguageFiles) {
        if (entry.language == language)
            return entry.file;
    }
    return u"lang_eng.bin";
}
