#include "core/templates/record_saver.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "core/formats/csa_writer.h"
#include "core/formats/ki2_writer.h"
#include "core/formats/kif_writer.h"
#include "core/formats/record_loader.h"
#include "core/templates/english_exports.h"
#include "core/templates/position_text.h"
#include "core/templates/template_test_fixture.h"
#include "core/text/translation.h"
#include "tests/support/temp_folder.h"

namespace core {
namespace {

using testsupport::kGame;
using testsupport::TemplateTest;

std::string sjisOf(std::string_view text) { return utf8ToCp932(text).text; }

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

// A record file is the same whatever the language of the program that writes it.
TEST_F(RecordSaverTest, EveryFormatIsWrittenTheSameInEnglish) {
    const SaveFormat formats[] = {SaveFormat::Kif, SaveFormat::Ki2,     SaveFormat::Csa,
                                  SaveFormat::Bod, SaveFormat::KifUtf8, SaveFormat::Ki2Utf8,
                                  SaveFormat::Jkf, SaveFormat::Usi,     SaveFormat::CsaUtf8};
    std::vector<std::string> japanese;
    for (SaveFormat f : formats)
        japanese.push_back(savedFile(store, f, writeOptions, expander).bytes);
    const std::string locale = std::string(TAVREL_BINARY_DIR) + "/tavrel/locale";
    ASSERT_TRUE(useLanguage(Language::English, "tavrel", locale));
    ASSERT_STRNE(translate("棋譜保存"), "棋譜保存");  // the catalogue answers
    for (std::size_t i = 0; i < std::size(formats); ++i) {
        EXPECT_EQ(savedFile(store, formats[i], writeOptions, expander).bytes, japanese[i])
            << extensionOf(formats[i]);
    }
    useLanguage(Language::Japanese, "tavrel", locale);
}

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
        {"a.csau", SaveFormat::CsaUtf8},
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
        {SaveFormat::Kif, "a.kif", [&] { return sjisOf(kifText(store, writeOptions)); }, true},
        {SaveFormat::Ki2, "a.ki2", [&] { return sjisOf(ki2Text(store, writeOptions)); }, true},
        {SaveFormat::Csa, "a.csa", [&] { return sjisOf(csaText(store)); }, true},
        {SaveFormat::KifUtf8, "a.kifu", [&] { return kifText(store, writeOptions); }, true},
        {SaveFormat::Ki2Utf8, "a.ki2u", [&] { return ki2Text(store, writeOptions); }, true},
        {SaveFormat::CsaUtf8, "a.csau", [&] { return "'CSA encoding=UTF-8\r\n" + csaText(store); },
         true},
        {SaveFormat::Bod, "a.bod", [&] { return sjisOf(positionFileText(expander)); }, false},
        {SaveFormat::EnglishRecord, "a.gam",
         [&] { return sjisOf(englishRecordText(store, options)); }, false},
        {SaveFormat::EnglishPosition, "a.txt",
         [&] { return sjisOf(englishPositionText(expander)); }, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        store.markDirty();
        std::string written = save(c.format, c.name);
        EXPECT_EQ(written, c.expected());
        EXPECT_EQ(isRecordFormat(c.format), c.record);
        EXPECT_EQ(store.dirty() == 0, c.record);
        EXPECT_EQ(savedFile(store, c.format, writeOptions, expander).bytes, written);
    }
}

TEST_F(RecordSaverTest, UtfFormsAreTheSameRecordInUtf8) {
    std::string kif = save(SaveFormat::KifUtf8, "a.kifu");
    EXPECT_NE(kif.find("７六歩(77)"), std::string::npos);
    EXPECT_EQ(kif.find(sjisOf("７六歩")), std::string::npos);
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

// Text Shift-JIS cannot hold: kept by every UTF-8 form, refused (never replaced) by the others.
class UnicodeSaveTest : public RecordSaverTest {
protected:
    void SetUp() override {
        RecordSaverTest::SetUp();
        store.setPlayerName(PlayerField::Black, "김철수");
        store.setHeader(HeaderField::Event, "Torneo Ñandú");
        ASSERT_EQ(store.replaceComment(2, "🙂 한국 ü"), CommentResult::Ok);
    }
    void expectReadBack(const std::string& path) {
        RecordStore back;
        ReadReport r = loadRecordFile(back, path, {});
        ASSERT_EQ(r.result, ReadResult::Ok) << path;
        EXPECT_EQ(back.playerName(PlayerField::Black), "김철수") << path;
        EXPECT_EQ(back.header(HeaderField::Event), "Torneo Ñandú") << path;
        EXPECT_EQ(back.comment(2), "🙂 한국 ü\n") << path;
    }
};

TEST_F(UnicodeSaveTest, Utf8FormsKeepEveryCharacterThroughSaveAndRead) {
    for (const char* name : {"a.kifu", "a.ki2u", "a.jkf", "a.csau"}) {
        SCOPED_TRACE(name);
        const std::string path = folder.file(name);
        ASSERT_EQ(saveRecordFile(store, *saveFormatOfPath(path), path, writeOptions, expander),
                  WriteResult::Ok);
        expectReadBack(path);
    }
}

TEST_F(UnicodeSaveTest, ShiftJisFormsRefuseNamingTheFieldAndTheCharacter) {
    const std::string path = folder.file("a.kif");
    ASSERT_TRUE(writeFileAtomically(path, "old") == WriteResult::Ok);
    for (SaveFormat format : {SaveFormat::Kif, SaveFormat::Ki2, SaveFormat::Csa}) {
        Cp932Problem problem;
        store.markDirty();
        EXPECT_EQ(saveRecordFile(store, format, path, writeOptions, expander, &problem),
                  WriteResult::Unencodable);
        EXPECT_EQ(problem.field, "先手");
        EXPECT_EQ(problem.character, "김");
        EXPECT_NE(store.dirty(), 0);  // still unsaved
        const std::string message = msgCannotSaveInCp932(format, problem);
        EXPECT_NE(message.find("「先手」"), std::string::npos) << message;
        EXPECT_NE(message.find("「김」（U+AE40）"), std::string::npos) << message;
        EXPECT_NE(message.find("UTF-8"), std::string::npos) << message;
    }
    EXPECT_EQ(readFile(path), std::optional<std::string>("old"));  // nothing written
    EXPECT_EQ(utf8FormOf(SaveFormat::Kif), SaveFormat::KifUtf8);
    EXPECT_EQ(utf8FormOf(SaveFormat::Ki2), SaveFormat::Ki2Utf8);
    EXPECT_EQ(utf8FormOf(SaveFormat::Csa), SaveFormat::CsaUtf8);
    EXPECT_EQ(utf8FormOf(SaveFormat::Jkf), std::nullopt);
}

TEST_F(UnicodeSaveTest, TheFieldIsFoundWhereverTheCharacterIs) {
    store.setPlayerName(PlayerField::Black, "羽生");
    std::optional<Cp932Problem> p = findCp932Problem(store);
    ASSERT_TRUE(p.has_value());
    EXPECT_EQ(p->field, "棋戦");
    EXPECT_EQ(p->character, "Ñ");
    store.setHeader(HeaderField::Event, "名人戦");
    p = findCp932Problem(store);
    ASSERT_TRUE(p.has_value());
    EXPECT_EQ(p->field, "コメント（2手目）");
    EXPECT_EQ(p->character, "🙂");
    ASSERT_EQ(store.replaceComment(2, "好手"), CommentResult::Ok);
    EXPECT_FALSE(findCp932Problem(store).has_value());
    // Now the Shift-JIS file is written, byte for byte what the text converts to.
    const std::string path = folder.file("a.kif");
    EXPECT_EQ(saveRecordFile(store, SaveFormat::Kif, path, writeOptions, expander),
              WriteResult::Ok);
    EXPECT_EQ(readFile(path), sjisOf(kifText(store, writeOptions)));
}

}  // namespace
}  // namespace core
