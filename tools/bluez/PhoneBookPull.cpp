#include "PhoneBookPull.h"
#include "BusProps.h"
#include "TransferFile.h"

#include "contacts/ContactBook.h"

#include <cstring>
#include <systemd/sd-bus.h>
#include <vector>

namespace {

using busname::kObex;
constexpr const char* kClientPath = "/org/bluez/obex";
constexpr const char* kClientIface = "org.bluez.obex.Client1";
constexpr const char* kPhonebookIface = "org.bluez.obex.PhonebookAccess1";
constexpr const char* kTransferIface = "org.bluez.obex.Transfer1";
// The phone book, the contacts of the call history, and the phone's favourites (PBAP 1.2), whose
// cards are filed under the category the application reads as a favourite.
constexpr const char* kBooks[] = { "pb", "cch", "fav" };
constexpr size_t kFavouritesBook = 2;

int OnProperties(sd_bus_message* m, void* userdata, sd_bus_error*)
{
    static_cast<PhoneBookPull*>(userdata)->OnPropertiesChanged(m);
    return 0;
}

const char* ErrorOf(sd_bus_message* m)
{
    const sd_bus_error* error = m ? sd_bus_message_get_error(m) : nullptr;
    return error && error->name ? error->name : "no answer";
}

}

PhoneBookPull::PhoneBookPull(
    TimerQueue& timers, FILE* trace, std::filesystem::path folder, std::filesystem::path transfers)
    : m_timers(timers)
    , m_bus(timers, trace, SystemBus::Kind::Session, { kObex })
    , m_folder(std::move(folder))
    , m_transfers(std::move(transfers))
{
}

PhoneBookPull::~PhoneBookPull()
{
    m_timers.Cancel(m_limit);
    // The pending answers point at this object.
    m_bus.Close();
}

bool PhoneBookPull::OpenBus()
{
    if (m_bus.Raw())
        return true;
    int r = m_bus.Open();
    if (r >= 0)
        r = m_bus.Owners().Watch(m_bus);
    if (r >= 0)
        r = sd_bus_match_signal(m_bus.Raw(), nullptr, kObex, nullptr, "org.freedesktop.DBus.Properties",
            "PropertiesChanged", OnProperties, this);
    if (r < 0) {
        // Said once: the trace would otherwise carry it on every link.
        if (!m_noBusSaid)
            m_bus.Trace("no session bus (%s): phone books are not pulled", strerror(-r));
        m_noBusSaid = true;
        m_bus.Close();
        return false;
    }
    m_noBusSaid = false;
    return true;
}

void PhoneBookPull::Process()
{
    if (!m_bus.Process()) {
        m_bus.Trace("session bus lost");
        Finish(false, "the session bus went away");
        m_bus.Close();
    }
}

void PhoneBookPull::Pull(const std::string& addressText, const BtAddress& address)
{
    if (m_busy)
        Finish(false, "the phone linked again");
    if (!OpenBus())
        return;
    m_busy = true;
    unsigned long id = ++m_id;
    m_addressText = addressText;
    m_address = address;
    m_book = 0;
    m_collected.clear();
    m_bus.Trace("phone book of %s: pulling", addressText.c_str());
    m_limit = m_timers.After(kPullLimit, [this] {
        m_limit = 0;
        Fail("it took too long");
    });
    auto args = [&addressText](sd_bus_message* m) {
        return sd_bus_message_append(m, "sa{sv}", addressText.c_str(), 1, "Target", "s", "PBAP");
    };
    m_bus.Call(
        kObex, kClientPath, kClientIface, "CreateSession", args,
        [this, id](sd_bus_message* m, bool ok) {
            if (!Current(id))
                return;
            const char* session = nullptr;
            if (!ok || sd_bus_message_read(m, "o", &session) < 0) {
                Finish(false, ErrorOf(m));
                return;
            }
            m_session = session;
            Select(id);
        },
        kSessionTimeoutUs);
}

void PhoneBookPull::Select(unsigned long id)
{
    const char* book = kBooks[m_book];
    auto args = [book](sd_bus_message* m) { return sd_bus_message_append(m, "ss", "int", book); };
    m_bus.Call(kObex, m_session, kPhonebookIface, "Select", args, [this, id](sd_bus_message* m, bool ok) {
        if (!Current(id))
            return;
        if (!ok) {
            Fail(ErrorOf(m));
            return;
        }
        PullAll(id);
    });
}

