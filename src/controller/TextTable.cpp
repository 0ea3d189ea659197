#include "controller/TextTable.h"

#include "platform/devices/LanguageLibrary.h"

#include <algorithm>

namespace {

constexpr std::array<std::string_view, TextTable::kKeys> kTextKeys = {
    "CERR0001",
    "CERR0002",
    "CERR0003",
    "CERR0004",
    "CERR0005",
    "CERR0006",
    "CERR0007",
    "CERR0008",
    "CERR0009",
    "CERR0010",
    "CERR0011",
    "CERR0012",
    "CERR0013",
    "CERR0014",
    "CERR0015",
    "CERR0016",
    "CERR0017",
    "VIEW0001",
    "VIEW0002",
    "VIEW0100",
    "VIEW0101",
    "VIEW0102",
    "MNBT0001",
    "MNBT0002",
    "MNBT0003",
    "MNBT0004",
    "MNBT0005",
    "MNBT0006",
    "HIST0001",
    "HIST0002",
    "INCO0001",
    "INCO0002",
    "INCO0003",
    "INCO0101",
    "OUTG0001",
    "OUTG0002",
    "OUTG0101",
    "OUTG0201",
    "OUTG0202",
    "OUTG0203",
    "OUTG0301",
    "OUTG0401",
    "OUTG0501",
    "OUTG0502",
    "PLAC0001",
    "PLAC0002",
    "PLAC0101",
    "PLAC0102",
    "MFRM0001",
    "MFRM0002",
    "MFRM0003",
    "MFRM0004",
    "MFRM0005",
    "MFRM0006",
    "MFRM0007",
    "MFRM0101",
    "PMLI0001",
    "PMLI0002",
    "PMMS0001",
    "PMMS0002",
    "PMMS0003",
    "PMMS0004",
    "PMMS0005",
    "PMMS0006",
    "PMMS0101",
    "PMMS0102",
    "PMMS0201",
    "PMMS0202",
    "PMMS0301",
    "PMMS0302",
    "PMMS0303",
    "PMMS0401",
    "PMMS0402",
    "PMMS0403",
    "PMMS0404",
    "PMMS0405",
    "PMMS0501",
    "PMMS0601",
    "PMMS0602",
    "PMMS0603",
    "PMMS0604",
    "PMMS0605",
    "PMMS0701",
    "PMMS0702",
    "PMMS0703",
    "PMMS0801",
    "PMMS0802",
    "PMMS0901",
    "PMMS1001",
    "PMMS1002",
    "PMMS1101",
    "PMMS1102",
    "PMMS1201",
    "PMMS1202",
    "PMMS1203",
    "PMMS1204",
    "PMMS1205",
    "PMMS1301",
    "CNLI0001",
    "CNLI0002",
    "CNMS0101",
    "CNMS0102",
    "CNMS0103",
    "CNMS0104",
    "CNMS0201",
    "CNMS0202",
    "CNMS0203",
    "CNMS0301",
    "CNMS0401",
    "CNMS0402",
    "CNMS0403",
    "CNMS0404",
    "CNMS0501",
    "CNMS0502",
    "CNMS0503",
    "CNMS0601",
    "CNMS0602",
    "CNMS0701",
    "CNMS0801",
    "CNMS0901",
    "CNMS0902",
    "CNMS0903",
    "CNMS0904",
    "CNMS0905",
    "CNMS1001",
    "HITB0001",
    "HITB0002",
    "HITB0003",
};

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
