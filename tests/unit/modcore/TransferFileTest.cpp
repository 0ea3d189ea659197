// The files obexd reports: taken only inside the bridge's folder, as regular files in the bound.
#include "TransferFile.h"

#include "support/TestEnv.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sys/stat.h>

namespace fs = std::filesystem;

namespace {

void Write(const fs::path& path, const std::string& text)
{
    std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
}

std::vector<uint8_t> Bytes(const std::string& text)
{
    return { text.begin(), text.end() };
}

}

TEST(TransferFile, OnlyAFileInsideTheFolderIsTakenWithEveryLinkAndDotsResolved)
{
    testenv::TempDir dir;
    const fs::path folder = dir / "transfers";
    fs::create_directories(folder / "sub");
    Write(folder / "pb.vcf", "book");
    Write(folder / "sub" / "cch.vcf", "history");
    Write(dir / "secret", "not a book");
    fs::create_symlink(folder / "pb.vcf", folder / "alias.vcf");
    fs::create_directories(dir / "transfers-other");
    Write(dir / "transfers-other" / "pb.vcf", "a sibling whose name starts the same");

    EXPECT_EQ(transferfile::Inside(folder, (folder / "pb.vcf").string()), fs::canonical(folder / "pb.vcf"));
    EXPECT_EQ(transferfile::Inside(folder, (folder / "sub" / "cch.vcf").string()),
        fs::canonical(folder / "sub" / "cch.vcf"));
    EXPECT_EQ(
        transferfile::Inside(folder, (folder / "alias.vcf").string()), fs::canonical(folder / "pb.vcf"));
    // The folder named through a link of its own still holds its files.
    fs::create_symlink(folder, dir / "via-link");
    EXPECT_EQ(transferfile::Inside(dir / "via-link", (folder / "pb.vcf").string()),
        fs::canonical(folder / "pb.vcf"));

    for (const fs::path& outside : { folder / ".." / "secret", folder / "sub" / ".." / ".." / "secret",
             dir / "transfers-other" / "pb.vcf", folder, folder / "missing.vcf", fs::path("pb.vcf") })
        EXPECT_TRUE(transferfile::Inside(folder, outside.string()).empty()) << outside;
    EXPECT_TRUE(transferfile::Inside(folder, "").empty());
    EXPECT_TRUE(transferfile::Inside(dir / "no-such-folder", (folder / "pb.vcf").string()).empty());
}

TEST(TransferFile, AFileIsReadWholeUpToTheBoundAndNeverThroughALinkOrAFifo)
{
    testenv::TempDir dir;
    Write(dir / "ten.vcf", "0123456789");
    std::vector<uint8_t> bytes = Bytes("ab");
    // Ten bytes fit a bound of ten, after what was there; with nine left they are refused whole.
    EXPECT_TRUE(transferfile::AppendBounded(dir / "ten.vcf", 10, bytes));
    EXPECT_EQ(bytes, Bytes("ab0123456789"));
    EXPECT_FALSE(transferfile::AppendBounded(dir / "ten.vcf", 9, bytes));
    EXPECT_EQ(bytes, Bytes("ab0123456789"));

    Write(dir / "empty.vcf", "");
    EXPECT_TRUE(transferfile::AppendBounded(dir / "empty.vcf", 0, bytes));
    EXPECT_EQ(bytes.size(), 12u);

    fs::create_symlink(dir / "ten.vcf", dir / "link.vcf");
    ASSERT_EQ(mkfifo((dir / "fifo.vcf").c_str(), 0600), 0);
    fs::create_directories(dir / "folder.vcf");
    for (const char* name : { "link.vcf", "fifo.vcf", "folder.vcf", "missing.vcf" }) {
        EXPECT_FALSE(transferfile::AppendBounded(dir / name, 1024, bytes)) << name;
        EXPECT_EQ(bytes.size(), 12u) << name;
    }
}

// Only the new part's cards are marked, and only within the bound (exactly fits; a byte less not).
TEST(TransferFile, TheFavouritesAreMarkedCardByCardWithinTheBound)
{
    const std::string before = "BEGIN:VCARD\r\nFN:Old\r\nEND:VCARD\r\n";
    const std::string cards
        = "BEGIN:VCARD\r\nFN:A\r\nend:vcard\r\nBEGIN:VCARD\r\nNOTE:END:VCARD\r\nEND:VCARD";
    const std::string marked = before
        + "BEGIN:VCARD\r\nFN:A\r\nX:1\r\nend:vcard\r\nBEGIN:VCARD\r\nNOTE:END:VCARD\r\nX:1\r\nEND:VCARD";
    std::vector<uint8_t> bytes = Bytes(before + cards);
    EXPECT_FALSE(transferfile::MarkCards(bytes, before.size(), "X:1", marked.size() - 1));
    EXPECT_EQ(bytes, Bytes(before + cards));
    EXPECT_TRUE(transferfile::MarkCards(bytes, before.size(), "X:1", marked.size()));
    EXPECT_EQ(bytes, Bytes(marked));
}

TEST(TransferFile, ThePrivateFolderIsNewAndOnlyTheUsersOwn)
{
    testenv::TempDir dir;
    std::string error;
    std::optional<testenv::ScopedEnv> runtime(std::in_place, "XDG_RUNTIME_DIR", dir.Path().c_str());
    const fs::path first = transferfile::MakePrivateFolder(error);
    const fs::path second = transferfile::MakePrivateFolder(error);
    runtime.emplace("XDG_RUNTIME_DIR", (dir / "missing").c_str());
    const fs::path none = transferfile::MakePrivateFolder(error);

    ASSERT_FALSE(first.empty());
    EXPECT_NE(first, second);
    EXPECT_EQ(first.parent_path(), dir.Path());
    struct stat st { };
    ASSERT_EQ(lstat(first.c_str(), &st), 0);
    EXPECT_TRUE(S_ISDIR(st.st_mode));
    EXPECT_EQ(st.st_mode & 07777, 0700u);
    EXPECT_TRUE(none.empty());
    EXPECT_NE(error.find("missing"), std::string::npos) << error;
}
