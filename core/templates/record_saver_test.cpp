#include "core/templates/record_saver.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "core/formats/csa_writer.h"
#include "core/formats/ki2_writer.h"
#include "core/formats/kif_writer.h"
#include "core/templates/english_exports.h"
#include "core/templates/position_text.h"
#include "core/templates/template_test_fixture.h"
#include "tests/support/temp_folder.h"

namespace core {
namespace {

using testsupport::kGame;
using testsupport::TemplateTest;

class RecordSaverTest : public TemplateTest {
protected:
    void SetUp() override {
        load(kGame);
        go(3);
        store.markDirty();
    }
    std::string save(SaveFormat format, const std::string& name) {
        std::string path = folder.file(name);
        EXPECT_EQ(saveRecordFile(store, format, path, writeOptions, expander), WriteResult::Ok);
        return readFile(path).value_or("<not written>");
    }

    testsupport::TempFolder folder;
    RecordWriteOptions writeOptions;
};

TEST(RecordSaver, FormatOfOutputPath) {
    const std::pair<const char*, std::optional<SaveFormat>> cases[] = {
        {"a.kif", SaveFormat::Kif},
        {"a.KI2", SaveFormat::Ki2},
        {"/x/a.Csa", SaveFormat::Csa},
        {"a.kifu", SaveFormat::KifUtf8},
        {"a.KI2U", SaveFormat::Ki2Utf8},
        {"a.bod", SaveFormat::Bod},
        {"a.gam", SaveFormat::EnglishRecord},
        {"a.txt", SaveFormat::EnglishPosition},
        {"a.csau", std::nullopt},
        {"a.xyz", std::nullopt},
        {"a", std::nullopt},
        {"folder.kif/a", std::nullopt},
        {"", std::nullopt},
    };
    for (const auto& [path, format] : cases) EXPECT_EQ(saveFormatOfPath(path), format) << path;
}

// Each format goes to its own writer; records leave the store clean, texts made from the record
// leave it as it was.
TEST_F(RecordSaverTest, EveryFormatWritesItsWritersText) {
    struct Case {
        SaveFormat format;
        const char* name;
        std::function<std::string()> expected;
        bool record;
    };
    const Case cases[] = {
        {SaveFormat::Kif, "a.kif", [&] { return kifText(store, writeOptions); }, true},
        {SaveFormat::Ki2, "a.ki2", [&] { return ki2Text(store, writeOptions); }, true},
        {SaveFormat::Csa, "a.csa", [&] { return csaText(store); }, true},
        {SaveFormat::KifUtf8, "a.kifu", [&] { return toUtf8Lossy(kifText(store, writeOptions)); },
         true},
        {SaveFormat::Ki2Utf8, "a.ki2u", [&] { return toUtf8Lossy(ki2Text(store, writeOptions)); },
         true},
        {SaveFormat::Bod, "a.bod", [&] { return positionFileText(expander); }, false},
        {SaveFormat::EnglishRecord, "a.gam", [&] { return englishRecordText(store, options); },
         false},
        {SaveFormat::EnglishPosition, "a.txt", [&] { return englishPositionText(expander); },
         false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        store.markDirty();
        std::string written = save(c.format, c.name);
        EXPECT_EQ(written, c.expected());
        EXPECT_EQ(isRecordFormat(c.format), c.record);
        EXPECT_EQ(store.dirty() == 0, c.record);
        EXPECT_EQ(savedFileText(store, c.format, writeOptions, expander), written);
    }
}

TEST_F(RecordSaverTest, UtfFormsAreTheSameRecordInUtf8) {
    std::string kif = save(SaveFormat::KifUtf8, "a.kifu");
    EXPECT_NE(kif.find("７六歩(77)"), std::string::npos);
    EXPECT_EQ(kif.find(sjis("７六歩")), std::string::npos);
    std::string ki2 = save(SaveFormat::Ki2Utf8, "a.ki2u");
    EXPECT_NE(ki2.find("▲７六歩"), std::string::npos);
}

TEST_F(RecordSaverTest, FailedWriteKeepsTheRecordUnsaved) {
    std::string missing = folder.file("no such folder/a.kif");
    EXPECT_EQ(saveRecordFile(store, SaveFormat::Kif, missing, writeOptions, expander),
              WriteResult::CannotCreate);
    EXPECT_NE(store.dirty(), 0);
}

// Only the viewer's save moves the bookmark "読み込み時表示"; the saver writes what it is given.
TEST_F(RecordSaverTest, KifLeavesTheLoadBookmarkToTheCaller) {
    writeOptions.loadPosition = 3;
    save(SaveFormat::Kif, "a.kif");
    EXPECT_EQ(store.bookmarkByName(loadBookmarkName()), kNoNode);
}

}  // namespace
}  // namespace core
