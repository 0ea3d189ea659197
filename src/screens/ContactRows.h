#pragma once

// The rows of the contacts screen: the favourites (the contacts called most, from the outgoing
// list) first, then every number of the directory in its order; and the letter index folded into
// the cells the screen has room for.

#include "contacts/ContactDirectory.h"
#include "platform/draw/DeviceContext.h"

#include <memory>
#include <vector>

class CallLogStore;
class ScreenContext;

class ContactRows {
public:
    static constexpr size_t kMaxFavourites = 3;

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

private:
    std::shared_ptr<const ContactDirectory> m_directory;
    std::vector<size_t> m_favourites;
};