void PhoneBookPull::PullAll(unsigned long id)
{
    // Into the bridge's own folder, where nobody else can have laid a file or a link.
    const std::string target = (m_transfers / (std::string(kBooks[m_book]) + ".vcf")).string();
    std::error_code ec;
    std::filesystem::remove(target, ec);
    // Names and numbers only: photos would make the book many megabytes for nothing shown.
    auto args = [target](sd_bus_message* m) {
        return sd_bus_message_append(
            m, "sa{sv}", target.c_str(), 1, "Fields", "as", 4, "VERSION", "FN", "N", "TEL");
    };
    m_bus.Call(kObex, m_session, kPhonebookIface, "PullAll", args, [this, id](sd_bus_message* m, bool ok) {
        if (!Current(id))
            return;
        char type = 0;
        const char* transfer = nullptr;
        BusProps props;
        // obexd answers with an object path; some versions of its interface with a string.
        if (!ok || sd_bus_message_peek_type(m, &type, nullptr) <= 0 || (type != 'o' && type != 's')
            || sd_bus_message_read_basic(m, type, &transfer) < 0 || ReadProps(m, props) < 0) {
            Fail(ErrorOf(m));
            return;
        }
        m_transfer = transfer;
        Take(props.text, "Filename", m_file);
        std::string status;
        Take(props.text, "Status", status);
        Status(status);
    });
}

void PhoneBookPull::OnPropertiesChanged(sd_bus_message* m)
{
    const char* path = sd_bus_message_get_path(m);
    const char* interface = nullptr;
    if (!m_busy || m_transfer.empty() || !path || m_transfer != path || !m_bus.From(m, kObex)
        || sd_bus_message_read(m, "s", &interface) < 0 || strcmp(interface, kTransferIface) != 0)
        return;
    BusProps props;
    if (ReadProps(m, props) < 0)
        return;
    std::string status;
    Take(props.text, "Status", status);
    Take(props.text, "Filename", m_file);
    Status(status);
}

void PhoneBookPull::Status(const std::string& status)
{
    if (status == "complete")
        BookDone();
    else if (status == "error")
        Fail("the transfer failed");
}

void PhoneBookPull::BookDone()
{
    const auto file = transferfile::Inside(m_transfers, m_file);
    if (file.empty()) {
        m_bus.Trace("phone book of %s: obexd's file %s is not in %s", m_addressText.c_str(), m_file.c_str(),
            m_transfers.c_str());
        m_file.clear();
        Fail("its file is not where it was asked for");
        return;
    }
    const size_t before = m_collected.size();
    if (!transferfile::AppendBounded(file, kMaxBytes - before, m_collected)
        || (m_book == kFavouritesBook
            && !transferfile::MarkCards(m_collected, before, "CATEGORIES:favorite", kMaxBytes))) {
        m_collected.resize(before);
        Fail("its file cannot be read");
        return;
    }
    RemoveTransferFile();
    if (++m_book < std::size(kBooks)) {
        Select(m_id);
        return;
    }
    Finish(true, nullptr);
}

void PhoneBookPull::Fail(const char* why)
{
    if (m_book > 0 && !m_collected.empty()) {
        m_bus.Trace("phone book of %s: no %s (%s)", m_addressText.c_str(), kBooks[m_book], why);
        // A phone without one book may still have the next; the time limit ends them all.
        RemoveTransferFile();
        if (m_limit != 0 && ++m_book < std::size(kBooks)) {
            Select(m_id);
            return;
        }
        Finish(true, nullptr);
    } else {
        Finish(false, why);
    }
}

void PhoneBookPull::RemoveTransferFile()
{
    // obexd made the file in our folder; it is ours to remove, and nothing outside it is.
    const auto file
        = m_transfer.empty() ? std::filesystem::path() : transferfile::Inside(m_transfers, m_file);
    if (!file.empty()) {
        std::error_code ec;
        std::filesystem::remove(file, ec);
    }
    m_transfer.clear();
    m_file.clear();
}

void PhoneBookPull::Finish(bool ok, const char* why)
{
    if (!m_busy)
        return;
    m_busy = false;
    m_timers.Cancel(m_limit);
    m_limit = 0;
    const char* address = m_addressText.c_str();
    if (ok) {
        if (!ContactBook::WriteVCardFile(m_folder, m_address, m_collected))
            m_bus.Trace("phone book of %s: cannot write into %s", address, m_folder.c_str());
        else
            m_bus.Trace("phone book of %s: %zu bytes written to %s", address, m_collected.size(),
                (m_folder / ContactBook::FileNameFor(m_address)).c_str());
    } else {
        m_bus.Trace("phone book of %s not pulled: %s", address, why);
    }
    RemoveTransferFile();
    m_collected.clear();
    if (!m_session.empty()) {
        std::string session = m_session;
        m_bus.Call(
            kObex, kClientPath, kClientIface, "RemoveSession",
            [session](sd_bus_message* m) { return sd_bus_message_append(m, "o", session.c_str()); },
            [](sd_bus_message*, bool) {});
    }
    m_session.clear();
}
