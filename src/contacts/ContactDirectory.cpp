#include "contacts/ContactDirectory.h"

#include "contacts/PhoneNumber.h"

#include <unicode/alphaindex.h>
#include <unicode/coll.h>
#include <unicode/normalizer2.h>
#include <unicode/uloc.h>

#include <algorithm>
#include <memory>

namespace {

constexpr char kWordBreak = ' ';
constexpr char kNoKey = '-';

// Letters whose base letter no decomposition gives.
struct Folded {
    char16_t letter;
    char base;
};
constexpr Folded kUndecomposed[] = {
    { u'ß', 's' }, { u'ø', 'o' }, { u'Ø', 'o' }, { u'æ', 'a' }, { u'Æ', 'a' }, { u'œ', 'o' },
    { u'Œ', 'o' }, { u'đ', 'd' }, { u'Đ', 'd' }, { u'ł', 'l' }, { u'Ł', 'l' }, { u'ı', 'i' },
};

char KeyOfLetter(char letter)
{
    static constexpr char kKeys[] = "22233344455566677778889999";
    return kKeys[(letter | 0x20) - 'a'];
}

bool IsAsciiLetter(char16_t c)
{
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}

char KeyOf(char16_t c, const icu::Normalizer2* nfd)
{
    if (c >= u'0' && c <= u'9')
        return char(c);
    if (IsAsciiLetter(c))
        return KeyOfLetter(char(c));
    for (const Folded& folded : kUndecomposed) {
        if (folded.letter == c)
            return KeyOfLetter(folded.base);
    }
    icu::UnicodeString parts;
    if (nfd && nfd->getDecomposition(c, parts) && parts.length() > 0 && IsAsciiLetter(parts.charAt(0)))
        return KeyOfLetter(char(parts.charAt(0)));
    return u_isalpha(c) ? kNoKey : kWordBreak;
}

bool StartsWith(std::string_view text, std::string_view prefix)
{
    return text.substr(0, prefix.size()) == prefix;
}

// Whether the number, as dialled (spaces, dashes, brackets, dots and slashes skipped), contains
// the typed text; numbers are short, so the plain search is quick enough.
bool ContainsDialled(std::string_view written, std::string_view typed)
{
    auto separator = [](char c) { return c == ' ' || c == '-' || c == '(' || c == ')' || c == '.' || c == '/'; };
    for (size_t start = 0; start < written.size(); ++start) {
        if (separator(written[start]))
            continue;
        size_t at = start;
        size_t matched = 0;
        while (matched < typed.size() && at < written.size()) {
            if (separator(written[at])) {
                ++at;
            } else if (written[at] == typed[matched]) {
                ++at;
                ++matched;
            } else {
                break;
            }
        }
        if (matched == typed.size())
            return true;
    }
    return false;
}

}

void ContactDirectory::Add(const Contact& contact)
{
    if (m_sealed || contact.name.empty() || contact.name.size() > UINT16_MAX)
        return;
    Entry entry { uint32_t(m_namePool.size()), uint16_t(contact.name.size()), 0, uint32_t(m_lines.size()), 0 };
    for (size_t i = 0; i < contact.numbers.size() && entry.lineCount < UINT16_MAX; ++i) {
        const std::string& written = contact.numbers[i];
        if (PhoneNumber(written).Empty() || written.size() > UINT8_MAX)
            continue;
        m_lines.push_back({ uint32_t(m_textPool.size()), uint32_t(m_entries.size()), uint8_t(written.size()),
            contact.KindOf(i) });
        m_textPool += written;
        ++entry.lineCount;
    }
    if (entry.lineCount == 0)
        return;
    m_namePool += contact.name;
    m_entries.push_back(entry);
}

void ContactDirectory::Merge(std::vector<Entry>& merged, std::vector<std::vector<Number>>& numbers) const
{
    std::vector<uint32_t> byName(m_entries.size());
    for (size_t i = 0; i < byName.size(); ++i)
        byName[i] = uint32_t(i);
    std::stable_sort(byName.begin(), byName.end(),
        [this](uint32_t a, uint32_t b) { return NameView(m_entries[a]) < NameView(m_entries[b]); });
    for (size_t i = 0; i < byName.size(); ++i) {
        const Entry& entry = m_entries[byName[i]];
        if (i == 0 || NameView(entry) != NameView(m_entries[byName[i - 1]])) {
            merged.push_back(entry);
            numbers.emplace_back();
        }
        std::vector<Number>& kept = numbers.back();
        for (size_t n = entry.firstLine; n < entry.firstLine + entry.lineCount; ++n) {
            // A phone's two books (phone and SIM) often hold one number twice, written apart.
            const PhoneNumber number(TextOf(m_lines[n]));
            bool known = std::any_of(kept.begin(), kept.end(), [&](const Number& k) {
                return PhoneNumber::Match(PhoneNumber(TextOf(k)), number) == PhoneNumber::kSameNumber;
            });
            if (!known && kept.size() < UINT16_MAX)
                kept.push_back(m_lines[n]);
        }
    }
}

