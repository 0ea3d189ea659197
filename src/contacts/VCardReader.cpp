#include "contacts/VCardReader.h"

#include "contacts/VCardLines.h"
#include "platform/core/HexDigit.h"
#include "platform/core/Text.h"

#include <algorithm>
#include <fcntl.h>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace {

char Upper(char c)
{
    return (c >= 'a' && c <= 'z') ? char(c - 'a' + 'A') : c;
}

bool EqualsNoCase(std::string_view a, std::string_view b)
{
    return a.size() == b.size()
        && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return Upper(x) == Upper(y); });
}

std::string_view Trim(std::string_view text)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    return text;
}

struct Property {
    std::string_view name;
    std::string_view value;
    bool quotedPrintable = false;
    bool binary = false;
    bool latin1 = false;
    NumberKind kind = NumberKind::Other;
};

// TYPE=CELL,VOICE, TYPE="work", or vCard 2.1's bare ";HOME": a number's kind from its types.
NumberKind KindOfTypes(std::string_view types, NumberKind kind)
{
    while (!types.empty()) {
        size_t comma = std::min(types.find(','), types.size());
        std::string_view type = Trim(types.substr(0, comma));
        if (!type.empty() && type.front() == '"')
            type.remove_prefix(1);
        if (!type.empty() && type.back() == '"')
            type.remove_suffix(1);
        types.remove_prefix(std::min(comma + 1, types.size()));
        if (EqualsNoCase(type, "CELL") || EqualsNoCase(type, "MOBILE"))
            return NumberKind::Mobile; // a mobile marked for work too is reached as a mobile
        if (EqualsNoCase(type, "WORK"))
            kind = NumberKind::Work;
        else if (EqualsNoCase(type, "HOME") && kind == NumberKind::Other)
            kind = NumberKind::Home;
    }
    return kind;
}

bool SplitProperty(std::string_view line, Property& property)
{
    size_t colon = VCardLines::FindUnquoted(line, ':');
    if (colon == std::string_view::npos)
        return false;
    std::string_view head = line.substr(0, colon);
    property.value = line.substr(colon + 1);
    size_t semicolon = std::min(head.find(';'), head.size());
    property.name = Trim(head.substr(0, semicolon));
    // A group prefix ("item1.TEL") does not change what the property is.
    if (size_t dot = property.name.rfind('.'); dot != std::string_view::npos)
        property.name.remove_prefix(dot + 1);

    std::string_view params = head.substr(semicolon);
    while (!params.empty()) {
        params.remove_prefix(1);
        size_t end = std::min(VCardLines::FindUnquoted(params, ';'), params.size());
        std::string_view param = Trim(params.substr(0, end));
        params.remove_prefix(end);
        size_t equals = param.find('=');
        std::string_view key
            = equals == std::string_view::npos ? std::string_view("ENCODING") : param.substr(0, equals);
        std::string_view value = equals == std::string_view::npos ? param : param.substr(equals + 1);
        if (EqualsNoCase(key, "TYPE") || equals == std::string_view::npos)
            property.kind = KindOfTypes(value, property.kind);
        if (EqualsNoCase(key, "ENCODING")) {
            property.quotedPrintable |= EqualsNoCase(value, "QUOTED-PRINTABLE");
            property.binary |= EqualsNoCase(value, "B") || EqualsNoCase(value, "BASE64");
        } else if (EqualsNoCase(key, "CHARSET")) {
            // Phones write UTF-8 or a Western charset; anything else is read byte for byte.
            property.latin1 = !EqualsNoCase(value, "UTF-8") && !EqualsNoCase(value, "UTF8");
        }
    }
    return true;
}

std::string DecodeQuotedPrintable(std::string_view text)
{
    std::string bytes;
    bytes.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '=' && i + 2 < text.size() && HexDigitValue(text[i + 1]) >= 0
            && HexDigitValue(text[i + 2]) >= 0) {
            bytes.push_back(char(HexDigitValue(text[i + 1]) * 16 + HexDigitValue(text[i + 2])));
            i += 2;
        } else if (text[i] == '=' && i + 1 == text.size()) {
            break; // a soft break left at the end of the value
        } else {
            bytes.push_back(text[i]);
        }
    }
    return bytes;
}

// Text values escape commas, semicolons, backslashes and line breaks with a backslash.
std::string Unescape(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 1 < text.size()) {
            char next = text[++i];
            out.push_back(next == 'n' || next == 'N' ? ' ' : next);
        } else {
            out.push_back(text[i]);
        }
    }
    return out;
}

// The components of a structured value, split at unescaped semicolons.
std::vector<std::string_view> SplitComponents(std::string_view text)
{
    std::vector<std::string_view> parts;
    size_t start = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\')
            ++i;
        else if (text[i] == ';') {
            parts.push_back(text.substr(start, i - start));
            start = i + 1;
        }
    }
    parts.push_back(text.substr(std::min(start, text.size())));
    return parts;
}

bool IsUtf8(std::string_view bytes)
{
    for (size_t i = 0; i < bytes.size();) {
        unsigned char c = bytes[i];
        size_t extra = c < 0x80 ? 0 : (c >> 5) == 0x6 ? 1 : (c >> 4) == 0xE ? 2 : (c >> 3) == 0x1E ? 3 : 4;
        if (extra == 4 || c == 0xC0 || c == 0xC1 || c > 0xF4 || i + extra >= bytes.size())
            return false;
        for (size_t k = 1; k <= extra; ++k) {
            if ((static_cast<unsigned char>(bytes[i + k]) & 0xC0) != 0x80)
                return false;
        }
        i += extra + 1;
    }
    return true;
}

