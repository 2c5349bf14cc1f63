#include "core/base/path_text.h"

#include <gtest/gtest.h>

#include <string>

namespace core {
namespace {

struct PathCase {
    std::string path;
    std::string folder;
    std::string name;
    std::string stem;  // withoutExtension
    std::string extension;
};

// "棋譜" in UTF-8 ends in 0x9C, a Shift-JIS lead byte, just before the ".": read as Shift-JIS
// characters it would swallow the "." (and a "/" the same way).
const std::string kUtf8Name = "\xE6\xA3\x8B\xE8\xAD\x9C";
// "棋譜" in CP932.
const std::string kCp932Name = "\x8A\xFB\x95\x88";

TEST(PathText, PiecesOfPaths) {
    const PathCase cases[] = {
        {"/db/index.DLS", "/db/", "index.DLS", "/db/index", "dls"},
        {"index.DLS", "", "index.DLS", "index", "dls"},
        {"/a.b/c", "/a.b/", "c", "/a.b/c", ""},  // a dot of the folder is no extension
        {"/r/.kif", "/r/", ".kif", "/r/", "kif"},
        {"/r/s/", "/r/s/", "", "/r/s/", ""},
        {"/x.tar.GZ", "/", "x.tar.GZ", "/x.tar", "gz"},
        {"", "", "", "", ""},
        {"/" + kUtf8Name + "/" + kUtf8Name + ".DLB", "/" + kUtf8Name + "/", kUtf8Name + ".DLB",
         "/" + kUtf8Name + "/" + kUtf8Name, "dlb"},
        {"/" + kCp932Name + "/" + kCp932Name + ".KIF", "/" + kCp932Name + "/", kCp932Name + ".KIF",
         "/" + kCp932Name + "/" + kCp932Name, "kif"},
    };
    for (const PathCase& c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(folderOf(c.path), c.folder);
        EXPECT_EQ(fileNameOf(c.path), c.name);
        EXPECT_EQ(withoutExtension(c.path), c.stem);
        EXPECT_EQ(lowerExtension(c.path), c.extension);
    }
}

}  // namespace
}  // namespace core
