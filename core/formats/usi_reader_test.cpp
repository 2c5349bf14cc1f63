#include "core/formats/usi_reader.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "core/formats/record_loader.h"
#include "core/formats/usi.h"
#include "core/text/sjis.h"
#include "tests/support/interop.h"
#include "tests/support/random_record.h"

namespace core {
namespace {

int mainLineLength(const RecordStore& store) {
    int n = 0;
    for (NodeIndex x = store.node(kRootNode).next; x != kNoNode; x = store.node(x).next) ++n;
    return n;
}

TEST(UsiReaderTest, GeneratedRecordsSurviveUsiToRecordToUsi) {
    std::mt19937 rng(7);
    testsupport::RandomRecordOptions generate;
    generate.handicapPercent = 30;
    for (int i = 0; i < 200; ++i) {
        RecordStore store;
        testsupport::makeRandomRecord(store, rng, generate);
        const std::string usi = usiPositionCommand(store);
        RecordStore copy;
        ReadReport r = readUsiText(copy, usi + "\r\n", {});
        ASSERT_EQ(r.result, ReadResult::Ok) << usi << "\n" << toUtf8Lossy(r.message);
        EXPECT_EQ(usiPositionCommand(copy), usi);
        EXPECT_EQ(copy.handicap(), store.handicap()) << usi;
        EXPECT_EQ(copy.customStart(), store.customStart()) << usi;
    }
}

using UsiReaderInteropTest = testsupport::InteropTest;

TEST_F(UsiReaderInteropTest, EveryInteropRecordSurvivesUsiToRecordToUsi) {
    int records = 0;
    for (const char* folder : {"kif", "ki2", "csa"}) {
        for (const auto& path : testsupport::interopFiles(folder)) {
            RecordStore store;
            if (loadRecordFile(store, path.string(), {}).result != ReadResult::Ok) continue;
            ++records;
            const std::string usi = usiPositionCommand(store);
            RecordStore copy;
            ReadReport r = readUsiText(copy, usi, {});
            ASSERT_EQ(r.result, ReadResult::Ok) << path << "\n" << toUtf8Lossy(r.message);
            EXPECT_EQ(usiPositionCommand(copy), usi) << path;
        }
    }
    EXPECT_GE(records, 30);
}

TEST(UsiReaderTest, EveryFormOfTheCommandReads) {
    struct Case {
        const char* text;
        const char* usi;  // as written back
        HandicapType handicap;
        bool custom;
    };
    const Case cases[] = {
        {"position startpos", "position startpos", kHandicapEven, false},
        {"position startpos moves 7g7f 3c3d", "position startpos moves 7g7f 3c3d", kHandicapEven,
         false},
        {"startpos moves 2g2f", "position startpos moves 2g2f", kHandicapEven, false},
        {"\n  \nposition sfen lnsgkgsnl/1r5b1/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL b - 1 "
         "moves 7g7f\nsecond line",
         "position startpos moves 7g7f", kHandicapEven, false},
        // The bishop handicap: White (the giver) moves first; a standard set-up.
        {"sfen lnsgkgsnl/1r7/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL w - 1 moves 3c3d",
         "position sfen lnsgkgsnl/1r7/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL w - 1 moves 3c3d",
         3, false},
        // A bare SFEN with hands, promoted pieces and a move number.
        {"4k4/9/4P4/9/9/9/9/9/+R8 b 2G2s 57", "position sfen 4k4/9/4P4/9/9/9/9/9/+R8 b 2G2s 1",
         kHandicapOther, true},
        {"4k4/9/4P4/9/9/9/9/9/+R8 b 2G2s moves G*5b",
         "position sfen 4k4/9/4P4/9/9/9/9/9/+R8 b 2G2s 1 moves G*5b", kHandicapOther, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        RecordStore store;
        ReadReport r = readUsiText(store, c.text, {});
        ASSERT_EQ(r.result, ReadResult::Ok) << toUtf8Lossy(r.message);
        EXPECT_EQ(usiPositionCommand(store), c.usi);
        EXPECT_EQ(store.customStart(), c.custom);
        if (!c.custom) {
            EXPECT_EQ(store.handicap(), c.handicap);
        }
        EXPECT_TRUE(looksLikeUsi(c.text));
        EXPECT_EQ(store.current(), kRootNode);
    }
}

TEST(UsiReaderTest, BadTextStopsWithTheWordAndKeepsTheMovesBefore) {
    struct Case {
        const char* text;
        const char* message;
        int kept;
    };
    const Case cases[] = {
        {"position sfen 9/9/9 b - 1", "SFENが正しくありません：9/9/9", 0},
        {"position sfen lnsgkgsnl/1r5b1/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSN b - 1",
         "SFENが正しくありません：", 0},
        {"sfen 4k4/9/9/9/9/9/9/9/4K4 x - 1", "SFENが正しくありません：", 0},
        {"position sfen", "SFENが正しくありません：", 0},
        // More pieces than one set holds: the excess is named, nothing is cut.
        {"sfen kkkkkkkkk/9/9/9/9/9/9/9/4K4 b - 1", "SFENの駒が多すぎます：玉10枚", 0},
        {"sfen lnsgkgsnl/1r5b1/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL b 18P 1",
         "SFENの駒が多すぎます：歩36枚", 0},
        {"sfen 4k4/9/9/9/9/9/9/9/4K4 b R2r 1", "SFENの駒が多すぎます：飛3枚", 0},
        {"sfen 4k4/9/9/9/9/9/9/9/4K4 b 99999999999P 1", "SFENが正しくありません：", 0},
        {"sfen 4k4/9/9/9/9/9/9/+P+P+P+P+P/4K4 b 14p 1", "SFENの駒が多すぎます：歩19枚", 0},
        {"position startpos moves 7g7f 3c3d 5e5d", "3手目 駒がありません：5e5d", 2},
        {"position startpos moves 7g7f 7g7f", "2手目 駒がありません：7g7f", 1},
        {"position startpos moves 7g7f 3c3d G*5e", "3手目 打てません：G*5e", 2},
        {"position startpos moves 7g7f 3a3b 6i5h+", "3手目 指せません：6i5h+", 2},
        {"position startpos moves 7g7f xyz", "2手目 指せません：xyz", 1},
        {"position startpos moves 7g7f 7a6b 8h7i", "3手目 指せません：8h7i", 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        RecordStore store;
        ReadReport r = readUsiText(store, c.text, {});
        EXPECT_EQ(r.result, ReadResult::LineFailed);
        EXPECT_NE(toUtf8Lossy(r.message).find(c.message), std::string::npos)
            << toUtf8Lossy(r.message);
        EXPECT_EQ(mainLineLength(store), c.kept);
    }
}

TEST(UsiReaderTest, OtherTextIsNotTakenForUsi) {
    for (const char* text : {"", "   \n", "# KIF", "開始日時：2020", "9/9/9 b - 1", "sente"}) {
        EXPECT_FALSE(looksLikeUsi(std::string(text))) << text;
    }
}

TEST(UsiReaderTest, RuleViolationsAreWarnings) {
    RecordStore store;
    ReadOptions options;
    options.fileName = "a.usi";
    ReadReport r = readUsiText(store, "position startpos moves 7g7e", options);
    ASSERT_EQ(r.result, ReadResult::Ok);
    ASSERT_EQ(r.warnings.size(), 1u);
    EXPECT_EQ(toUtf8Lossy(r.warnings[0]), "警告：ルールエラー：a.usi 1手目 ７五歩(77)");
    EXPECT_EQ(mainLineLength(store), 1);
}

}  // namespace
}  // namespace core
