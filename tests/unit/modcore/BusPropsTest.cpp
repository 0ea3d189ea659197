// The messages are built and read back in memory, on a connection that never reaches a bus.
#include "BusProps.h"

#include <gtest/gtest.h>

#include <string>
#include <sys/socket.h>
#include <systemd/sd-bus.h>
#include <unistd.h>
#include <vector>

namespace {

// A dictionary a{sv} built entry by entry, then sealed so it can be read like a received one.
class Dictionary {
public:
    Dictionary()
    {
        int fds[2];
        if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, fds) == 0) {
            sd_bus_new(&m_bus);
            sd_bus_set_fd(m_bus, fds[0], fds[0]);
            sd_bus_start(m_bus);
            close(fds[1]);
        }
        sd_bus_message_new_signal(m_bus, &m_message, "/test", "org.ostrilan.Test", "Changed");
        sd_bus_message_open_container(m_message, 'a', "{sv}");
    }
    ~Dictionary()
    {
        sd_bus_message_unref(m_message);
        sd_bus_flush_close_unref(m_bus);
    }
    Dictionary(const Dictionary&) = delete;
    Dictionary& operator=(const Dictionary&) = delete;

    void Text(const std::string& key, const std::string& value, char type = 's')
    {
        const char signature[] = { type, 0 };
        EXPECT_GE(sd_bus_message_append(m_message, "{sv}", key.c_str(), signature, value.c_str()), 0) << key;
    }
    void Flag(const std::string& key, bool value)
    {
        EXPECT_GE(sd_bus_message_append(m_message, "{sv}", key.c_str(), "b", int(value)), 0);
    }
    void List(const std::string& key, const std::vector<std::string>& items)
    {
        sd_bus_message_open_container(m_message, 'e', "sv");
        sd_bus_message_append(m_message, "s", key.c_str());
        sd_bus_message_open_container(m_message, 'v', "as");
        sd_bus_message_open_container(m_message, 'a', "s");
        for (const auto& item : items)
            sd_bus_message_append(m_message, "s", item.c_str());
        sd_bus_message_close_container(m_message);
        sd_bus_message_close_container(m_message);
        sd_bus_message_close_container(m_message);
    }
    BusProps Read()
    {
        BusProps props;
        sd_bus_message_close_container(m_message);
        EXPECT_GE(sd_bus_message_seal(m_message, 1, 0), 0);
        sd_bus_message_rewind(m_message, 1);
        EXPECT_GE(ReadProps(m_message, props), 0);
        return props;
    }

private:
    sd_bus* m_bus = nullptr;
    sd_bus_message* m_message = nullptr;
};

}

TEST(BusProps, TextsAreCutAt1024BytesOnACharacterAndLongerPathsDropped)
{
    Dictionary d;
    d.Text("Exact", std::string(1024, 'a'));
    d.Text("Over", std::string(1025, 'b'));
    // 1023 bytes and a two-byte character: cut before the character, not inside it.
    d.Text("Accent", std::string(1023, 'c') + "\xc3\xa9");
    d.Text("Path", "/" + std::string(1023, 'p'), 'o');
    d.Text("LongPath", "/" + std::string(1024, 'p'), 'o');
    BusProps props = d.Read();
    EXPECT_EQ(props.text["Exact"], std::string(1024, 'a'));
    EXPECT_EQ(props.text["Over"], std::string(1024, 'b'));
    EXPECT_EQ(props.text["Accent"], std::string(1023, 'c'));
    EXPECT_EQ(props.text["Path"].size(), 1024u);
    EXPECT_EQ(props.text.count("LongPath"), 0u);
}

TEST(BusProps, SixtyFourPropertiesAreKeptAndAListOfSixtyFourStrings)
{
    Dictionary d;
    for (int i = 0; i < 63; ++i)
        d.Flag("Flag" + std::to_string(i), true);
    std::vector<std::string> uuids;
    for (int i = 0; i < 65; ++i)
        uuids.push_back("uuid-" + std::to_string(i));
    d.List("UUIDs", uuids); // the 64th property
    d.Text("Name", "past the bound");
    d.Flag("Flag0", false); // one already kept is still updated
    BusProps props = d.Read();
    EXPECT_EQ(props.flags.size() + props.text.size() + props.lists.size(), 64u);
    EXPECT_EQ(props.text.count("Name"), 0u);
    EXPECT_FALSE(props.flags["Flag0"]);
    ASSERT_EQ(props.lists["UUIDs"].size(), 64u);
    EXPECT_EQ(props.lists["UUIDs"].back(), "uuid-63");
}