void ContactDirectory::Sort(
    const std::string& locale, std::vector<Entry>& merged, std::vector<std::vector<Number>>& numbers) const
{
    std::vector<std::pair<std::string, uint32_t>> keys(merged.size());
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<icu::Collator> collator(icu::Collator::createInstance(icu::Locale(locale.c_str()), status));
    for (size_t i = 0; i < merged.size(); ++i) {
        keys[i].second = uint32_t(i);
        if (U_FAILURE(status) || !collator)
            continue; // the code-unit order Merge left
        // One sort key per name, so the sort compares bytes rather than running the rules again.
        std::u16string_view name = NameView(merged[i]);
        icu::UnicodeString text(false, name.data(), int32_t(name.size()));
        int32_t size = collator->getSortKey(text, nullptr, 0);
        keys[i].first.resize(size_t(std::max(size, 0)));
        collator->getSortKey(text, reinterpret_cast<uint8_t*>(keys[i].first.data()), size);
    }
    std::stable_sort(keys.begin(), keys.end());
    std::vector<Entry> sortedEntries;
    std::vector<std::vector<Number>> sortedNumbers;
    sortedEntries.reserve(merged.size());
    sortedNumbers.reserve(merged.size());
    for (const auto& key : keys) {
        sortedEntries.push_back(merged[key.second]);
        sortedNumbers.push_back(std::move(numbers[key.second]));
    }
    merged = std::move(sortedEntries);
    numbers = std::move(sortedNumbers);
}

void ContactDirectory::Seal(const std::string& locale)
{
    if (m_sealed)
        return;
    m_sealed = true;
    std::vector<Entry> merged;
    std::vector<std::vector<Number>> numbers;
    Merge(merged, numbers);
    Sort(locale, merged, numbers);

    std::string textPool;
    std::vector<Number> lines;
    for (size_t e = 0; e < merged.size(); ++e) {
        Entry& entry = merged[e];
        entry.firstLine = uint32_t(lines.size());
        entry.lineCount = uint16_t(numbers[e].size());
        entry.keysAt = uint32_t(m_keysPool.size());
        m_keysPool += KeysOf(NameView(entry));
        for (Number number : numbers[e]) {
            std::string_view text = TextOf(number);
            number.textAt = uint32_t(textPool.size());
            number.entry = uint32_t(e);
            textPool += text;
            lines.push_back(number);
        }
    }
    m_entries = std::move(merged);
    m_entries.shrink_to_fit();
    m_lines = std::move(lines);
    m_lines.shrink_to_fit();
    m_textPool = std::move(textPool);
    m_textPool.shrink_to_fit();
    m_keysPool.shrink_to_fit();
    m_namePool.shrink_to_fit();

    m_byName.resize(m_entries.size());
    for (size_t i = 0; i < m_byName.size(); ++i)
        m_byName[i] = uint32_t(i);
    std::sort(m_byName.begin(), m_byName.end(),
        [this](uint32_t a, uint32_t b) { return NameView(m_entries[a]) < NameView(m_entries[b]); });
    Index(locale);
}

void ContactDirectory::Index(const std::string& locale)
{
    UErrorCode status = U_ZERO_ERROR;
    icu::AlphabeticIndex index(icu::Locale(locale.c_str()), status);
    // Latin names in a book of another script get their letters too.
    index.addLabels(icu::Locale::getEnglish(), status);
    std::unique_ptr<icu::AlphabeticIndex::ImmutableIndex> buckets(index.buildImmutableIndex(status));
    if (U_FAILURE(status) || !buckets)
        return;
    int32_t last = -1;
    for (const Entry& entry : m_entries) {
        std::u16string_view name = NameView(entry);
        int32_t bucket = buckets->getBucketIndex(icu::UnicodeString(false, name.data(), int32_t(name.size())), status);
        if (U_FAILURE(status))
            return;
        const icu::AlphabeticIndex::Bucket* found = buckets->getBucket(bucket);
        if (bucket == last || !found)
            continue;
        last = bucket;
        const icu::UnicodeString& label = found->getLabel();
        m_sections.push_back({ WString(label.getBuffer(), size_t(label.length())), entry.firstLine });
    }
}