WString Decode(std::string_view bytes, bool latin1)
{
    if (!latin1 && IsUtf8(bytes))
        return FromUtf8(bytes);
    WString text;
    text.reserve(bytes.size());
    for (char c : bytes)
        text.push_back(char16_t(static_cast<unsigned char>(c)));
    return text;
}

// A name fit for one line of a screen: control characters become spaces, the ends are trimmed,
// and it is cut to the cap without splitting a surrogate pair.
WString CleanName(WString name)
{
    for (char16_t& c : name) {
        if (c < 0x20 || c == 0x7F)
            c = u' ';
    }
    size_t first = name.find_first_not_of(u' ');
    if (first == WString::npos)
        return {};
    name.erase(0, first);
    name.erase(name.find_last_not_of(u' ') + 1);
    if (name.size() > VCardReader::kMaxNameChars) {
        size_t cut = VCardReader::kMaxNameChars;
        if (name[cut - 1] >= 0xD800 && name[cut - 1] <= 0xDBFF)
            --cut;
        name.resize(cut);
    }
    return name;
}

// A category list ("Family,Favorite") that puts the card among the phone's favourites.
bool NamesFavourite(std::string_view categories)
{
    for (std::string_view rest = categories; !rest.empty();) {
        const size_t comma = rest.find(',');
        const std::string_view item = Trim(rest.substr(0, comma));
        if (EqualsNoCase(item, "favorite") || EqualsNoCase(item, "favourite")
            || EqualsNoCase(item, "favorites") || EqualsNoCase(item, "favourites"))
            return true;
        rest = comma == std::string_view::npos ? std::string_view() : rest.substr(comma + 1);
    }
    return false;
}

class CardBuilder {
public:
    void Add(const Property& property)
    {
        if (property.binary)
            return;
        std::string value
            = property.quotedPrintable ? DecodeQuotedPrintable(property.value) : std::string(property.value);
        if (EqualsNoCase(property.name, "FN")) {
            m_formatted = CleanName(Decode(Unescape(value), property.latin1));
        } else if (EqualsNoCase(property.name, "N")) {
            std::vector<std::string_view> parts = SplitComponents(value);
            WString family = CleanName(Decode(Unescape(parts[0]), property.latin1));
            WString given
                = parts.size() > 1 ? CleanName(Decode(Unescape(parts[1]), property.latin1)) : WString();
            m_structured
                = CleanName(given.empty() || family.empty() ? given + family : given + u' ' + family);
        } else if (EqualsNoCase(property.name, "CATEGORIES")) {
            m_favourite = m_favourite || NamesFavourite(value);
        } else if (EqualsNoCase(property.name, "TEL")) {
            std::string_view number = Trim(value);
            // A cut number would be someone else's: one too long is left out.
            if (!number.empty() && number.size() <= VCardReader::kMaxNumberBytes
                && m_numbers.size() < VCardReader::kMaxNumbersPerCard) {
                if (m_numbers.size() < m_kinds.size())
                    m_kinds[m_numbers.size()] = property.kind;
                m_numbers.emplace_back(number);
            }
        }
    }

    bool Finish(Contact& contact)
    {
        contact.name = m_formatted.empty() ? std::move(m_structured) : std::move(m_formatted);
        contact.numbers = std::move(m_numbers);
        contact.kinds = m_kinds;
        contact.favourite = m_favourite;
        return !contact.name.empty() && !contact.numbers.empty();
    }

private:
    WString m_formatted;
    WString m_structured;
    std::vector<std::string> m_numbers;
    std::array<NumberKind, Contact::kMaxKinds> m_kinds = {};
    bool m_favourite = false;
};

}

std::vector<Contact> VCardReader::Parse(std::string_view text, std::stop_token stop)
{
    std::vector<Contact> contacts;
    if (text.size() > kMaxFileBytes)
        text = text.substr(0, kMaxFileBytes);
    VCardLines lines(text, kMaxLineBytes);
    std::optional<CardBuilder> card;
    std::string line;
    bool tooLong = false;
    while (contacts.size() < kMaxCards && lines.Next(line, tooLong)) {
        Property property;
        if (tooLong || !SplitProperty(line, property))
            continue;
        if (EqualsNoCase(property.name, "BEGIN") && EqualsNoCase(Trim(property.value), "VCARD")) {
            if (stop.stop_requested())
                break;
            // A card still open here lost its END: it is dropped, this one starts afresh.
            card.emplace();
            lines.SetFoldKeepsSpace(false);
        } else if (card && EqualsNoCase(property.name, "VERSION")) {
            lines.SetFoldKeepsSpace(Trim(property.value) == "2.1");
        } else if (card && EqualsNoCase(property.name, "END")
            && EqualsNoCase(Trim(property.value), "VCARD")) {
            Contact contact;
            if (card->Finish(contact))
                contacts.push_back(std::move(contact));
            card.reset();
        } else if (card) {
            card->Add(property);
        }
    }
    return contacts;
}

std::vector<Contact> VCardReader::ReadFile(const std::filesystem::path& path, std::stop_token stop)
{
    // Non-blocking, so that a pipe or device dropped under a .vcf name cannot stall the reader.
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return {};
    struct stat info { };
    std::string bytes;
    if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode)) {
        bytes.resize(std::min<size_t>(size_t(info.st_size), kMaxFileBytes));
        size_t filled = 0;
        while (filled < bytes.size()) {
            ssize_t n = ::read(fd, bytes.data() + filled, bytes.size() - filled);
            if (n <= 0)
                break;
            filled += size_t(n);
        }
        bytes.resize(filled);
    }
    ::close(fd);
    return Parse(bytes, stop);
}
