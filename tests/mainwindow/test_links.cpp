#include "foundation/text_codec.h"
#include "mainwindow/links.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

TEST(LinkFile, SplitsAtFirstEqualsAfterTheTitleLine) {
    TempDir dir;
    std::string path = dir.file("link.txt");
    ASSERT_TRUE(write_file_atomic(path, "Titre=ignored\r\nSite=http://a.example/?x=1&y=2\r\n"
                                        "no separator\r\n=http://b.example/\r\n \xE9t\xE9 = x \n"));
    std::vector<rLink> links = read_link_file(path);
    ASSERT_EQ(links.size(), 3u);
    EXPECT_EQ(links[0].caption, "Site");
    EXPECT_EQ(links[0].address, "http://a.example/?x=1&y=2");
    EXPECT_EQ(links[1].caption, "");
    EXPECT_EQ(links[1].address, "http://b.example/");
    EXPECT_EQ(links[2].caption, " \xE9t\xE9 ");
    EXPECT_EQ(links[2].address, " x ");

    ASSERT_TRUE(write_file_atomic(path, "only=a title\r\n"));
    EXPECT_TRUE(read_link_file(path).empty());
    EXPECT_TRUE(read_link_file(dir.file("missing.txt")).empty());
}