std::u16string_view ContactDirectory::NameView(const Entry& entry) const
{
    return std::u16string_view(m_namePool).substr(entry.nameAt, entry.nameLength);
}

std::string_view ContactDirectory::TextOf(const Number& number) const
{
    return std::string_view(m_textPool).substr(number.textAt, number.textLength);
}

std::string_view ContactDirectory::KeysView(size_t entry) const
{
    const size_t end = entry + 1 < m_entries.size() ? m_entries[entry + 1].keysAt : m_keysPool.size();
    return std::string_view(m_keysPool).substr(m_entries[entry].keysAt, end - m_entries[entry].keysAt);
}

WString ContactDirectory::Name(size_t entry) const
{
    return WString(NameView(m_entries[entry]));
}

size_t ContactDirectory::Find(const WString& name) const
{
    auto it = std::lower_bound(m_byName.begin(), m_byName.end(), std::u16string_view(name),
        [this](uint32_t e, std::u16string_view n) { return NameView(m_entries[e]) < n; });
    return it != m_byName.end() && NameView(m_entries[*it]) == name ? *it : EntryCount();
}

ContactDirectory::Line ContactDirectory::LineAt(size_t line) const
{
    const Number& number = m_lines[line];
    return { number.entry, number.kind, TextOf(number) };
}

std::string ContactDirectory::DialText(size_t line) const
{
    return PhoneNumber(TextOf(m_lines[line])).Text();
}

size_t ContactDirectory::BestLineOf(size_t entry) const
{
    const Entry& e = m_entries[entry];
    for (size_t line = e.firstLine; line < e.firstLine + e.lineCount; ++line) {
        if (m_lines[line].kind == NumberKind::Mobile)
            return line;
    }
    return e.firstLine;
}

std::vector<size_t> ContactDirectory::Search(std::string_view typed, size_t limit) const
{
    enum Rank { kNameStart, kWordStart, kNumber, kRanks };
    std::vector<size_t> found[kRanks];
    if (typed.empty() || limit == 0)
        return {};
    // '*' and '#' are on no letter key.
    const bool byName = typed.size() <= kMaxKeys && typed.find_first_not_of("0123456789") == std::string_view::npos;
    for (size_t e = 0; e < m_entries.size() && found[kNameStart].size() < limit; ++e) {
        const std::string_view keys = KeysView(e);
        if (byName && StartsWith(keys, typed)) {
            found[kNameStart].push_back(BestLineOf(e));
            continue;
        }
        if (byName && found[kWordStart].size() < limit) {
            bool word = false;
            for (size_t at = keys.find(kWordBreak); !word && at != std::string_view::npos;
                 at = keys.find(kWordBreak, at + 1))
                word = StartsWith(keys.substr(at + 1), typed);
            if (word) {
                found[kWordStart].push_back(BestLineOf(e));
                continue;
            }
        }
        if (found[kNumber].size() < limit) {
            const Entry& entry = m_entries[e];
            for (size_t line = entry.firstLine; line < entry.firstLine + entry.lineCount; ++line) {
                if (ContainsDialled(TextOf(m_lines[line]), typed)) {
                    found[kNumber].push_back(line);
                    break;
                }
            }
        }
    }
    std::vector<size_t> best;
    for (const auto& rank : found) {
        for (size_t line : rank) {
            if (best.size() == limit)
                return best;
            best.push_back(line);
        }
    }
    return best;
}

std::string ContactDirectory::LocaleFor(uint16_t language)
{
    char name[ULOC_FULLNAME_CAPACITY] = {};
    UErrorCode status = U_ZERO_ERROR;
    int32_t length = uloc_getLocaleForLCID(language, name, int32_t(sizeof name), &status);
    return U_FAILURE(status) || length <= 0 ? std::string() : std::string(name, size_t(length));
}

std::string ContactDirectory::KeysOf(std::u16string_view name)
{
    UErrorCode status = U_ZERO_ERROR;
    const icu::Normalizer2* nfd = icu::Normalizer2::getNFDInstance(status);
    if (U_FAILURE(status))
        nfd = nullptr;
    std::string keys;
    keys.reserve(name.size());
    for (char16_t c : name) {
        if (keys.size() == kMaxKeys)
            break;
        char key = KeyOf(c, nfd);
        // One break between words, none at the start.
        if (key != kWordBreak || (!keys.empty() && keys.back() != kWordBreak))
            keys.push_back(key);
    }
    return keys;
}
