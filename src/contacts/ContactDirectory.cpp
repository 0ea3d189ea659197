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
    { u'ß', 's' },
    { u'ø', 'o' },
    { u'Ø', 'o' },
    { u'æ', 'a' },
    { u'Æ', 'a' },
    { u'œ', 'o' },
    { u'Œ', 'o' },
    { u'đ', 'd' },
    { u'Đ', 'd' },
    { u'ł', 'l' },
    { u'Ł', 'l' },
    { u'ı', 'i' },
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

}

ContactDirectory::ContactDirectory(std::shared_ptr<const ContactIndex> index, const std::string& locale)
    : m_index(std::move(index))
{
    if (!m_index)
        return;
    // Cards of one name are one person: grouped in code-unit order first.
    std::vector<uint32_t> byName(m_index->ContactCount());
    for (size_t i = 0; i < byName.size(); ++i)
        byName[i] = uint32_t(i);
    std::stable_sort(byName.begin(), byName.end(),
        [this](uint32_t a, uint32_t b) { return m_index->NameView(a) < m_index->NameView(b); });
    // Flat, without a block per group: a large book would scatter the memory.
    std::vector<uint32_t> groupStarts;
    for (size_t i = 0; i < byName.size(); ++i) {
        if (i == 0 || m_index->NameView(byName[i]) != m_index->NameView(byName[i - 1]))
            groupStarts.push_back(uint32_t(i));
    }
    std::vector<uint32_t> groups(groupStarts.size());
    for (size_t g = 0; g < groups.size(); ++g)
        groups[g] = uint32_t(g);
    groupStarts.push_back(uint32_t(byName.size()));
    Sort(locale, groups, [&](uint32_t g) { return byName[groupStarts[g]]; });

    for (uint32_t g : groups) {
        Entry entry { byName[groupStarts[g]], uint32_t(m_lines.size()), uint32_t(m_keysPool.size()), 0,
            false };
        const size_t first = m_lines.size();
        for (uint32_t at = groupStarts[g]; at < groupStarts[g + 1]; ++at) {
            const uint32_t contact = byName[at];
            entry.favourite = entry.favourite || m_index->IsFavourite(contact);
            for (size_t i = 0; i < m_index->NumberCountOf(contact) && entry.lineCount < kMaxNumbersPerEntry;
                 ++i) {
                const uint32_t number = m_index->NumberOf(contact, i);
                // A phone's two books (phone and SIM) often hold one number twice, written apart.
                const PhoneNumber text(m_index->NumberText(number));
                bool known
                    = std::any_of(m_lines.begin() + ptrdiff_t(first), m_lines.end(), [&](const Number& n) {
                          return PhoneNumber::Match(PhoneNumber(m_index->NumberText(n.number)), text)
                              == PhoneNumber::kSameNumber;
                      });
                if (known)
                    continue;
                m_lines.push_back({ uint32_t(m_entries.size()), number });
                ++entry.lineCount;
            }
        }
        if (entry.lineCount == 0)
            continue;
        m_keysPool += KeysOf(m_index->NameView(entry.contact));
        m_entries.push_back(entry);
    }
    m_lines.shrink_to_fit();
    m_entries.shrink_to_fit();
    m_keysPool.shrink_to_fit();

    m_byName.resize(m_entries.size());
    for (size_t i = 0; i < m_byName.size(); ++i)
        m_byName[i] = uint32_t(i);
    std::sort(m_byName.begin(), m_byName.end(),
        [this](uint32_t a, uint32_t b) { return NameView(a) < NameView(b); });
    Index(locale);
}

void ContactDirectory::Sort(const std::string& locale, std::vector<uint32_t>& groups,
    const std::function<uint32_t(uint32_t)>& contactOf) const
{
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<icu::Collator> collator(
        icu::Collator::createInstance(icu::Locale(locale.c_str()), status));
    if (U_FAILURE(status) || !collator)
        return; // the code-unit order they came in
    // Compared in place rather than through sort keys: a large book would need megabytes of keys.
    std::stable_sort(groups.begin(), groups.end(), [&](uint32_t a, uint32_t b) {
        const std::u16string_view x = m_index->NameView(contactOf(a));
        const std::u16string_view y = m_index->NameView(contactOf(b));
        UErrorCode error = U_ZERO_ERROR;
        return collator->compare(x.data(), int32_t(x.size()), y.data(), int32_t(y.size()), error)
            == UCOL_LESS;
    });
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
    for (size_t e = 0; e < m_entries.size(); ++e) {
        const Entry& entry = m_entries[e];
        const std::u16string_view name = NameView(e);
        int32_t bucket
            = buckets->getBucketIndex(icu::UnicodeString(false, name.data(), int32_t(name.size())), status);
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

std::string_view ContactDirectory::KeysView(size_t entry) const
{
    const size_t end = entry + 1 < m_entries.size() ? m_entries[entry + 1].keysAt : m_keysPool.size();
    return std::string_view(m_keysPool).substr(m_entries[entry].keysAt, end - m_entries[entry].keysAt);
}

WString ContactDirectory::Name(size_t entry) const
{
    return WString(NameView(entry));
}

size_t ContactDirectory::Find(const WString& name) const
{
    auto it = std::lower_bound(m_byName.begin(), m_byName.end(), std::u16string_view(name),
        [this](uint32_t e, std::u16string_view n) { return NameView(e) < n; });
    return it != m_byName.end() && NameView(*it) == name ? *it : EntryCount();
}

ContactDirectory::Line ContactDirectory::LineAt(size_t line) const
{
    const Number& n = m_lines[line];
    return { n.entry, m_index->NumberKindAt(n.number), m_index->NumberText(n.number) };
}

size_t ContactDirectory::BestLineOf(size_t entry) const
{
    const Entry& e = m_entries[entry];
    for (size_t line = e.firstLine; line < e.firstLine + e.lineCount; ++line) {
        if (m_index->NumberKindAt(m_lines[line].number) == NumberKind::Mobile)
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
    const bool byName
        = typed.size() <= kMaxKeys && typed.find_first_not_of("0123456789") == std::string_view::npos;
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
                if (m_index->NumberText(m_lines[line].number).find(typed) != std::string_view::npos) {
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
