// Round trips through the writers and the reader: what is written reads back as the same record,
// and writing that again gives the same bytes.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "core/base/path_text.h"
#include "core/formats/ki2_writer.h"
#include "core/formats/kif_writer.h"
#include "core/formats/writer_test_fixture.h"
#include "tests/support/interop.h"
#include "tests/support/random_record.h"
#include "tests/support/temp_folder.h"

namespace core {
namespace {

using testsupport::expectSameRecord;
using testsupport::golden;
using testsupport::readable;
using testsupport::readOptionsFor;

enum class Format { Kif, Ki2 };

bool hasNonAscii(std::string_view s) {
    return std::any_of(s.begin(), s.end(),
                       [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
}

std::string write(const RecordStore& store, Format format, const RecordWriteOptions& options) {
    return format == Format::Kif ? kifText(store, options) : ki2Text(store, options);
}

// Writes `original`, reads the text into a fresh store, compares, and writes again.
void expectRoundTrip(const RecordStore& original, Format format, const RecordWriteOptions& options,
                     const std::string& what) {
    SCOPED_TRACE(what);
    std::string text = write(original, format, options);
    RecordStore copy(original.capacity());
    ReadReport report = readRecordLines(copy, text, readOptionsFor(options));
    ASSERT_EQ(report.result, ReadResult::Ok) << readable(copy.readingError()) << "\n"
                                             << readable(text);
    // KI2 keeps no consumed times.
    expectSameRecord(original, copy, format == Format::Kif);
    std::string again = write(copy, format, options);
    EXPECT_EQ(readable(again), readable(text));
}

using WriterRoundTripInteropTest = testsupport::InteropTest;

TEST_F(WriterRoundTripInteropTest, EveryRecordSurvivesKifAndKi2) {
    RecordWriteOptions options;
    int records = 0;
    for (const char* folder : {"kif", "ki2"}) {
        for (const auto& path : testsupport::interopFiles(folder)) {
            RecordStore original;
            ReadReport r = readRecordFile(original, path.string(), readOptionsFor(options));
            ASSERT_EQ(r.result, ReadResult::Ok) << path;
            ASSERT_NE(original.node(kRootNode).next, kNoNode) << path;
            ++records;
            expectRoundTrip(original, Format::Kif, options, path.filename().string() + " as KIF");
            expectRoundTrip(original, Format::Ki2, options, path.filename().string() + " as KI2");
        }
    }
    EXPECT_GE(records, 20);
}

// The Shift-JIS files of other programs, read and saved as KIF and KI2 files, then read from those
// files and saved again: the second files are the first byte for byte, and nothing was refused.
TEST_F(WriterRoundTripInteropTest, ShiftJisFilesAreAFixedPointOfReadAndSave) {
    RecordWriteOptions options;
    testsupport::TempFolder temp;
    int files = 0;
    for (const char* folder : {"kif", "ki2"}) {
        for (const auto& path : testsupport::interopFiles(folder)) {
            const std::string ext = lowerExtension(path.string());
            if (ext != "kif" && ext != "ki2") continue;  // the UTF-8 forms are read elsewhere
            RecordStore original;
            ASSERT_EQ(readRecordFile(original, path.string(), readOptionsFor(options)).result,
                      ReadResult::Ok)
                << path;
            for (bool ki2 : {false, true}) {
                const std::string first = temp.file(ki2 ? "first.ki2" : "first.kif");
                const std::string second = temp.file(ki2 ? "second.ki2" : "second.kif");
                ASSERT_EQ(ki2 ? writeKi2File(original, first, options)
                              : writeKifFile(original, first, options),
                          WriteResult::Ok)
                    << path;
                RecordStore copy;
                ASSERT_EQ(readRecordFile(copy, first, readOptionsFor(options)).result,
                          ReadResult::Ok);
                ASSERT_EQ(
                    ki2 ? writeKi2File(copy, second, options) : writeKifFile(copy, second, options),
                    WriteResult::Ok);
                EXPECT_EQ(readFile(first), readFile(second)) << path;
                EXPECT_FALSE(isValidUtf8(*readFile(first)) && hasNonAscii(*readFile(first)))
                    << "written as Shift-JIS: " << path;
            }
            ++files;
        }
    }
    EXPECT_GE(files, 8);
}

// Golden files read back and written again give the very same bytes.
TEST(WriterRoundTripTest, GoldenFilesAreReproducedFromWhatTheyRead) {
    struct Case {
        const char* name;
        Format format;
        bool omitZeroTimes;
        bool halfWidth;
    };
    const Case cases[] = {
        {"even_variations.kif", Format::Kif, false, false},
        {"mating_problem.kif", Format::Kif, true, false},
        {"even_columns.ki2", Format::Ki2, false, false},
        {"even_columns_half.ki2", Format::Ki2, false, true},
    };
    for (const Case& c : cases) {
        RecordWriteOptions options;
        options.kifOmitZeroTimes = c.omitZeroTimes;
        options.ki2HalfWidth = c.halfWidth;
        RecordStore store;
        std::string bytes = golden(c.name);
        ASSERT_EQ(readRecordLines(store, bytes, readOptionsFor(options)).result, ReadResult::Ok)
            << c.name;
        EXPECT_EQ(readable(write(store, c.format, options)), readable(bytes)) << c.name;
    }
}

// Adds what the shared generator leaves out: a root comment and bookmark, comments of several
// lines (long ones too), comments on terminal entries, every kind of ending on the variations,
// more bookmarks, header and user fields, short names.
void decorate(RecordStore& store, std::mt19937& rng, const RecordWriteOptions& options) {
    auto pick = [&](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
    (void)store.replaceComment(0, std::string("開始局面\n二行目の説明"));
    (void)store.setBookmark(kRootNode, std::string("開始"));
    store.setHeader(HeaderField::Place, std::string("東京"));
    store.setHeader(HeaderField::Remarks, std::string("備考欄"));
    store.setHeader(HeaderField::User1, std::string("ユーザ値"));
    store.setHeader(HeaderField::User5, "someone@example.com");
    store.setPlayerName(PlayerField::BlackShort, std::string("先"));
    store.setFlipped(pick(2) == 0);
    std::vector<NodeIndex> ends;
    std::vector<NodeIndex> moves;
    for (NodeIndex i = 1; i < store.capacity(); ++i) {
        if (!store.isInUse(i)) continue;
        const MoveNode& n = store.node(i);
        if (!n.isTerminal()) moves.push_back(i);
        if (n.next == kNoNode) ends.push_back(i);
    }
    const TerminalCode codes[] = {TerminalCode::Resign,     TerminalCode::Suspend,
                                  TerminalCode::FoulLoss,   TerminalCode::FoulWin,
                                  TerminalCode::Impasse,    TerminalCode::Mate,
                                  TerminalCode::Repetition, TerminalCode::NoMate,
                                  TerminalCode::TimeLoss,   TerminalCode::EnteringKingWin};
    for (NodeIndex end : ends) {
        if (store.node(end).isTerminal() || pick(3) == 0) continue;
        ASSERT_EQ(store.goTo(end), EditResult::Ok);
        TerminalCode t = codes[pick(10)];
        ASSERT_EQ(
            store.addMove(kAddStoreAll, terminalMove(t), static_cast<std::uint16_t>(pick(90))),
            AddResult::Ok);
        NodeIndex terminal = store.node(end).next;
        if (pick(2) == 0) (void)store.appendCommentTo(terminal, std::string("終局のコメント"));
    }
    std::string longLine =
        std::string("長いコメント、") + std::string(150, 'x') + std::string("漢字で終わる行");
    for (int i = 0; i < 6 && !moves.empty(); ++i) {
        NodeIndex n = moves[static_cast<std::size_t>(pick(static_cast<int>(moves.size())))];
        (void)store.appendCommentTo(n, std::string("一行目\n\n三行目 * & 変化：3手"));
        if (i == 0) (void)store.appendCommentTo(n, longLine);
        (void)store.setBookmark(n, std::string("しおり") + std::to_string(i));
    }
    (void)options;
    ASSERT_EQ(store.goTo(kRootNode), EditResult::Ok);
}

// A set-up whose side to move is not its own, given by a side line without a diagram, is kept by
// every writer: the saved record opens with all its moves.
TEST(WriterRoundTripTest, ASetUpWithTheOtherSideToMoveSurvives) {
    struct Case {
        const char* what;
        std::vector<std::string> lines;
        SideByte firstMover;
    };
    const Case cases[] = {
        {"even, White first", {"手番：後手", "1７四歩"}, kSideWhite},
        {"even, 後手番",
         {"手合割：平手", "後手番", "   1 ３四歩(33)", "   2 ７六歩(77)"},
         kSideWhite},
        {"handicap, Black first", {"手合割：香落ち", "下手番", "   1 ７六歩(77)"}, kSideBlack},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::string text;
        for (const std::string& l : c.lines) text += std::string(l) + "\r\n";
        RecordStore store;
        ASSERT_EQ(readRecordLines(store, text, ReadOptions{}).result, ReadResult::Ok);
        ASSERT_EQ(store.firstMover(), c.firstMover);
        EXPECT_TRUE(store.customStart());
        const RecordWriteOptions options;
        expectRoundTrip(store, Format::Kif, options, "as KIF");
        expectRoundTrip(store, Format::Ki2, options, "as KI2");
    }
}

TEST(WriterRoundTripTest, GeneratedRecordsWithEverythingSurviveKifAndKi2) {
    std::mt19937 rng(20240611);
    testsupport::RandomRecordOptions generate;
    generate.minPlies = 20;
    generate.maxPlies = 150;
    generate.handicapPercent = 25;
    generate.variationPercent = 90;
    generate.commentPercent = 80;
    generate.bookmarkPercent = 80;
    generate.timesPercent = 80;
    for (int i = 0; i < 120; ++i) {
        RecordWriteOptions options;
        options.userKeys = {std::string("ユーザ項目"), "", "", "", std::string("相手アドレス")};
        options.commentWrap = i % 3 == 0;
        options.commentWrapColumn = 21 + i % 7;
        options.ki2HalfWidth = i % 4 == 1;
        options.ki2Style = i % 5;
        options.dragonAsRyu = i % 2 == 0;
        options.kifOmitZeroTimes = i % 2 == 1;
        RecordStore store;
        testsupport::makeRandomRecord(store, rng, generate);
        decorate(store, rng, options);
        if (::testing::Test::HasFatalFailure()) return;
        std::string what = "record " + std::to_string(i);
        if (options.commentWrap) {
            // Wrapping splits long comment lines on purpose: the second write must be stable.
            RecordStore wrapped;
            std::string text = kifText(store, options);
            ASSERT_EQ(readRecordLines(wrapped, text, readOptionsFor(options)).result,
                      ReadResult::Ok);
            EXPECT_EQ(kifText(wrapped, options), text) << what;
            continue;
        }
        expectRoundTrip(store, Format::Kif, options, what + " as KIF");
        expectRoundTrip(store, Format::Ki2, options, what + " as KI2");
        if (::testing::Test::HasFailure()) return;
    }
}

}  // namespace
}  // namespace core
