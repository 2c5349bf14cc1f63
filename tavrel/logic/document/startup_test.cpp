#include "tavrel/logic/document/startup.h"

#include <gtest/gtest.h>

#include "core/text/sjis.h"

namespace tavrel {
namespace {

TEST(Startup, MissingEnvironmentWarningNamesFolderAndUpperCaseExtension) {
    EXPECT_EQ(environmentMissingWarning("/opt/tavrel/", "work"),
              std::string(
                  "環境ファイル(/opt/tavrel/work.ENV)が存在しませんので、標準設定で起動します。"));
}

TEST(Startup, ProgramPathsMadeAbsolute) {
    EXPECT_EQ(absoluteProgramPath("Dalmir", "/opt/t/"), "/opt/t/Dalmir");
    EXPECT_EQ(absoluteProgramPath("/usr/bin/dalmir", "/opt/t/"), "/usr/bin/dalmir");
}

}  // namespace
}  // namespace tavrel
