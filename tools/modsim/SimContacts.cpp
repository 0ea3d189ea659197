#include "SimContacts.h"

#include "contacts/ContactBook.h"

#include <algorithm>
#include <fstream>
#include <sstream>

namespace {

// Line breaks would end the card's line early and start a property of their own.
bool OneLine(const std::string& text)
{
    return text.find_first_of("\r\n") == std::string::npos;
}

}

std::string SimContacts::Execute(const std::vector<std::string>& words, const BtAddress& phone)
{
    const std::string& cmd = words.at(0);
    if (cmd == "contact") {
        const bool favourite = words.size() == 4 && words[3] == "favourite";
        if ((words.size() != 3 && !favourite) || words[1].empty() || words[2].empty() || !OneLine(words[1])
            || !OneLine(words[2]))
            return "error contact \"NAME\" NUMBER [favourite]";
        // A favourite is filed as the phone's favourites book is.
        std::string cards = m_cards + "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:" + words[1]
            + (favourite ? "\r\nCATEGORIES:favorite" : "") + "\r\nTEL;TYPE=CELL:" + words[2]
            + "\r\nEND:VCARD\r\n";
        std::string answer = Write(phone, cards, "contact");
        if (answer.rfind("ok", 0) == 0)
            m_cards = std::move(cards);
        return answer;
    }
    if (words.size() != 2)
        return "error vcard PATH";
    std::error_code ec;
    const std::uintmax_t size = std::filesystem::file_size(words[1], ec);
    if (ec || size > kMaxFileBytes)
        return ec ? "error cannot read " + words[1] : "error larger than 4 MiB: " + words[1];
    std::ifstream in(words[1], std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    if (!in)
        return "error cannot read " + words[1];
    // The file replaces the book; later contacts add to it.
    std::string answer = Write(phone, bytes.str(), "vcard");
    if (answer.rfind("ok", 0) == 0)
        m_cards = bytes.str();
    return answer;
}

std::string SimContacts::Write(const BtAddress& phone, const std::string& bytes, const std::string& what)
{
    const std::span<const uint8_t> data(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
    if (!ContactBook::WriteVCardFile(m_folder, phone, data))
        return "error cannot write into " + m_folder.string();
    return "ok " + what + " " + (m_folder / ContactBook::FileNameFor(phone)).string();
}
