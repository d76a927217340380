#include "foundation/text_codec.h"
#include "mainwindow/links.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

TEST(LinkFile, SplitsAtFirstEqualsAfterTheTitleLine) {
    TempDir dir;
    std::string path = dir.file("link.txt");
    ASSERT_TRUE(write_file_atomic(path, "Titre=ignored\r\nSite=http://a.example/?x=1&y=2\r\n"
                                        "no separator\r\n=http://b.example/\r\n \xE9t\xE9 = x \n"));
    std::string read;
    for (const rLink& link : read_link_file(path))
        read += link.caption + "|" + link.address + "\n";
    EXPECT_EQ(read, "Site|http://a.example/?x=1&y=2\n|http://b.example/\n \xE9t\xE9 | x \n");

    ASSERT_TRUE(write_file_atomic(path, "only=a title\r\n"));
    EXPECT_TRUE(read_link_file(path).empty() && read_link_file(dir.file("missing.txt")).empty());
}
