#pragma once

// The rows of the contacts screen: the favourites (the contacts called most, from the outgoing
// list, then those the phone marks) first, then every number of the directory in its order; and
// the letter index folded into the cells the screen has room for.

#include "contacts/ContactDirectory.h"
#include "platform/draw/DeviceContext.h"

#include <memory>
#include <vector>

class CallLogStore;
class ScreenContext;

class ContactRows {
public:
    // The most called take at most three rows; the phone's favourites fill up to a page and a bit.
    static constexpr size_t kMaxMostCalled = 3;
    static constexpr size_t kMaxFavourites = 8;

    struct Row {
        size_t line;
        bool favourite;
    };
    // A cell of the letter index: "A", or "A–C" when the letters outnumber the cells.
    struct IndexCell {
        WString label;
        size_t row;
    };

    ContactRows() = default;
    // favourites: directory lines, best first; the first kMaxFavourites are kept.
    ContactRows(std::shared_ptr<const ContactDirectory> directory, std::vector<size_t> favourites);

    size_t Count() const { return m_favourites.size() + (m_directory ? m_directory->LineCount() : 0); }
    Row At(size_t row) const;
    const ContactDirectory& Directory() const { return *m_directory; }
    std::vector<IndexCell> Index(size_t cells) const;

    // "Mobile", "Home", ... in the user's language.
    static WString KindText(NumberKind kind);
    // A line as a 35-pixel striped row: the name (a star before a favourite's) above, the kind
    // and the number below; both cut with an ellipsis to the row. The font is the caller's.
    static void DrawRow(HDC dc, const RECT& rect, const ContactDirectory& directory, size_t line,
        size_t stripe, bool favourite);

    // The directory lines of the numbers dialled most often among the outgoing calls kept (the
    // newest first among equals), one per contact.
    static std::vector<size_t> MostCalled(const ContactDirectory& directory, const ScreenContext& ctx);
    // The favourites' lines: the first kMaxMostCalled of mostCalled, then the phone's favourites
    // (each by its first mobile number, else its first) in the list's order, each contact once.
    static std::vector<size_t> Favourites(const ContactDirectory& directory, std::vector<size_t> mostCalled);

private:
    std::shared_ptr<const ContactDirectory> m_directory;
    std::vector<size_t> m_favourites;
};
